// The strip at the display's scale: one DPI for the whole strip, the fonts and
// pictures made for it, and the change to another when the strip moves onto a
// monitor of another scale.
#include <windows.h>

#include "core/system_dlls_win32.h"
#include "ui/image_store_win32.h"
#include "ui/layout.h"
#include "ui/ui_win32.h"

namespace vireo {

namespace {

unsigned g_dpi = kDesignDpi;
unsigned g_systemDpi = kDesignDpi;  // the scale the system's stock fonts are made for
HFONT g_captionFont = nullptr;
HFONT g_guiFont = nullptr;  // null: the stock font is right
HFONT g_tipFont = nullptr;  // the tips' font once the scale has changed
PlatformImages* g_images = nullptr;
HWND g_stripBackdrop = nullptr, g_stripMain = nullptr;

void Drop(HFONT& f) {
    if (f) DeleteObject(f);
    f = nullptr;
}

// A system font made for the system's scale, at the strip's.
HFONT Rescaled(LOGFONTW lf) {
    lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(g_dpi), static_cast<int>(g_systemDpi));
    lf.lfWidth = 0;
    return CreateFontIndirectW(&lf);
}

void MakeFonts() {
    Drop(g_captionFont);
    Drop(g_guiFont);
    g_captionFont = CreateFontW(CaptionFontHeight(g_dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, L"Verdana");
    if (g_dpi == g_systemDpi) return;
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    g_guiFont = Rescaled(lf);
}

}  // namespace

void StartStripScale(PlatformImages& images) {
    HDC screen = GetDC(nullptr);
    g_systemDpi = static_cast<unsigned>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    if (g_systemDpi == 0) g_systemDpi = kDesignDpi;
    g_dpi = g_systemDpi;
    g_images = &images;
    MakeFonts();
    DecodeStripPictures(images, g_dpi);
}

unsigned StripDpi() { return g_dpi; }
HFONT StripCaptionFont() { return g_captionFont; }
HFONT StripGuiFont() { return g_guiFont ? g_guiFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void DecodeStripPictures(PlatformImages& images, unsigned dpi) {
    images.decode(kBackdropPicture, dpi);
    for (const ControlSpec& c : ControlTable())
        if (c.picture >= 0) images.decode(c.picture, dpi);
}

unsigned WindowDpi(HWND window) {
    // Windows 10 1607 and later know the scale of each window's monitor.
    static const auto forWindow = ImportedFunction<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
    if (forWindow) {
        const UINT dpi = forWindow(window);
        return dpi ? dpi : g_systemDpi;
    }
    // Windows 8.1 and 10 before 1607 know each monitor's, through the shell's
    // scaling library (which 7 and 8 do not have): loaded only there.
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    UINT x = 0, y = 0;
    if (SUCCEEDED(sys::GetDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) &&
        y != 0)
        return y;
    return g_systemDpi;
}

void InstallStripScaling(HWND backdrop, HWND main) {
    g_stripBackdrop = backdrop;
    g_stripMain = main;
}

void ScaleStrip(unsigned dpi, const RECT* place) {
    if (!g_images || !g_stripMain || dpi == 0 || dpi == g_dpi) return;
    g_dpi = dpi;
    MakeFonts();
    DecodeStripPictures(*g_images, dpi);
    // Laid out unseen, then shown at once: no moment at the wrong size.
    SendMessageW(g_stripMain, WM_SETREDRAW, FALSE, 0);
    PlaceControls(g_stripMain);
    // The tips were made at the system's scale, with their own font: the
    // status font, made again for this one.
    Drop(g_tipFont);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        g_tipFont = Rescaled(metrics.lfStatusFont);
    ScaleTips(dpi, g_tipFont);
    RECT r;
    GetWindowRect(g_stripMain, &r);
    const POINT at = place ? POINT{place->left, place->top} : POINT{r.left, r.top};
    ApplyAlphaBackdrop(g_stripBackdrop, *g_images, kBackdropPicture, 255, g_captionFont, &at);
    SetWindowPos(g_stripMain, nullptr, at.x, at.y, StripWidth(dpi), StripHeight(dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(g_stripMain, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(g_stripMain, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ReleaseStripScale() {
    Drop(g_captionFont);
    Drop(g_guiFont);
    Drop(g_tipFont);
}

}  // namespace vireo
