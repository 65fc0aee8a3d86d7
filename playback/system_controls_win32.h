// The system's media transport controls (Windows 10 and later): the volume
// flyout and the lock screen show the title and its buttons, and a
// keyboard's or a headset's media keys reach the player through them, even
// while another program is in front.
#pragma once
#include <windows.h>

#include "core/platform.h"
#include "playback/winrt_media_win32.h"

namespace vireo {

class Win32SystemControls : public SystemControlsPort {
public:
    // A button pressed there is posted to `window` as `message` (wParam: the
    // button); `onLive` hears when the controls go live and when they stop.
    Win32SystemControls(HWND window, UINT message, void (*onLive)(bool));
    ~Win32SystemControls() override;
    Win32SystemControls(const Win32SystemControls&) = delete;
    Win32SystemControls& operator=(const Win32SystemControls&) = delete;

    bool start() override;
    void setButtons(const SystemButtons& buttons) override;
    void setStatus(PlaybackStatus status) override;
    void setDisplay(std::u16string_view title, std::u16string_view folder) override;
    void setTimeline(int64_t endMs, int64_t positionMs) override;
    void stop() override;

private:
    HWND window_;
    UINT message_;
    void (*onLive_)(bool);
    winrt::Controls* controls_ = nullptr;
    winrt::Controls2* controls2_ = nullptr;  // the timeline, from Windows 10 1607
    winrt::Timeline* timeline_ = nullptr;
    winrt::EventToken token_ = 0;
};

// The media controls object of a top-level window, with one reference; null
// where the system has none.
winrt::Controls* ControlsForWindow(HWND window);

// The ButtonPressed handler alone, with one reference: it only posts the
// button to `window` as `message`, from whatever thread calls it.
void* NewButtonHandler(HWND window, UINT message);

}  // namespace vireo
