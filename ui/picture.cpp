#include "ui/picture.h"

#include <png.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <new>

namespace vireo {
namespace {

// Little-endian readers; callers check the bounds first.
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
bool Inside(uint64_t offset, uint64_t length, size_t size) {
    return offset <= size && length <= size - offset;
}

bool SizeAcceptable(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= INT16_MAX && height <= INT16_MAX &&
           width * height <= kMaxPicturePixels;
}

// Allocation that reports failure instead of throwing (the PNG path must not
// throw while libpng owns resources).
bool Allocate(std::vector<uint8_t>& v, size_t n) noexcept {
    try {
        v.assign(n, 0);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool AllocateRows(std::vector<png_bytep>& rows, size_t n) noexcept {
    try {
        rows.assign(n, nullptr);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

struct Rgb {
    uint8_t b = 0, g = 0, r = 0;
};

// Reads `count` palette entries of `entrySize` bytes (blue, green, red first).
bool ReadPalette(const uint8_t* data, size_t size, uint64_t offset, uint32_t count, uint32_t entrySize,
                 std::vector<Rgb>& palette) {
    if (!Inside(offset, uint64_t{count} * entrySize, size)) return false;
    palette.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = data + offset + uint64_t{i} * entrySize;
        palette[i] = Rgb{e[0], e[1], e[2]};
    }
    return true;
}

uint32_t PaletteCount(int bits, uint32_t clrUsed) {
    const uint32_t full = 1u << bits;
    return (clrUsed == 0 || clrUsed > full) ? full : clrUsed;
}

// The colour of pixel x of a source row of 1, 4, 8, 16, 24 or 32 bits.
// Palette indexes past the palette give black.
Rgb SourcePixel(const uint8_t* row, int x, int bits, const std::vector<Rgb>& palette, uint8_t* alpha) {
    switch (bits) {
    case 1:
    case 4:
    case 8: {
        const int perByte = 8 / bits;
        const uint8_t byte = row[x / perByte];
        const int shift = 8 - bits * (x % perByte + 1);
        const unsigned index = (byte >> shift) & ((1u << bits) - 1);
        return index < palette.size() ? palette[index] : Rgb{};
    }
    case 16: {
        // 5-5-5, top bit unused.
        const uint16_t v = U16(row + 2 * x);
        auto expand = [](unsigned c) { return static_cast<uint8_t>((c << 3) | (c >> 2)); };
        return Rgb{expand(v & 31), expand((v >> 5) & 31), expand((v >> 10) & 31)};
    }
    case 24:
        return Rgb{row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    default:
        if (alpha) *alpha = row[4 * x + 3];
        return Rgb{row[4 * x], row[4 * x + 1], row[4 * x + 2]};
    }
}

bool IsBmpDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool HasPngSignature(const uint8_t* data, size_t size) {
    return size >= 8 && std::memcmp(data, kPngSignature, 8) == 0;
}

// ---- PNG through libpng ----

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->pos) png_error(png, "truncated");
    std::memcpy(out, reader->data + reader->pos, length);
    reader->pos += length;
}

[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// Everything that outlives a long jump lives in the caller's frame: this
// function holds only trivially destructible locals set before setjmp.
bool ReadPng(const uint8_t* data, size_t size, Picture& pic, std::vector<png_bytep>& rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    MemoryReader reader{data, size, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_set_user_limits(png, INT16_MAX, INT16_MAX);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (!SizeAcceptable(width, height)) png_error(png, "size");

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const int channels = png_get_channels(png, info);
    if ((channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != size_t{width} * channels)
        png_error(png, "layout");

    pic.width = static_cast<int16_t>(width);
    pic.height = static_cast<int16_t>(height);
    pic.depth = channels == 3 ? 24 : 32;
    const size_t stride = pic.stride();
    if (!Allocate(pic.pixels, stride * height)) png_error(png, "memory");
    if (!AllocateRows(rows, height)) png_error(png, "memory");
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = pic.pixels.data() + (height - 1 - y) * stride;

    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// ---- ICO entry ----

// Decodes one icon image (BITMAPINFOHEADER with doubled height, XOR bitmap,
// AND mask) to 32-bit straight alpha.
bool DecodeIconBitmap(const uint8_t* img, size_t size, Picture& pic) {
    if (size < 40) return false;
    const uint32_t headerSize = U32(img);
    if (headerSize < 40 || headerSize > size) return false;
    const int64_t width = I32(img + 4);
    const int64_t doubledHeight = I32(img + 8);
    const int planes = U16(img + 12);
    const int bits = U16(img + 14);
    const uint32_t compression = U32(img + 16);
    const uint32_t clrUsed = U32(img + 32);
    if (planes != 1 || compression != 0 || !IsBmpDepth(bits)) return false;
    if (doubledHeight <= 0 || doubledHeight % 2 != 0) return false;
    const int64_t height = doubledHeight / 2;
    if (!SizeAcceptable(width, height)) return false;

    std::vector<Rgb> palette;
    uint64_t offset = headerSize;
    if (bits <= 8) {
        const uint32_t count = PaletteCount(bits, clrUsed);
        if (!ReadPalette(img, size, offset, count, 4, palette)) return false;
        offset += uint64_t{count} * 4;
    }
    const uint64_t xorStride = Picture::RowStride(static_cast<int>(width), bits);
    const uint64_t andStride = Picture::RowStride(static_cast<int>(width), 1);
    const uint64_t andOffset = offset + xorStride * height;
    if (!Inside(offset, xorStride * height, size) || !Inside(andOffset, andStride * height, size)) return false;

    pic.width = static_cast<int16_t>(width);
    pic.height = static_cast<int16_t>(height);
    pic.depth = 32;
    if (!Allocate(pic.pixels, static_cast<size_t>(width * height * 4))) return false;
    bool anyAlpha = false;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = img + offset + y * xorStride;
        uint8_t* dst = pic.pixels.data() + y * width * 4;
        for (int x = 0; x < width; ++x) {
            uint8_t a = 0;
            const Rgb c = SourcePixel(row, x, bits, palette, &a);
            dst[4 * x] = c.b;
            dst[4 * x + 1] = c.g;
            dst[4 * x + 2] = c.r;
            dst[4 * x + 3] = a;
            anyAlpha |= a != 0;
        }
    }
    // Without alpha bytes (lower depths, or an old 32-bit icon whose alpha is
    // all zero) the AND mask decides: a set bit is transparent.
    if (bits != 32 || !anyAlpha) {
        for (int64_t y = 0; y < height; ++y) {
            const uint8_t* mask = img + andOffset + y * andStride;
            uint8_t* dst = pic.pixels.data() + y * width * 4;
            for (int x = 0; x < width; ++x) dst[4 * x + 3] = ((mask[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;
        }
    }
    return true;
}

bool Fail(Picture& out) {
    out.clear();
    return false;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Picture& out) {
    out.clear();
    if (!data || size < 18 || data[0] != 'B' || data[1] != 'M') return false;
    const uint32_t pixelOffset = U32(data + 10);
    const uint32_t headerSize = U32(data + 14);
    if (!Inside(14, headerSize, size)) return false;

    int64_t width, height;
    int planes, bits;
    uint32_t compression = 0, clrUsed = 0, paletteEntrySize = 4;
    if (headerSize == 12) {  // the old core header
        width = U16(data + 18);
        height = U16(data + 20);
        planes = U16(data + 22);
        bits = U16(data + 24);
        paletteEntrySize = 3;
    } else if (headerSize >= 40) {
        width = I32(data + 18);
        height = I32(data + 22);
        planes = U16(data + 26);
        bits = U16(data + 28);
        compression = U32(data + 30);
        clrUsed = U32(data + 46);
    } else {
        return false;
    }
    // Only uncompressed bitmaps; a negative height means top-down rows.
    if (planes != 1 || compression != 0 || !IsBmpDepth(bits)) return false;
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (!SizeAcceptable(width, height)) return false;

    std::vector<Rgb> palette;
    if (bits <= 8 &&
        !ReadPalette(data, size, 14 + uint64_t{headerSize}, PaletteCount(bits, clrUsed), paletteEntrySize, palette))
        return false;
    const uint64_t srcStride = Picture::RowStride(static_cast<int>(width), bits);
    if (!Inside(pixelOffset, srcStride * height, size)) return false;

    Picture pic;
    pic.width = static_cast<int16_t>(width);
    pic.height = static_cast<int16_t>(height);
    pic.depth = bits == 32 ? 32 : 24;
    const size_t dstStride = pic.stride();
    if (!Allocate(pic.pixels, dstStride * height)) return false;
    const int bytesPerPixel = pic.depth / 8;
    for (int64_t r = 0; r < height; ++r) {
        const uint8_t* src = data + pixelOffset + r * srcStride;
        uint8_t* dst = pic.pixels.data() + (topDown ? height - 1 - r : r) * dstStride;
        if (bits == pic.depth) {
            std::memcpy(dst, src, static_cast<size_t>(width) * bytesPerPixel);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const Rgb c = SourcePixel(src, x, bits, palette, nullptr);
            dst[3 * x] = c.b;
            dst[3 * x + 1] = c.g;
            dst[3 * x + 2] = c.r;
        }
    }
    out = std::move(pic);
    return true;
}

bool DecodeIco(const uint8_t* data, size_t size, Picture& out) {
    out.clear();
    if (!data || size < 6 || U16(data) != 0 || U16(data + 2) != 1) return false;
    const int count = U16(data + 4);
    if (count == 0 || !Inside(6, uint64_t{16} * count, size)) return false;

    // Among the entries of the first entry's size, the most bits per pixel
    // (the first one on ties).
    const uint8_t* first = data + 6;
    const uint8_t* chosen = first;
    for (int i = 1; i < count; ++i) {
        const uint8_t* e = data + 6 + 16 * i;
        if (e[0] == first[0] && e[1] == first[1] && U16(e + 6) > U16(chosen + 6)) chosen = e;
    }
    const uint32_t length = U32(chosen + 8);
    const uint32_t offset = U32(chosen + 12);
    if (length == 0 || !Inside(offset, length, size)) return false;
    const uint8_t* img = data + offset;

    Picture pic;
    if (HasPngSignature(img, length)) {
        if (!DecodePng(img, length, pic)) return false;
        if (pic.depth == 24) {  // icons are always handed out with alpha
            std::vector<uint8_t> bgra;
            if (!Allocate(bgra, size_t(pic.width) * pic.height * 4)) return false;
            const size_t stride = pic.stride();
            for (int y = 0; y < pic.height; ++y)
                for (int x = 0; x < pic.width; ++x) {
                    const uint8_t* s = pic.pixels.data() + y * stride + 3 * x;
                    uint8_t* d = bgra.data() + (size_t(y) * pic.width + x) * 4;
                    d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
                }
            pic.pixels = std::move(bgra);
            pic.depth = 32;
        }
    } else if (!DecodeIconBitmap(img, length, pic)) {
        return false;
    }
    pic.icon = true;
    try {
        pic.iconImage.assign(img, img + length);
    } catch (const std::bad_alloc&) {
        return false;
    }
    out = std::move(pic);
    return true;
}

bool DecodePng(const uint8_t* data, size_t size, Picture& out) {
    out.clear();
    if (!data || !HasPngSignature(data, size)) return false;
    Picture pic;
    std::vector<png_bytep> rows;
    if (!ReadPng(data, size, pic, rows)) return false;
    out = std::move(pic);
    return true;
}

bool DecodePicture(const uint8_t* data, size_t size, Picture& out) {
    out.clear();
    if (!data || size < 2) return false;
    if (data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, out) || Fail(out);
    if (size >= 4 && U16(data) == 0 && U16(data + 2) == 1) return DecodeIco(data, size, out) || Fail(out);
    // The registered decoders; PNG is the only one.
    if (HasPngSignature(data, size)) return DecodePng(data, size, out) || Fail(out);
    return false;
}

// ---- display scales ----

PictureDesign DesignOf(int n) {
    static const PictureDesign kDesigns[kPictureSlots] = {
        {795, 63, false, false}, {37, 23, false, true}, {42, 14, false, true}, {42, 14, false, true},
        {42, 15, false, true},   {42, 15, false, true}, {36, 27, false, true}, {47, 22, false, false},
        {16, 16, true, false},   {16, 16, true, false}, {16, 16, true, false}, {16, 16, true, true},
        {16, 16, true, false},   {16, 16, true, false}, {16, 16, true, false}, {16, 16, true, true},
        {},                      {},                    {},                    {},
        {795, 70, false, true},  {16, 16, false, true}, {16, 16, false, true}, {16, 16, false, true},
        {16, 16, false, true},
    };
    return IsPictureNumber(n) ? kDesigns[n] : PictureDesign{};
}

int DrawnScaleFor(int n, unsigned dpi) {
    if (!DesignOf(n).everyScale) return 100;
    for (int percent : kDrawnScales)
        if (uint64_t{dpi} * 100 <= uint64_t{kDesignDpi} * percent) return percent;
    return kDrawnScales[std::size(kDrawnScales) - 1];
}

int ScaledLength(int length, unsigned dpi) {
    if (length <= 0) return 0;
    const uint64_t scaled = (uint64_t(length) * dpi + kDesignDpi / 2) / kDesignDpi;
    return scaled > INT_MAX ? INT_MAX : static_cast<int>(scaled);
}

namespace {

// Premultiplied blue, green, red and alpha (0..1) per pixel, rows as stored.
struct Plane {
    int width = 0, height = 0;
    std::vector<float> v;
    float* at(int x, int y) { return v.data() + (size_t(y) * width + x) * 4; }
};

// Source taps of each output index along one direction.
struct Taps {
    std::vector<int> first, count;
    std::vector<float> weight;  // count[i] weights from offset[i]
    std::vector<size_t> offset;
};

Taps TapsFor(int in, int out) {
    Taps t;
    const double ratio = double(in) / out;
    for (int o = 0; o < out; ++o) {
        t.offset.push_back(t.weight.size());
        if (out < in) {
            // The source span this pixel covers, each source pixel weighted
            // by its overlap.
            const double lo = o * ratio, hi = std::min(double(in), (o + 1) * ratio);
            const int i0 = int(lo), i1 = std::min(in, int(std::ceil(hi)));
            t.first.push_back(i0);
            t.count.push_back(i1 - i0);
            for (int i = i0; i < i1; ++i)
                t.weight.push_back(float((std::min(hi, i + 1.0) - std::max(lo, double(i))) / (hi - lo)));
        } else {
            // Centres aligned; past the outer centres the edge pixel holds.
            const double u = std::clamp((o + 0.5) * ratio - 0.5, 0.0, double(in - 1));
            const int i0 = std::min(int(u), in - 1);
            const float f = float(u - i0);
            t.first.push_back(i0);
            t.count.push_back(f > 0 ? 2 : 1);
            t.weight.push_back(1 - f);
            if (f > 0) t.weight.push_back(f);
        }
    }
    return t;
}

// One direction at a time: along rows (horizontal) or columns.
bool ResampleAxis(Plane& in, int size, bool horizontal, Plane& out) noexcept {
    Taps t;
    try {
        t = TapsFor(horizontal ? in.width : in.height, size);
        out.width = horizontal ? size : in.width;
        out.height = horizontal ? in.height : size;
        out.v.assign(size_t(out.width) * out.height * 4, 0.0f);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const int o = horizontal ? x : y;
            float* d = out.at(x, y);
            for (int k = 0; k < t.count[o]; ++k) {
                const int i = t.first[o] + k;
                const float w = t.weight[t.offset[o] + k];
                const float* s = horizontal ? in.at(i, y) : in.at(x, i);
                for (int c = 0; c < 4; ++c) d[c] += s[c] * w;
            }
        }
    return true;
}

}  // namespace

bool ResamplePicture(const Picture& in, int width, int height, Picture& out) {
    const bool alpha = in.depth == 32;
    if ((in.depth != 24 && !alpha) || in.width <= 0 || in.height <= 0 ||
        in.pixels.size() < in.stride() * in.height || !SizeAcceptable(width, height))
        return Fail(out);
    const int bpp = in.depth / 8;
    Plane src, mid, dst;
    bool twoLevel = true;  // alpha only 0 and 255
    try {
        src.width = in.width, src.height = in.height;
        src.v.resize(size_t(in.width) * in.height * 4);
    } catch (const std::bad_alloc&) {
        return Fail(out);
    }
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            const uint8_t* s = in.pixels.data() + y * in.stride() + x * bpp;
            const float a = alpha ? s[3] / 255.0f : 1.0f;
            twoLevel &= !alpha || s[3] == 0 || s[3] == 255;
            float* d = src.at(x, y);
            d[0] = s[0] * a, d[1] = s[1] * a, d[2] = s[2] * a, d[3] = a;
        }
    // The narrower intermediate first: it is never larger than the bigger
    // of the two pictures.
    const bool rowsFirst = int64_t{width} * in.height <= int64_t{height} * in.width;
    if (!ResampleAxis(src, rowsFirst ? width : height, rowsFirst, mid) ||
        !ResampleAxis(mid, rowsFirst ? height : width, !rowsFirst, dst))
        return Fail(out);

    Picture pic;
    pic.width = static_cast<int16_t>(width);
    pic.height = static_cast<int16_t>(height);
    pic.depth = in.depth;
    if (!Allocate(pic.pixels, pic.stride() * height)) return Fail(out);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float* s = dst.at(x, y);
            uint8_t* d = pic.pixels.data() + y * pic.stride() + x * bpp;
            const float a = std::clamp(s[3], 0.0f, 1.0f);
            const uint8_t a8 = twoLevel ? (a >= 0.5f ? 255 : 0) : static_cast<uint8_t>(std::lround(a * 255));
            if (alpha) d[3] = a8;
            if (a8 == 0) continue;  // transparent: black
            for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(std::lround(std::clamp(s[c] / s[3], 0.0f, 255.0f)));
        }
    if (in.icon && !MakeIcon(pic)) return Fail(out);
    out = std::move(pic);
    return true;
}

bool MakeIcon(Picture& p) {
    if (p.depth != 32 || p.width <= 0 || p.height <= 0 || p.pixels.size() < p.stride() * p.height) return false;
    const size_t colours = p.stride() * p.height, maskStride = Picture::RowStride(p.width, 1);
    std::vector<uint8_t> image;
    if (!Allocate(image, 40 + colours + maskStride * p.height)) return false;
    auto put32 = [&image](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) image[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, static_cast<uint32_t>(p.width));
    put32(8, static_cast<uint32_t>(p.height) * 2);  // colours and mask
    image[12] = 1;                                  // planes
    image[14] = 32;                                 // bits
    put32(20, static_cast<uint32_t>(image.size() - 40));
    std::memcpy(image.data() + 40, p.pixels.data(), colours);
    uint8_t* mask = image.data() + 40 + colours;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.pixels[y * p.stride() + 4 * x + 3] == 0) mask[y * maskStride + x / 8] |= uint8_t(0x80 >> (x % 8));
    p.icon = true;
    p.iconImage = std::move(image);
    return true;
}

// ---- ImageStore ----

bool ImageStore::decode(int n, const uint8_t* data, size_t size) {
    if (!IsPictureNumber(n)) return false;
    return DecodePicture(data, size, pictures_[n]);
}

bool ImageStore::decode(int n, const uint8_t* data, size_t size, unsigned dpi) {
    if (!decode(n, data, size)) return false;
    Picture& p = pictures_[n];
    const PictureDesign design = DesignOf(n);
    const int width = ScaledLength(design.width, dpi), height = ScaledLength(design.height, dpi);
    bool ok = true;
    if (p.width != width || p.height != height) ok = ResamplePicture(p, width, height, p);
    if (ok && design.icon && !p.icon) ok = MakeIcon(p);
    if (!ok) p.clear();
    return ok;
}

void ImageStore::clear(int n) {
    if (IsPictureNumber(n)) pictures_[n].clear();
}

void ImageStore::clearAll() {
    for (auto& p : pictures_) p.clear();
}

const Picture* ImageStore::get(int n) const {
    if (!IsPictureNumber(n) || pictures_[n].empty()) return nullptr;
    return &pictures_[n];
}

Picture* ImageStore::get(int n) {
    if (!IsPictureNumber(n) || pictures_[n].empty()) return nullptr;
    return &pictures_[n];
}

int ImageStore::width(int n) const {
    const Picture* p = get(n);
    return p ? p->width : 0;
}

int ImageStore::height(int n) const {
    const Picture* p = get(n);
    return p ? p->height : 0;
}

int ImageStore::depth(int n) const {
    const Picture* p = get(n);
    return p ? p->depth : 0;
}

bool ImageStore::isIcon(int n) const {
    const Picture* p = get(n);
    return p && p->icon;
}

}  // namespace vireo
