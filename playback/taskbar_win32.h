// The taskbar button's progress state through the taskbar list object.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "core/platform.h"
#include "playback/os_version.h"

namespace vireo {

// GetVersionExA with the plain record and, for the NT family, the extended one.
OsVersion QueryOsVersion();

class Win32Taskbar : public TaskbarPort {
public:
    // The window that carries the program's taskbar button (BackdropWindow).
    // `tips`: the names of kThumbButtons, in their order, as the strip's buttons have them.
    Win32Taskbar(HWND window, std::array<std::u16string, 4> tips) : window_(window), tips_(std::move(tips)) {}
    ~Win32Taskbar() override;
    Win32Taskbar(const Win32Taskbar&) = delete;
    Win32Taskbar& operator=(const Win32Taskbar&) = delete;
    void setProgress(int state) override;
    void showThumbButtons(const TransportButtons& buttons, bool add) override;

private:
    // The thumbnail buttons' icons at the small-icon size of the window's scale.
    void loadIcons();
    HWND window_;
    std::array<std::u16string, 4> tips_;
    HICON icons_[4] = {};
    int iconSize_ = 0;
};

}  // namespace vireo
