// Program-wide modality for message boxes and the folder browser.
#pragma once
#include <windows.h>

#include <vector>

namespace vireo {

// While alive: every other visible, enabled top-level window of this program is
// disabled; owner() is the program's foreground window, or null when the
// foreground belongs to another program. The windows are enabled again on exit.
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    HWND owner() const { return owner_; }

private:
    HWND owner_ = nullptr;
    std::vector<HWND> disabled_;
};

}  // namespace vireo
