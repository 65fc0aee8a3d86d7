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

HWND NextTabStop(HWND control) {
    // Only controls have siblings to move on to (a pop-up's parent is its owner).
    const bool child = control && (GetWindowLongPtrW(control, GWL_STYLE) & WS_CHILD);
    HWND parent = child ? GetParent(control) : nullptr;
    HWND next = parent ? GetNextDlgTabItem(parent, control, FALSE) : nullptr;
    return next != control ? next : nullptr;
}

void FocusOrNext(HWND control) {
    if (!control || !IsWindow(control)) return;
    if (IsWindowEnabled(control) && IsWindowVisible(control))
        SetFocus(control);
    else if (HWND next = NextTabStop(control))
        SetFocus(next);
}

ModalScope::ModalScope() {
    focus_ = GetFocus();
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
    // Back from the box, the keyboard is where it was, as after a dialog's box,
    // or on the next control when what happened meanwhile disabled that one.
    FocusOrNext(focus_);
    // Answered: the user has come back.
    if (flashing_) Flash(FLASHW_STOP);
}

}  // namespace vireo
