// The taskbar button's progress state through the taskbar list object.
#pragma once
#include <windows.h>

#include "core/platform.h"
#include "playback/os_version.h"

namespace vireo {

// GetVersionExA with the plain record and, for the NT family, the extended one.
OsVersion QueryOsVersion();

class Win32Taskbar : public TaskbarPort {
public:
    // The window that carries the program's taskbar button (BackdropWindow).
    explicit Win32Taskbar(HWND window) : window_(window) {}
    void setProgress(int state) override;

private:
    HWND window_;
};

}  // namespace vireo
