#include "ui/image_store_win32.h"

#include <cstring>

namespace vireo {
namespace {

constexpr int kResourceBase = 100;

HBITMAP CreateSection(const Picture& p, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = p.width;
    info.bmiHeader.biHeight = p.height;  // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(p.depth);
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (!bmp || !*bits) {
        if (bmp) DeleteObject(bmp);
        *bits = nullptr;
        return nullptr;
    }
    // Same row padding on both sides: one copy.
    std::memcpy(*bits, p.pixels.data(), p.pixels.size());
    GdiFlush();
    return bmp;
}

}  // namespace

PlatformImages::PlatformImages(HMODULE module) : module_(module ? module : GetModuleHandleA(nullptr)) {}

PlatformImages::~PlatformImages() { release(); }

bool PlatformImages::decode(int n) {
    if (!IsPictureNumber(n)) return false;
    drop(n);
    HRSRC res = FindResourceA(module_, MAKEINTRESOURCEA(kResourceBase + n), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL global = res ? LoadResource(module_, res) : nullptr;
    const void* data = global ? LockResource(global) : nullptr;
    const DWORD size = res ? SizeofResource(module_, res) : 0;
    if (!data || size == 0) return false;
    return decode(n, static_cast<const uint8_t*>(data), size);
}

bool PlatformImages::decode(int n, const uint8_t* data, size_t size) {
    if (!IsPictureNumber(n)) return false;
    drop(n);
    if (!store_.decode(n, data, size)) return false;
    Picture& p = *store_.get(n);
    Entry& e = entries_[n];
    if (p.icon) {
        e.icon = CreateIconFromResourceEx(p.iconImage.data(), static_cast<DWORD>(p.iconImage.size()), TRUE,
                                          0x00030000, p.width, p.height, LR_DEFAULTCOLOR);
    } else {
        e.bitmap = CreateSection(p, &e.bits);
    }
    if (!e.icon && !e.bitmap) {
        drop(n);
        return false;
    }
    // The platform object holds the pixels from now on.
    p.pixels = {};
    p.iconImage = {};
    return true;
}

HBITMAP PlatformImages::bitmap(int n) const { return IsPictureNumber(n) ? entries_[n].bitmap : nullptr; }

HICON PlatformImages::icon(int n) const { return IsPictureNumber(n) ? entries_[n].icon : nullptr; }

void* PlatformImages::bits(int n) const { return IsPictureNumber(n) ? entries_[n].bits : nullptr; }

void PlatformImages::drop(int n) {
    Entry& e = entries_[n];
    if (e.bitmap) DeleteObject(e.bitmap);
    if (e.icon) DestroyIcon(e.icon);
    e = Entry{};
    store_.clear(n);
}

void PlatformImages::release() {
    for (int n = 0; n < kPictureSlots; ++n)
        if (IsPictureNumber(n)) drop(n);
}

}  // namespace vireo
