#include "core/modal_win32.h"

namespace vireo {

namespace {

HWND g_strip = nullptr;

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

void SetModalStrip(HWND main) { g_strip = main; }

ModalScope::ModalScope() {
    HWND fg = GetForegroundWindow();
    DWORD pid = 0;
    if (fg) GetWindowThreadProcessId(fg, &pid);
    if (fg && pid == GetCurrentProcessId()) {
        owner_ = fg;
    } else if (g_strip && IsWindowVisible(g_strip)) {
        owner_ = g_strip;
        flashing_ = true;  // another program is in front
    }
    // The owner is disabled by the dialog itself when it opens; the others by us.
    Collect c{GetCurrentProcessId(), owner_, &disabled_};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&c));
    for (HWND h : disabled_) EnableWindow(h, FALSE);
    // The window with the taskbar button flashes until the user comes back.
    if (flashing_) Flash(FLASHW_ALL | FLASHW_TIMERNOFG);
}

void ModalScope::Flash(DWORD how) {
    FLASHWINFO flash{sizeof flash, GetAncestor(owner_, GA_ROOTOWNER), how, 0, 0};
    FlashWindowEx(&flash);
}

ModalScope::~ModalScope() {
    for (HWND h : disabled_) EnableWindow(h, TRUE);
    // Answered: the user has come back.
    if (flashing_) Flash(FLASHW_STOP);
}

}  // namespace vireo
