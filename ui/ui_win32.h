// The window pair, the controls and their platform services.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/platform.h"
#include "core/controls.h"

namespace vireo {

class PlatformImages;

// The display scale (scale_win32.cpp). The strip has one DPI, the system's at
// start; the control table is in 96-dpi pixels and only these scale it.
constexpr int kBackdropPicture = 20;
// Takes the system's DPI, makes the fonts and decodes the pictures for it.
void StartStripScale(PlatformImages& images);
unsigned StripDpi();
HFONT StripCaptionFont();
// The font of the labels, the field, the list and the displays.
HFONT StripGuiFont();
void DecodeStripPictures(PlatformImages& images, unsigned dpi);
// The scale of the monitor a window is on (Windows 10 1607 on), else the system's.
unsigned WindowDpi(HWND window);
void InstallStripScaling(HWND backdrop, HWND main);
// Everything again at `dpi`: fonts, pictures, controls, tips, backdrop; the
// windows at `place` (the rectangle a DPI change suggests) or where they are.
void ScaleStrip(unsigned dpi, const RECT* place);
void ReleaseStripScale();

// Window pair (windows_win32.cpp), at StripDpi().
HWND OpenBackdropWindow(HINSTANCE instance);
HWND OpenMainWindow(HINSTANCE instance, HWND backdrop);
void InstallFollowMainWindow(HWND main, HWND backdrop);
void FollowMainWindow(HWND main, UINT message, WPARAM wp, LPARAM lp);

// Events that window procedures raise while a message is delivered.
void RaiseEvent(const Event& e);
// Takes the oldest event raised and not yet taken (kind None when there is none).
Event TakeRaisedEvent();
// While the system's media controls are live, Windows hands them the
// keyboard's media keys, and the windows leave those to it.
void LeaveMediaKeysToSystem(bool leave);
// The message the system's media controls post to BackdropWindow for a
// button pressed there (wParam: the button).
UINT SystemButtonMessage();

// Per-pixel-alpha backdrop (backdrop_win32.cpp).
// The captions at StripDpi(); the window moved to `at` when given.
int ApplyAlphaBackdrop(HWND window, PlatformImages& images, int picture, BYTE opacity, HFONT captionFont,
                       const POINT* at = nullptr);

// Controls (controls_win32.cpp).
void CreateControls(HWND main, PlatformImages& images, int64_t barUpper);
// Every control at its place, font and face for StripDpi().
void PlaceControls(HWND main);
void SetInitialStates(HWND main);
// The path field and the title list named, the time displays described, for
// screen readers (dynamic annotation: nothing is drawn). The buttons and check
// boxes carry their names as window texts. COM must be initialised.
void NameForScreenReaders(HWND main);
// The annotations cleared, before the windows go.
void ForgetScreenReaderNames(HWND main);
// The controls' shared image and font, once the windows are gone.
void ReleaseControlResources();

// Remembers what it last wrote to the labels and the bar: the main loop writes
// the same texts 50 times a second, and each write would repaint the control
// (on the colour-keyed window, a round trip to the display server). Labels
// can only change through here, so their remembered text is also the answer
// to a read; the edit field and the list are read from the window.
class Win32Controls : public ControlPort {
public:
    explicit Win32Controls(HWND main);
    void setEnabled(ControlId id, bool enabled) override;
    bool isEnabled(ControlId id) override;
    void setText(ControlId id, std::string_view text) override;
    std::string text(ControlId id) override;
    void setName(ControlId id, std::u16string_view name) override;
    std::u16string name(ControlId id) override;
    void setState(ControlId id, int64_t value) override;
    int64_t state(ControlId id) override;
    void clearItems(ControlId id) override;
    void appendItem(ControlId id, std::u16string_view item) override;
    void setUpperBound(ControlId id, int64_t upper) override;

private:
    struct Remembered {
        bool known = false;
        std::string text;
    };
    HWND item(ControlId id) const;
    bool remembersText(ControlId id) const;
    HWND items_[kLastControl + 1] = {};
    Remembered texts_[kLastControl + 1];
    bool barKnown_ = false;
    int64_t barPosition_ = 0;
};

// Tooltips (tooltips_win32.cpp).
int AddBalloonTip(HWND owner, HWND control, const char* title, const char* text);
void SetPlainTip(HWND control, const char* text);
// The tips' wrap width at `dpi`, and their font (made for `dpi`) when one is given.
void ScaleTips(unsigned dpi, HFONT font);

// Hand pointer (cursor_win32.cpp).
int AttachCursor(HWND control, HCURSOR cursor);
LRESULT CALLBACK CursorSubclassProc(HWND h, UINT message, WPARAM wp, LPARAM lp);

}  // namespace vireo
