#include "core/modal_win32.h"

namespace vireo {

namespace {

struct Collect {
    DWORD pid;
    HWND keep;
    std::vector<HWND>* out;
};

BOOL CALLBACK CollectWindow(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<Collect*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == c->pid && h != c->keep && IsWindowVisible(h) && IsWindowEnabled(h)) c->out->push_back(h);
    return TRUE;
}

}  // namespace

ModalScope::ModalScope() {
    HWND fg = GetForegroundWindow();
    DWORD pid = 0;
    if (fg) GetWindowThreadProcessId(fg, &pid);
    if (fg && pid == GetCurrentProcessId()) owner_ = fg;
    // The owner is disabled by the dialog itself when it opens; the others by us.
    Collect c{GetCurrentProcessId(), owner_, &disabled_};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&c));
    for (HWND h : disabled_) EnableWindow(h, FALSE);
}

ModalScope::~ModalScope() {
    for (HWND h : disabled_) EnableWindow(h, TRUE);
}

}  // namespace vireo
