#include <windows.h>

#include <vector>

#include "core/names.h"
#include "core/wide_win32.h"
#include "ui/backdrop_math.h"
#include "ui/image_store_win32.h"
#include "ui/layout.h"
#include "ui/ui_win32.h"

namespace vireo {

namespace {

// Renders one caption white on black and returns its top-down coverage mask.
// Wide: the single-byte calls would read it in the system's code page.
bool RenderMask(HDC screen, HFONT font, const char* caption, std::vector<uint8_t>& mask, SIZE& size) {
    HDC dc = CreateCompatibleDC(screen);
    if (!dc) return false;
    HGDIOBJ oldFont = SelectObject(dc, font);
    const std::u16string text = WidenCp1252(caption);
    const int n = static_cast<int>(text.size());
    GetTextExtentPoint32W(dc, Wide(text), n, &size);
    bool ok = false;
    if (size.cx > 0 && size.cy > 0) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bmp) {
            HGDIOBJ oldBmp = SelectObject(dc, bmp);
            RECT all{0, 0, size.cx, size.cy};
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, RGB(255, 255, 255));
            TextOutW(dc, 0, 0, Wide(text), n);
            GdiFlush();
            auto* p = static_cast<uint8_t*>(bits);
            mask.assign(p, p + static_cast<size_t>(size.cx) * size.cy * 4);
            SelectObject(dc, oldBmp);
            DeleteObject(bmp);
            ok = true;
        }
    }
    SelectObject(dc, oldFont);
    DeleteDC(dc);
    return ok;
}

}  // namespace

int ApplyAlphaBackdrop(HWND window, PlatformImages& images, int picture, BYTE opacity, HFONT captionFont,
                       const POINT* at) {
    if (images.depth(picture) != 32 || !images.bitmap(picture) || !images.bits(picture)) return 0;
    const int w = images.width(picture), h = images.height(picture);
    HBITMAP bmp = images.bitmap(picture);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    if (!dc) {
        ReleaseDC(nullptr, screen);
        return 0;
    }

    // The window takes the picture premultiplied, with the captions: compose them
    // in the section's own pixels rather than in a copy of them.
    GdiFlush();
    auto* pixels = static_cast<uint8_t*>(images.bits(picture));
    PremultiplyPixels(pixels, static_cast<size_t>(w) * h);

    std::vector<uint8_t> mask;
    for (const Caption& c : BackdropCaptions()) {
        SIZE size{};
        const Point place = ScaledCaption(c, StripDpi());
        if (RenderMask(screen, captionFont, c.text, mask, size))
            BlendCaption(pixels, w, h, mask.data(), size.cx, size.cy, place.x, place.y, kCaptionColour.r,
                         kCaptionColour.g, kCaptionColour.b);
    }
    HGDIOBJ old = SelectObject(dc, bmp);

    SIZE size{w, h};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
    POINT to = at ? *at : POINT{};
    BOOL ok = UpdateLayeredWindow(window, nullptr, at ? &to : nullptr, &size, dc, &source, 0, &blend, ULW_ALPHA);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return ok ? 1 : 0;
}

}  // namespace vireo
