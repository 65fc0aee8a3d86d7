// The Win32 side of the application frame's own ports: message boxes, the
// event source and its clock, the window requests and the launcher.
#pragma once
#include <windows.h>

#include <string>

#include "core/controls.h"
#include "core/platform.h"

namespace vireo {

class Win32Boxes : public BoxPort {
public:
    void showBox(std::string_view title, std::string_view text, unsigned flags) override;
    void showWideBox(std::string_view title, std::u16string_view text, unsigned flags) override;
};

class Win32Events : public EventPort {
public:
    Win32Events(HWND backdrop, HWND main) : backdrop_(backdrop), main_(main) {}
    Event nextEvent() override;
    void sleepMs(unsigned ms) override { Sleep(ms); }
    uint32_t nowMs() override { return GetTickCount(); }

private:
    // Tab and Shift+Tab move the focus through the strip's enabled controls,
    // as a dialog's keyboard does; true when the key was taken for that.
    bool moveFocus(const MSG& msg);
    // Enter and Escape typed into the path field: dropped, without a beep.
    bool silentKey(const MSG& msg) const;
    HWND backdrop_, main_;
};

class Win32Windows : public WindowPort {
public:
    Win32Windows(HWND backdrop, HWND main) : backdrop_(backdrop), main_(main) {}
    void beginDrag() override;
    void minimize() override;

private:
    HWND backdrop_, main_;
};

class Win32Launcher : public LauncherPort {
public:
    bool launch(std::string_view file) override;
    std::string systemDirectory() override;
};

}  // namespace vireo
