// Program-wide modality for message boxes and the folder browser.
#pragma once
#include <windows.h>

#include <vector>

namespace vireo {

// While alive: every other visible, enabled top-level window of this program is
// disabled; owner() is the program's foreground window, or, when another
// program is in front, the strip (once it shows), whose taskbar button then
// flashes: a program in the background may not take the foreground, and a box
// that belonged to nobody would sit behind a strip that no longer answers.
// The windows are enabled again on exit, and the focus goes back where it was.
// The strip's main window, which owns the boxes while another program is in front.
void SetModalStrip(HWND main);

// The keyboard focus on `control`, or, when it can no longer take it (disabled,
// hidden, gone), on the next enabled tab stop after it in reading order. A
// keyboard user must never be left with the focus on nothing.
void FocusOrNext(HWND control);
// The next enabled tab stop after `control` among its siblings, wrapping; null
// when there is no other.
HWND NextTabStop(HWND control);

class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    HWND owner() const { return owner_; }

private:
    void Flash(DWORD how);
    HWND owner_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the keyboard
    bool flashing_ = false;
    std::vector<HWND> disabled_;
};

}  // namespace vireo
