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

namespace {

// The resource's bytes, or false when the module has none.
bool FindPictureFile(HMODULE module, int id, const uint8_t** data, DWORD* size) {
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL global = res ? LoadResource(module, res) : nullptr;
    *data = static_cast<const uint8_t*>(global ? LockResource(global) : nullptr);
    *size = res ? SizeofResource(module, res) : 0;
    return *data && *size != 0;
}

}  // namespace

bool PlatformImages::decode(int n) {
    if (!IsPictureNumber(n)) return false;
    drop(n);
    const uint8_t* data;
    DWORD size;
    if (!FindPictureFile(module_, kResourceBase + n, &data, &size)) return false;
    return decode(n, data, size);
}

bool PlatformImages::decode(int n, unsigned dpi) {
    if (dpi == kDesignDpi) return decode(n);
    if (!IsPictureNumber(n)) return false;
    drop(n);
    const uint8_t* data;
    DWORD size;
    if (!FindPictureFile(module_, PictureResource(n, DrawnScaleFor(n, dpi)), &data, &size)) return false;
    return store_.decode(n, data, size, dpi) && adopt(n);
}

bool PlatformImages::decode(int n, const uint8_t* data, size_t size) {
    if (!IsPictureNumber(n)) return false;
    drop(n);
    return store_.decode(n, data, size) && adopt(n);
}

// Makes the platform object of the decoded picture n, which then holds the
// pixels.
bool PlatformImages::adopt(int n) {
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
