// Decoding of the committed pictures and of hand-made BMP, ICO and PNG files,
// including damaged ones.
#include "ui/picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace vireo {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAsset(const std::string& name) {
    std::ifstream f(std::string(VIREO_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

struct Asset {
    int number;
    const char* file;
    int width, height, depth;
};

const Asset kAssets[] = {
    {0, "00_plain_backdrop.bmp", 795, 63, 24}, {1, "01_folder.bmp", 37, 23, 24},
    {2, "02_pause.bmp", 42, 14, 24},           {3, "03_resume.bmp", 42, 14, 24},
    {4, "04_play.bmp", 42, 15, 24},            {5, "05_stop.bmp", 42, 15, 24},
    {6, "06_user.bmp", 36, 27, 24},            {7, "07_web_badge.bmp", 47, 22, 24},
    {8, "08_power.ico", 16, 16, 32},           {9, "09_help.ico", 16, 16, 32},
    {10, "10_globe.ico", 16, 16, 32},          {11, "11_web.ico", 16, 16, 32},
    {12, "12_info.ico", 16, 16, 32},           {13, "13_minimize.ico", 16, 16, 32},
    {14, "14_mute.ico", 16, 16, 32},           {15, "15_volume.ico", 16, 16, 32},
    {20, "20_backdrop.png", 795, 70, 32},      {21, "21_orange_ball.png", 16, 16, 32},
    {22, "22_red_ball.png", 16, 16, 32},       {23, "23_blue_ball.png", 16, 16, 32},
    {24, "24_green_ball.png", 16, 16, 32},
};

// Pixel (x, y) of a decoded picture, y counted from the top.
const uint8_t* At(const Picture& p, int x, int y) {
    return p.pixels.data() + (p.height - 1 - y) * p.stride() + x * (p.depth / 8);
}

void ExpectEmpty(const Picture& p) {
    EXPECT_EQ(p.width, 0);
    EXPECT_EQ(p.height, 0);
    EXPECT_EQ(p.depth, 0);
    EXPECT_FALSE(p.icon);
    EXPECT_TRUE(p.pixels.empty());
    EXPECT_TRUE(p.iconImage.empty());
}

// Alpha values of a 32-bit picture: {any 0, any 255, any in between}.
struct AlphaUse {
    bool zero = false, full = false, graded = false;
};
AlphaUse Alphas(const Picture& p) {
    AlphaUse u;
    for (size_t i = 3; i < p.pixels.size(); i += 4) {
        const uint8_t a = p.pixels[i];
        (a == 0 ? u.zero : a == 255 ? u.full : u.graded) = true;
    }
    return u;
}

// ------------------------------------------------------------ the assets ---

// The file of a picture drawn at another scale.
std::string Drawn(const Asset& a, int percent) {
    const std::string file = a.file;
    return percent == 100 ? file : "s" + std::to_string(percent) + "/" + file.substr(0, file.find('.')) + ".png";
}

unsigned DpiOf(int percent) { return unsigned(percent) * 96 / 100; }

const Asset& AssetOf(int n) {
    return *std::find_if(std::begin(kAssets), std::end(kAssets), [n](const Asset& a) { return a.number == n; });
}

// Every picture at 100 %, the shown ones at every scale: round(size * scale).
TEST(PictureAssets, EveryPictureDecodesWithItsSizeAndDepth) {
    for (const Asset& a : kAssets) {
        const PictureDesign d = DesignOf(a.number);
        EXPECT_EQ(d.width, a.width) << a.file;
        EXPECT_EQ(d.height, a.height) << a.file;
        EXPECT_EQ(d.icon, a.number >= 8 && a.number <= 15) << a.file;
        for (int percent : kDrawnScales) {
            if (percent != 100 && !d.everyScale) continue;
            SCOPED_TRACE(Drawn(a, percent));
            const Bytes file = ReadAsset(Drawn(a, percent));
            ASSERT_FALSE(file.empty());
            Picture p;
            ASSERT_TRUE(DecodePicture(file.data(), file.size(), p));
            EXPECT_EQ(p.width, ScaledLength(a.width, DpiOf(percent)));
            EXPECT_EQ(p.height, ScaledLength(a.height, DpiOf(percent)));
            EXPECT_EQ(p.depth, a.depth);
            EXPECT_EQ(p.icon, d.icon && percent == 100);
            EXPECT_EQ(p.pixels.size(), p.stride() * p.height);
        }
    }
}

TEST(PictureAssets, BitmapsAreUncompressed24BitWithInfoHeader) {
    for (const Asset& a : kAssets) {
        if (a.number > 7) continue;
        SCOPED_TRACE(a.file);
        const Bytes f = ReadAsset(a.file);
        ASSERT_GE(f.size(), 54u);
        EXPECT_EQ(f[0], 'B');
        EXPECT_EQ(f[1], 'M');
        uint32_t offset, header, compression;
        uint16_t bits;
        std::memcpy(&offset, &f[10], 4);
        std::memcpy(&header, &f[14], 4);
        std::memcpy(&bits, &f[28], 2);
        std::memcpy(&compression, &f[30], 4);
        EXPECT_EQ(offset, 54u);
        EXPECT_EQ(header, 40u);
        EXPECT_EQ(bits, 24);
        EXPECT_EQ(compression, 0u);
        EXPECT_EQ(f.size(), 54 + Picture::RowStride(a.width, 24) * a.height);
    }
}

TEST(PictureAssets, BackdropHasTransparentTopRowsAndOpaqueBandAtEveryScale) {
    for (int percent : kDrawnScales) {
        SCOPED_TRACE(percent);
        const Bytes f = ReadAsset(Drawn(AssetOf(BackdropImage), percent));
        ASSERT_GT(f.size(), 33u);
        EXPECT_EQ(f[24], 8);  // bit depth
        EXPECT_EQ(f[25], 6);  // RGBA
        EXPECT_EQ(f[28], percent == 100 ? 1 : 0);  // Adam7 at 100 %
        Picture p;
        ASSERT_TRUE(DecodePicture(f.data(), f.size(), p));
        const unsigned dpi = DpiOf(percent);
        const int band = ScaledLength(8, dpi), bevelEnd = ScaledLength(12, dpi), w = p.width;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(At(p, x, y)[3], y < band ? 0 : 255) << x << "," << y;
        // The bevel colours at the top of the band.
        for (int x : {0, w / 2, w - 1}) {
            EXPECT_EQ(At(p, x, band)[0], 244);
            EXPECT_EQ(At(p, x, band)[2], 241);
            EXPECT_EQ(At(p, x, bevelEnd)[0], 194);
            EXPECT_EQ(At(p, x, bevelEnd)[2], 178);
        }
        // Shaded from white to grey 135 by row 55.
        EXPECT_GE(At(p, w * 3 / 8, ScaledLength(18, dpi))[1], 250);
        EXPECT_NEAR(At(p, w * 3 / 8, ScaledLength(55, dpi))[1], 135, 4);
    }
}

TEST(PictureAssets, BallsAndEmblemsHaveGradedAlphaEdges) {
    for (int n : {11, 15, 21, 22, 23, 24})
        for (int percent : kDrawnScales) {
            const Asset& a = AssetOf(n);
            SCOPED_TRACE(Drawn(a, percent));
            const Bytes f = ReadAsset(Drawn(a, percent));
            Picture p;
            ASSERT_TRUE(DecodePicture(f.data(), f.size(), p));
            const AlphaUse u = Alphas(p);
            EXPECT_TRUE(u.zero && u.full && u.graded);
            if (n < 21) continue;
            EXPECT_EQ(f[24], 8);
            EXPECT_EQ(f[25], 6);
            EXPECT_EQ(At(p, 0, 0)[3], 0);
            EXPECT_EQ(At(p, p.width / 2, p.height / 2)[3], 255);
        }
}

// In a 32-bit icon image of size s, the AND mask is set where alpha is 0.
void ExpectMaskWhereTransparent(const uint8_t* image, int s) {
    const uint8_t* xorBits = image + 40;
    const uint8_t* mask = xorBits + s * s * 4;
    const size_t maskStride = Picture::RowStride(s, 1);
    for (int row = 0; row < s; ++row)
        for (int x = 0; x < s; ++x) {
            const bool transparent = (mask[row * maskStride + x / 8] >> (7 - x % 8)) & 1;
            EXPECT_EQ(transparent, xorBits[(row * s + x) * 4 + 3] == 0) << row << "," << x;
        }
}

// The icons: 1,150 bytes, one 16 x 16 entry of 32 bits, the AND mask set
// exactly where alpha is 0.
TEST(PictureAssets, IconsAreOneEntryWithConsistentMask) {
    for (int n = 8; n <= 15; ++n) {
        const Asset& a = kAssets[n];
        SCOPED_TRACE(a.file);
        const Bytes f = ReadAsset(a.file);
        ASSERT_EQ(f.size(), 1150u);
        EXPECT_EQ(f[4], 1);  // one entry
        EXPECT_EQ(f[6], 16);
        EXPECT_EQ(f[7], 16);
        EXPECT_EQ(f[12], 32);
        Picture p;
        ASSERT_TRUE(DecodePicture(f.data(), f.size(), p));
        EXPECT_TRUE(p.icon);
        EXPECT_EQ(p.iconImage, Bytes(f.begin() + 22, f.end()));
        const AlphaUse u = Alphas(p);
        EXPECT_TRUE(u.zero && u.full && u.graded);
        ExpectMaskWhereTransparent(f.data() + 22, 16);
    }
}

TEST(PictureAssets, ResourceScriptEmbedsEveryPictureUnderItsNumber) {
    std::ifstream f(std::string(VIREO_SOURCE_DIR) + "/assets/assets.rc");
    const std::string rc((std::istreambuf_iterator<char>(f)), {});
    std::map<int, std::string> ids;
    const std::regex line(R"re((\d+)\s+RCDATA\s+"assets/([^"]+)")re");
    for (std::sregex_iterator it(rc.begin(), rc.end(), line), end; it != end; ++it)
        ids[std::stoi((*it)[1])] = (*it)[2];
    // 13 pictures shown, drawn at 6 more scales.
    EXPECT_EQ(ids.size(), std::size(kAssets) + 13 * 6);
    for (const Asset& a : kAssets)
        for (int percent : kDrawnScales) {
            if (percent != 100 && !DesignOf(a.number).everyScale) continue;
            EXPECT_EQ(ids[PictureResource(a.number, percent)], Drawn(a, percent)) << a.number;
            EXPECT_FALSE(ReadAsset(Drawn(a, percent)).empty()) << Drawn(a, percent);
        }
}

// ------------------------------------------------------------ damage -------

// Prefix lengths to try: all the short ones, a sample of the middle, the end.
std::vector<size_t> CutPoints(size_t size) {
    std::vector<size_t> cuts;
    for (size_t n = 0; n < size; ++n)
        if (n < 200 || n + 80 > size || n % 61 == 0) cuts.push_back(n);
    return cuts;
}

TEST(PictureDamage, EveryTruncatedAssetFailsCleanly) {
    for (const Asset& a : kAssets) {
        SCOPED_TRACE(a.file);
        const Bytes f = ReadAsset(a.file);
        for (size_t cut : CutPoints(f.size())) {
            // A copy of exactly `cut` bytes, so the sanitizer sees any overread.
            const Bytes part(f.begin(), f.begin() + cut);
            Picture p;
            p.width = 5;  // must be cleared
            ASSERT_FALSE(DecodePicture(part.data(), part.size(), p)) << "cut at " << cut;
            ExpectEmpty(p);
        }
    }
}

TEST(PictureDamage, CorruptedHeadersNeverCrashAndFailuresLeaveNothing) {
    for (const Asset& a : kAssets) {
        SCOPED_TRACE(a.file);
        const Bytes f = ReadAsset(a.file);
        for (size_t pos = 0; pos < std::min<size_t>(f.size(), 120); ++pos)
            for (uint8_t flip : {0x01, 0x80, 0xFF}) {
                Bytes bad = f;
                bad[pos] ^= flip;
                Picture p;
                if (!DecodePicture(bad.data(), bad.size(), p)) ExpectEmpty(p);
                else EXPECT_EQ(p.pixels.size(), p.stride() * p.height);
            }
    }
}

TEST(PictureDamage, DamagedPngDataIsRejected) {
    for (const char* name : {"20_backdrop.png", "22_red_ball.png"}) {
        SCOPED_TRACE(name);
        const Bytes f = ReadAsset(name);
        for (size_t pos : {size_t{12}, size_t{20}, f.size() / 2, f.size() - 20, f.size() - 5}) {
            Bytes bad = f;
            bad[pos] ^= 0x5A;
            Picture p;
            EXPECT_FALSE(DecodePicture(bad.data(), bad.size(), p)) << pos;
            ExpectEmpty(p);
        }
    }
}

TEST(PictureDamage, UnknownOrMissingDataIsRejected) {
    const uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    const uint8_t bm[] = {'B', 'M'};
    Picture p;
    EXPECT_FALSE(DecodePicture(nullptr, 100, p));
    EXPECT_FALSE(DecodePicture(junk, 0, p));
    EXPECT_FALSE(DecodePicture(junk, sizeof junk, p));
    EXPECT_FALSE(DecodePicture(bm, sizeof bm, p));
    ExpectEmpty(p);
}

// ------------------------------------------------------------ BMP ----------

void Le16(Bytes& v, size_t at, uint32_t x) {
    v[at] = uint8_t(x), v[at + 1] = uint8_t(x >> 8);
}
void Le32(Bytes& v, size_t at, uint32_t x) {
    Le16(v, at, x & 0xFFFF);
    Le16(v, at + 2, x >> 16);
}

// A BMP file with a 40-byte header, the palette and the given rows (file
// order, already padded).
Bytes MakeBmp(int32_t width, int32_t height, int bits, const Bytes& palette, const Bytes& rows, uint32_t clrUsed = 0) {
    Bytes v(54 + palette.size());
    v[0] = 'B', v[1] = 'M';
    Le32(v, 2, uint32_t(v.size() + rows.size()));
    Le32(v, 10, uint32_t(54 + palette.size()));
    Le32(v, 14, 40);
    Le32(v, 18, uint32_t(width));
    Le32(v, 22, uint32_t(height));
    Le16(v, 26, 1);
    Le16(v, 28, uint32_t(bits));
    Le32(v, 46, clrUsed);
    std::copy(palette.begin(), palette.end(), v.begin() + 54);
    v.insert(v.end(), rows.begin(), rows.end());
    return v;
}

TEST(Bmp, TwentyFourBitRowsAreKeptBottomUpWithPadding) {
    // 2 x 2: bottom row blue, red; top row green, white. Rows of 6 bytes + 2 pad.
    const Bytes rows = {255, 0, 0, 0, 0, 255, 0, 0, /**/ 0, 255, 0, 255, 255, 255, 0, 0};
    const Bytes f = MakeBmp(2, 2, 24, {}, rows);
    Picture p;
    ASSERT_TRUE(DecodePicture(f.data(), f.size(), p));
    EXPECT_EQ(p.depth, 24);
    EXPECT_EQ(p.pixels, rows);
    EXPECT_EQ(At(p, 0, 0)[1], 255);  // top-left green
}

TEST(Bmp, TopDownRowsAreTurnedBottomUp) {
    const Bytes rows = {1, 2, 3, 0, /**/ 4, 5, 6, 0};
    const Bytes f = MakeBmp(1, -2, 24, {}, rows);
    Picture p;
    ASSERT_TRUE(DecodePicture(f.data(), f.size(), p));
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(p.pixels, (Bytes{4, 5, 6, 0, 1, 2, 3, 0}));
}

TEST(Bmp, ThirtyTwoBitKeepsItsFourthByte) {
    const Bytes rows = {10, 20, 30, 40, 50, 60, 70, 0};
    const Bytes f = MakeBmp(2, 1, 32, {}, rows);
    Picture p;
    ASSERT_TRUE(DecodePicture(f.data(), f.size(), p));
    EXPECT_EQ(p.depth, 32);
    EXPECT_EQ(p.pixels, rows);
}

TEST(Bmp, LowerDepthsBecomeTwentyFourBit) {
    const Bytes pal = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0};
    struct Case {
        const char* name;
        int bits;
        Bytes palette;
        uint32_t clrUsed;
        Bytes row;        // one padded source row
        Bytes expected;   // three pixels, then padding to 12 bytes
    } cases[] = {
        {"1-bit", 1, {pal.begin(), pal.begin() + 8}, 0, {0b10100000, 0, 0, 0},
         {40, 50, 60, 10, 20, 30, 40, 50, 60, 0, 0, 0}},
        {"4-bit", 4, pal, 3, {0x21, 0x00, 0, 0}, {70, 80, 90, 40, 50, 60, 10, 20, 30, 0, 0, 0}},
        // Index 7 lies past the three palette entries: black.
        {"8-bit", 8, pal, 3, {2, 7, 0, 0}, {70, 80, 90, 0, 0, 0, 10, 20, 30, 0, 0, 0}},
        // 5-5-5: pure red, pure green, white.
        {"16-bit", 16, {}, 0, {0x00, 0x7C, 0xE0, 0x03, 0xFF, 0x7F, 0, 0}, {0, 0, 255, 0, 255, 0, 255, 255, 255, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes f = MakeBmp(3, 1, c.bits, c.palette, c.row, c.clrUsed);
        Picture p;
        ASSERT_TRUE(DecodePicture(f.data(), f.size(), p));
        EXPECT_EQ(p.depth, 24);
        EXPECT_EQ(p.pixels, c.expected);
    }
}

// One header field of a good file overwritten with a bad value.
struct HeaderPatch {
    const char* name;
    size_t at;
    uint32_t value;
    int width;  // 2 or 4 bytes
};

template <size_t N>
void ExpectPatchesRejected(const Bytes& good, const HeaderPatch (&patches)[N]) {
    for (const HeaderPatch& c : patches) {
        SCOPED_TRACE(c.name);
        Bytes bad = good;
        if (c.width == 2) Le16(bad, c.at, c.value);
        else Le32(bad, c.at, c.value);
        Picture q;
        EXPECT_FALSE(DecodePicture(bad.data(), bad.size(), q));
        ExpectEmpty(q);
    }
}

TEST(Bmp, BadHeadersAreRejected) {
    const Bytes good = MakeBmp(2, 2, 24, {}, Bytes(16, 7));
    Picture p;
    ASSERT_TRUE(DecodePicture(good.data(), good.size(), p));
    const HeaderPatch cases[] = {
        {"compressed", 30, 1, 4},          {"bit fields", 30, 3, 4},       {"2 bits", 28, 2, 2},
        {"0 bits", 28, 0, 2},              {"2 planes", 26, 2, 2},         {"width 0", 18, 0, 4},
        {"negative width", 18, 0xFFFFFFFE, 4}, {"height 0", 22, 0, 4},     {"height INT_MIN", 22, 0x80000000, 4},
        {"width too large", 18, 40000, 4}, {"pixels past the end", 10, 60, 4}, {"offset huge", 10, 0xFFFFFFF0, 4},
        {"header too small", 14, 16, 4},   {"header past the end", 14, 0xFFFFFFF0, 4},
        {"more rows than data", 22, 3, 4},
    };
    ExpectPatchesRejected(good, cases);
}

TEST(Bmp, PaletteMustBeInsideTheFile) {
    Bytes f = MakeBmp(1, 1, 8, Bytes(16, 0), Bytes{0, 0, 0, 0}, 4);
    Picture p;
    ASSERT_TRUE(DecodePicture(f.data(), f.size(), p));
    Le32(f, 46, 200);  // 200 entries announced, the file ends long before
    EXPECT_FALSE(DecodePicture(f.data(), f.size(), p));
}

TEST(Bmp, HugeDimensionsAreRefusedBeforeAllocating) {
    // 32000 x 32000 at 1 bit needs 128 MB of data; this file has a few bytes.
    const Bytes f = MakeBmp(32000, 32000, 1, Bytes(8, 0), Bytes(16, 0));
    Picture p;
    EXPECT_FALSE(DecodePicture(f.data(), f.size(), p));
}

// ------------------------------------------------------------ ICO ----------

struct IconEntry {
    int size;  // width = height
    int bits;
    Bytes image;
};

Bytes MakeIco(const std::vector<IconEntry>& entries) {
    Bytes v(6 + 16 * entries.size());
    Le16(v, 2, 1);
    Le16(v, 4, uint32_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const size_t e = 6 + 16 * i;
        v[e] = uint8_t(entries[i].size), v[e + 1] = uint8_t(entries[i].size);
        Le16(v, e + 4, 1);
        Le16(v, e + 6, uint32_t(entries[i].bits));
        Le32(v, e + 8, uint32_t(entries[i].image.size()));
        Le32(v, e + 12, uint32_t(v.size()));
        v.insert(v.end(), entries[i].image.begin(), entries[i].image.end());
    }
    return v;
}

// An icon image (header, palette, XOR rows, AND rows) of size s, every XOR
// pixel's bytes filled with `fill`, the AND mask with `mask`.
Bytes IconImage(int s, int bits, uint8_t fill, uint8_t mask, const Bytes& palette = {}) {
    Bytes v(40);
    Le32(v, 0, 40);
    Le32(v, 4, uint32_t(s));
    Le32(v, 8, uint32_t(2 * s));
    Le16(v, 12, 1);
    Le16(v, 14, uint32_t(bits));
    v.insert(v.end(), palette.begin(), palette.end());
    v.insert(v.end(), Picture::RowStride(s, bits) * s, fill);
    v.insert(v.end(), Picture::RowStride(s, 1) * s, mask);
    return v;
}

TEST(Ico, TakesTheDeepestEntryOfTheFirstEntrysSize) {
    const Bytes ico = MakeIco({{16, 8, IconImage(16, 8, 0, 0, Bytes(1024, 9))},
                               {16, 32, IconImage(16, 32, 0x11, 0)},
                               {32, 32, IconImage(32, 32, 0x22, 0)},  // other size: ignored
                               {16, 32, IconImage(16, 32, 0x33, 0)}});  // a tie: the first wins
    Picture p;
    ASSERT_TRUE(DecodePicture(ico.data(), ico.size(), p));
    EXPECT_TRUE(p.icon);
    EXPECT_EQ(p.width, 16);
    EXPECT_EQ(p.depth, 32);
    EXPECT_EQ(p.pixels[0], 0x11);
    EXPECT_EQ(p.iconImage, IconImage(16, 32, 0x11, 0));
}

TEST(Ico, AlphaComesFromTheMaskWhenTheImageHasNone) {
    // 8 bits, all pixels index 1; left half masked out (bits 1).
    Bytes palette(1024, 0);
    palette[4] = 10, palette[5] = 20, palette[6] = 30;
    Bytes img = IconImage(16, 8, 1, 0, palette);
    const size_t andStart = img.size() - 64;
    for (int row = 0; row < 16; ++row) img[andStart + row * 4] = 0xFF;
    for (int bits : {8, 32}) {
        SCOPED_TRACE(bits);
        const Bytes ico = MakeIco({{16, bits, bits == 8 ? img : IconImage(16, 32, 0, 0xF0)}});
        Picture p;
        ASSERT_TRUE(DecodePicture(ico.data(), ico.size(), p));
        EXPECT_EQ(p.depth, 32);
        EXPECT_EQ(At(p, 0, 0)[3], 0);
        EXPECT_EQ(At(p, 3, 7)[3], 0);
        EXPECT_EQ(At(p, 15, 7)[3], 255);
        if (bits == 8) {
            EXPECT_EQ(At(p, 15, 3)[2], 30);
        }
    }
}

// Sizes for every scale, smallest first, each 32-bit with graded alpha (the
// 256 one as PNG). A thumbnail glyph is white on a dark edge amid clear
// pixels, nothing of it cut by the frame, and unlike the other three at every
// size. (The end-to-end case loads each from the exe by its resource id.)
TEST(PictureAssets, IconsHaveEverySize) {
    const std::vector<int> thumb = {16, 20, 24, 28, 32, 40, 48};
    const struct {
        bool glyph;
        const char* file;
        std::vector<int> sizes;
    } icons[] = {{false, "vireo.ico", {16, 20, 24, 32, 40, 48, 64, 256}}, {true, "thumb_play.ico", thumb},
                 {true, "thumb_pause.ico", thumb}, {true, "thumb_resume.ico", thumb}, {true, "thumb_stop.ico", thumb}};
    std::map<int, std::vector<Bytes>> alphas;  // the glyphs', by size
    for (const auto& icon : icons) {
        SCOPED_TRACE(icon.file);
        const Bytes f = ReadAsset(icon.file);
        ASSERT_GE(f.size(), 6u);
        ASSERT_EQ(f[4], icon.sizes.size());
        for (size_t i = 0; i < icon.sizes.size(); ++i) {
            const int s = icon.sizes[i];
            uint32_t length, offset;
            std::memcpy(&length, f.data() + 6 + 16 * i + 8, 4);
            std::memcpy(&offset, f.data() + 6 + 16 * i + 12, 4);
            ASSERT_LE(uint64_t{offset} + length, f.size());
            const Bytes image(f.begin() + offset, f.begin() + offset + length), one = MakeIco({{s, 32, image}});
            Picture p;
            ASSERT_TRUE(DecodePicture(one.data(), one.size(), p)) << s;
            EXPECT_EQ(p.width, s);
            EXPECT_EQ(f[6 + 16 * i + 6], 32) << s;  // bits per pixel
            EXPECT_TRUE(Alphas(p).graded) << s;
            if (image[0] != 0x89) ExpectMaskWhereTransparent(image.data(), s);  // a bitmap, not a PNG
            if (!icon.glyph) continue;
            int clear = 0, white = 0, dark = 0, frame = 0;
            Bytes& alpha = alphas[s].emplace_back();
            for (int y = 0; y < s; ++y)
                for (int x = 0; x < s; ++x) {
                    const uint8_t* c = At(p, x, y);
                    const int lo = std::min({c[0], c[1], c[2]}), hi = std::max({c[0], c[1], c[2]});
                    clear += c[3] < 16, white += c[3] == 255 && lo >= 220, dark += c[3] >= 150 && hi <= 80;
                    if (x % (s - 1) == 0 || y % (s - 1) == 0) frame = std::max<int>(frame, c[3]);
                    alpha.push_back(c[3]);
                }
            EXPECT_TRUE(clear * 10 >= s * s * 4 && white * 10 >= s * s && dark * 20 >= s * s && frame < 32)
                << s << ": " << clear << " clear, " << white << " white, " << dark << " dark, frame " << frame;
        }
    }
    for (const auto& [s, four] : alphas)
        for (size_t a = 0; a < four.size(); ++a)
            for (size_t b = a + 1; b < four.size(); ++b) {
                int differ = 0;
                for (size_t i = 0; i < four[a].size(); ++i) differ += std::abs(four[a][i] - four[b][i]) > 64;
                EXPECT_GE(differ * 10, s * s) << s << ": glyphs " << a << " and " << b;
            }
}

TEST(Ico, BrokenDirectoriesAndImagesAreRejected) {
    const Bytes good = MakeIco({{16, 32, IconImage(16, 32, 1, 0)}});
    Picture p;
    ASSERT_TRUE(DecodePicture(good.data(), good.size(), p));
    const HeaderPatch cases[] = {
        {"no entries", 4, 0, 2},           {"entries past the end", 4, 500, 2},
        {"image past the end", 14, 2000, 4}, {"offset past the end", 18, 5000, 4},
        {"offset huge", 18, 0xFFFFFFFF, 4}, {"empty image", 14, 0, 4},
        {"odd height", 22 + 8, 33, 4},      {"no AND mask room", 22 + 8, 34, 4},
        {"compressed", 22 + 16, 1, 4},      {"3 bits", 22 + 14, 3, 2},
        {"header size huge", 22, 0x10000, 4},
    };
    ExpectPatchesRejected(good, cases);
    // Without its AND mask the image is short.
    Bytes shortImage = IconImage(16, 32, 1, 0);
    shortImage.resize(shortImage.size() - 64);
    const Bytes noMask = MakeIco({{16, 32, shortImage}});
    EXPECT_FALSE(DecodePicture(noMask.data(), noMask.size(), p));
}

// ------------------------------------------------------------ PNG ----------

struct PngFormat {
    PngFormat(int w, int h, int type, int depth) : width(w), height(h), colorType(type), bitDepth(depth) {}
    int width, height, colorType, bitDepth;
    bool interlaced = false;
    std::vector<png_color> palette;
    Bytes trnsAlpha;          // palette transparency
    png_color_16 trnsColor{};  // grey / RGB transparency
    bool hasTrnsColor = false;
};

void AppendToVector(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// Encodes packed rows (top-down, libpng's layout) as a PNG file in memory.
Bytes EncodePng(const PngFormat& s, const std::vector<Bytes>& rows) {
    Bytes out;
    std::vector<png_bytep> pointers;
    for (const Bytes& r : rows) pointers.push_back(const_cast<png_bytep>(r.data()));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "encoding failed";
        return {};
    }
    png_set_write_fn(png, &out, AppendToVector, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    if (!s.trnsAlpha.empty() || s.hasTrnsColor)
        png_set_tRNS(png, info, s.trnsAlpha.empty() ? nullptr : s.trnsAlpha.data(), int(s.trnsAlpha.size()),
                     s.hasTrnsColor ? &s.trnsColor : nullptr);
    png_write_info(png, info);
    png_set_interlace_handling(png);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

uint8_t Pseudo(int x, int y, int k) { return uint8_t((x * 37 + y * 91 + k * 53 + x * y * 7) & 0xFF); }

TEST(Png, InterlacedAndPlainFilesDecodeToTheSamePixels) {
    for (int colorType : {PNG_COLOR_TYPE_RGB_ALPHA, PNG_COLOR_TYPE_RGB}) {
        const int channels = colorType == PNG_COLOR_TYPE_RGB ? 3 : 4;
        std::vector<Bytes> rows;
        for (int y = 0; y < 23; ++y) {
            Bytes r;
            for (int x = 0; x < 37; ++x)
                for (int k = 0; k < channels; ++k) r.push_back(Pseudo(x, y, k));
            rows.push_back(r);
        }
        PngFormat s{37, 23, colorType, 8};
        const Bytes plain = EncodePng(s, rows);
        s.interlaced = true;
        const Bytes adam7 = EncodePng(s, rows);
        ASSERT_NE(plain, adam7);
        Picture a, b;
        ASSERT_TRUE(DecodePicture(plain.data(), plain.size(), a));
        ASSERT_TRUE(DecodePicture(adam7.data(), adam7.size(), b));
        EXPECT_EQ(a.depth, channels * 8);
        EXPECT_EQ(a.pixels, b.pixels);
        // Upright, blue first.
        EXPECT_EQ(At(a, 5, 2)[0], Pseudo(5, 2, 2));
        EXPECT_EQ(At(a, 5, 2)[2], Pseudo(5, 2, 0));
        if (channels == 4) {
            EXPECT_EQ(At(a, 36, 22)[3], Pseudo(36, 22, 3));
        }
        // 37 * 3 = 111 bytes of pixels, rows padded to 112.
        EXPECT_EQ(a.stride(), channels == 3 ? 112u : 148u);
    }
}

TEST(Png, ColourTypesExpandToBgrOrBgra) {
    struct Case {
        const char* name;
        PngFormat format;
        Bytes row;       // one row, 2 pixels, as libpng packs it
        int depth;
        Bytes expected;  // the decoded row, padding included
    };
    PngFormat palette{2, 1, PNG_COLOR_TYPE_PALETTE, 8};
    palette.palette = {{10, 20, 30}, {40, 50, 60}};
    PngFormat paletteTrns = palette;
    paletteTrns.trnsAlpha = {128};
    PngFormat palette2 = palette;
    palette2.bitDepth = 2;
    PngFormat greyTrns{2, 1, PNG_COLOR_TYPE_GRAY, 8};
    greyTrns.trnsColor.gray = 7;
    greyTrns.hasTrnsColor = true;
    PngFormat rgbTrns{2, 1, PNG_COLOR_TYPE_RGB, 8};
    rgbTrns.trnsColor = png_color_16{0, 1, 2, 3, 0};
    rgbTrns.hasTrnsColor = true;
    const Case cases[] = {
        {"palette", palette, {1, 0}, 24, {60, 50, 40, 30, 20, 10, 0, 0}},
        {"palette with tRNS", paletteTrns, {0, 1}, 32, {30, 20, 10, 128, 60, 50, 40, 255}},
        {"2-bit palette", palette2, {0b01000000}, 24, {60, 50, 40, 30, 20, 10, 0, 0}},
        {"1-bit grey", {2, 1, PNG_COLOR_TYPE_GRAY, 1}, {0b10000000}, 24, {255, 255, 255, 0, 0, 0, 0, 0}},
        {"4-bit grey", {2, 1, PNG_COLOR_TYPE_GRAY, 4}, {0x5F}, 24, {85, 85, 85, 255, 255, 255, 0, 0}},
        {"8-bit grey with tRNS", greyTrns, {7, 8}, 32, {7, 7, 7, 0, 8, 8, 8, 255}},
        {"grey and alpha", {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8}, {100, 50, 200, 255}, 32,
         {100, 100, 100, 50, 200, 200, 200, 255}},
        {"16-bit grey", {2, 1, PNG_COLOR_TYPE_GRAY, 16}, {0x12, 0x34, 0xAB, 0xCD}, 24,
         {0x12, 0x12, 0x12, 0xAB, 0xAB, 0xAB, 0, 0}},
        {"16-bit RGBA", {2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16},
         {0x11, 0, 0x22, 0, 0x33, 0, 0x44, 0, 0xAA, 1, 0xBB, 2, 0xCC, 3, 0xDD, 4}, 32,
         {0x33, 0x22, 0x11, 0x44, 0xCC, 0xBB, 0xAA, 0xDD}},
        {"RGB with tRNS", rgbTrns, {1, 2, 3, 1, 2, 4}, 32, {3, 2, 1, 0, 4, 2, 1, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = EncodePng(c.format, {c.row});
        Picture p;
        ASSERT_TRUE(DecodePicture(file.data(), file.size(), p));
        EXPECT_FALSE(p.icon);
        EXPECT_EQ(p.depth, c.depth);
        EXPECT_EQ(p.pixels, c.expected);
    }
}

TEST(Png, RowsAreWrittenBottomUp) {
    const Bytes file = EncodePng({1, 3, PNG_COLOR_TYPE_GRAY, 8}, {{10}, {20}, {30}});
    Picture p;
    ASSERT_TRUE(DecodePicture(file.data(), file.size(), p));
    EXPECT_EQ(p.pixels, (Bytes{30, 30, 30, 0, 20, 20, 20, 0, 10, 10, 10, 0}));
}

TEST(Png, OversizedImagesAreRefused) {
    // A valid header announcing 40000 x 1: past the 16-bit picture size.
    std::vector<Bytes> rows{Bytes(40000, 0)};
    const Bytes wide = EncodePng({40000, 1, PNG_COLOR_TYPE_GRAY, 8}, rows);
    Picture p;
    EXPECT_FALSE(DecodePicture(wide.data(), wide.size(), p));
    ExpectEmpty(p);
}

TEST(Png, IconsMayEmbedAPng) {
    const Bytes png = EncodePng({16, 16, PNG_COLOR_TYPE_RGB, 8}, std::vector<Bytes>(16, Bytes(48, 90)));
    const Bytes ico = MakeIco({{16, 32, png}});
    Picture p;
    ASSERT_TRUE(DecodePicture(ico.data(), ico.size(), p));
    EXPECT_TRUE(p.icon);
    EXPECT_EQ(p.depth, 32);
    EXPECT_EQ(At(p, 4, 4)[3], 255);
    EXPECT_EQ(p.iconImage, png);
}

// ------------------------------------------------------------ store --------

TEST(ImageStoreTest, DecodingANumberAgainKeepsOnlyTheSecondPicture) {
    const Bytes folder = ReadAsset("01_folder.bmp"), ball = ReadAsset("21_orange_ball.png");
    ImageStore s;
    ASSERT_TRUE(s.decode(PlayImage, folder.data(), folder.size()));
    EXPECT_EQ(s.width(PlayImage), 37);
    EXPECT_EQ(s.depth(PlayImage), 24);
    ASSERT_TRUE(s.decode(PlayImage, ball.data(), ball.size()));
    EXPECT_EQ(s.width(PlayImage), 16);
    EXPECT_EQ(s.height(PlayImage), 16);
    EXPECT_EQ(s.depth(PlayImage), 32);
    EXPECT_EQ(s.get(PlayImage)->pixels.size(), 16u * 16 * 4);
}

TEST(ImageStoreTest, AFailedDecodeEmptiesTheNumber) {
    const Bytes ball = ReadAsset("22_red_ball.png");
    ImageStore s;
    ASSERT_TRUE(s.decode(RedBallImage, ball.data(), ball.size()));
    EXPECT_FALSE(s.decode(RedBallImage, ball.data(), 40));
    EXPECT_TRUE(s.empty(RedBallImage));
    EXPECT_EQ(s.width(RedBallImage), 0);
    EXPECT_EQ(s.height(RedBallImage), 0);
    EXPECT_EQ(s.depth(RedBallImage), 0);
    EXPECT_EQ(s.get(RedBallImage), nullptr);
}

TEST(ImageStoreTest, OnlyThePlayersNumbersAreUsed) {
    const Bytes icon = ReadAsset("15_volume.ico");
    ImageStore s;
    for (int n : {-1, 16, 17, 18, 19, 25, 1000}) {
        EXPECT_FALSE(s.decode(n, icon.data(), icon.size())) << n;
        EXPECT_EQ(s.width(n), 0);
        EXPECT_EQ(s.get(n), nullptr);
    }
    for (int n : {0, 15, 20, 24}) {
        EXPECT_TRUE(s.decode(n, icon.data(), icon.size())) << n;
        EXPECT_TRUE(s.isIcon(n));
    }
    s.clear(15);
    EXPECT_TRUE(s.empty(15));
    EXPECT_FALSE(s.empty(20));
    s.clearAll();
    EXPECT_TRUE(s.empty(0));
    EXPECT_TRUE(s.empty(24));
}

// ------------------------------------------------------------ scales -----

TEST(Scales, DrawnScaleAndLengthForADpi) {
    struct Case {
        int picture;
        unsigned dpi;
        int percent;      // the drawn set to start from
        int backdropWidth, backdropHeight;
    };
    const Case cases[] = {
        {1, 96, 100, 795, 70},   {1, 72, 100, 596, 53},    {20, 97, 125, 803, 71},  {20, 120, 125, 994, 88},
        {20, 121, 150, 1002, 88}, {21, 168, 175, 1391, 123}, {4, 193, 250, 1598, 141}, {15, 288, 300, 2385, 210},
        {11, 480, 300, 3975, 350}, {7, 144, 100, 1193, 105},  {0, 288, 100, 2385, 210}, {1, 0, 100, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture << " at " << c.dpi);
        EXPECT_EQ(DrawnScaleFor(c.picture, c.dpi), c.percent);
        EXPECT_EQ(ScaledLength(795, c.dpi), c.backdropWidth);
        EXPECT_EQ(ScaledLength(70, c.dpi), c.backdropHeight);
    }
    EXPECT_EQ(PictureResource(24, 100), 124);
    EXPECT_EQ(PictureResource(1, 125), 12501);
}

// A w x h picture of the given colour (blue, green, red, alpha), or of
// colour(x, y) with y from the top.
using Colour = std::array<uint8_t, 4>;
Picture Filled(int w, int h, int depth, const std::function<Colour(int, int)>& colour) {
    Picture p;
    p.width = int16_t(w), p.height = int16_t(h), p.depth = depth;
    p.pixels.assign(p.stride() * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) std::memcpy(const_cast<uint8_t*>(At(p, x, y)), colour(x, y).data(), depth / 8);
    return p;
}

// Resampled rows as stored, padding included, against what each filter must
// give; no expected rows: refused, `out` left empty.
TEST(Resample, FiltersAndRefusals) {
    const auto flat = [](int, int) { return Colour{10, 200, 77, 100}; };
    const auto ramp = [](int x, int y) { return Colour{uint8_t(x * 40 + y * 20), 0, 0, 255}; };
    const auto dots = [](int x, int) { return Colour{uint8_t(x % 4 == 0 ? 200 : 0), 0, 0, 255}; };
    // Not only alpha 0 and 255, or the edge would stay hard.
    const auto edge = [](int x, int) { return x == 0 ? Colour{255, 255, 255, 252} : Colour{0, 0, 0, 0}; };
    // A band under transparent rows, as the backdrop.
    const auto band = [](int, int y) { return y < 3 ? Colour{0, 0, 0, 0} : Colour{200, 150, 100, 255}; };
    auto rows = [](int w, int h, int depth, const std::function<Colour(int, int)>& colour) {
        return Filled(w, h, depth, colour).pixels;
    };
    Picture shortRows = Filled(4, 4, 24, flat), eightBit = shortRows;
    shortRows.pixels.pop_back();
    eightBit.depth = 8;
    const Picture good = Filled(4, 4, 32, flat);
    const struct {
        const char* name;
        Picture in;
        int width, height;
        Bytes expected;
    } cases[] = {
        {"24-bit larger", Filled(37, 23, 24, flat), 46, 29, rows(46, 29, 24, flat)},
        {"24-bit to one pixel", Filled(795, 70, 24, flat), 1, 1, rows(1, 1, 24, flat)},
        {"32-bit smaller", Filled(16, 16, 32, flat), 5, 3, rows(5, 3, 32, flat)},
        {"32-bit narrow to wide", Filled(3, 40, 32, flat), 40, 3, rows(40, 3, 32, flat)},
        {"2:1 averages 2 x 2", Filled(4, 2, 24, ramp), 2, 1, {30, 0, 0, 110, 0, 0, 0, 0}},
        {"4:1 averages all 4", Filled(8, 1, 24, dots), 2, 1, {50, 0, 0, 50, 0, 0, 0, 0}},
        {"edge shrinking", Filled(2, 1, 32, edge), 1, 1, {255, 255, 255, 126}},
        {"edge enlarging", Filled(2, 1, 32, edge), 4, 1,
         {255, 255, 255, 252, 255, 255, 255, 189, 255, 255, 255, 63, 0, 0, 0, 0}},
        {"two-level alpha stays two-level", Filled(2, 10, 32, band), 3, 13,
         rows(3, 13, 32, [](int, int y) { return y < 4 ? Colour{0, 0, 0, 0} : Colour{200, 150, 100, 255}; })},
        {"empty", Picture{}, 4, 4, {}},         {"short pixels", shortRows, 2, 2, {}},
        {"8 bits", eightBit, 2, 2, {}},         {"no width", good, 0, 4, {}},
        {"too wide", good, 40000, 1, {}},       {"too many pixels", good, 5000, 5000, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Picture out = c.in;  // into itself
        EXPECT_EQ(ResamplePicture(out, c.width, c.height, out), !c.expected.empty());
        if (c.expected.empty()) {
            ExpectEmpty(out);
            continue;
        }
        EXPECT_EQ(out.width * 10000 + out.height, c.width * 10000 + c.height);
        EXPECT_EQ(out.depth, c.in.depth);
        EXPECT_EQ(out.pixels, c.expected);
    }
}

// Each picture for a dpi from the file of the drawn set it starts from:
// exactly that file at a drawn scale, resampled at the others, an icon
// when its 100 % file is one.
TEST(ImageStoreTest, PicturesForADpi) {
    for (int n : {1, 11, 20, 21})
        for (unsigned dpi : {96u, 72u, 110u, 144u, 288u, 400u}) {
            const Asset& a = AssetOf(n);
            const int percent = DrawnScaleFor(n, dpi);
            SCOPED_TRACE(testing::Message() << Drawn(a, percent) << " at " << dpi);
            const Bytes file = ReadAsset(Drawn(a, percent));
            ImageStore s, plain;
            ASSERT_TRUE(s.decode(n, file.data(), file.size(), dpi));
            ASSERT_TRUE(plain.decode(n, file.data(), file.size()));
            const Picture& p = *s.get(n);
            EXPECT_EQ(p.width * 10000 + p.height, ScaledLength(a.width, dpi) * 10000 + ScaledLength(a.height, dpi));
            EXPECT_EQ(p.depth, a.depth);
            EXPECT_TRUE(dpi * 100 != unsigned(percent) * 96 || p.pixels == plain.get(n)->pixels);
            EXPECT_TRUE(a.depth != 32 || Alphas(p).graded == (n != 20));
            ASSERT_EQ(p.icon, DesignOf(n).icon);
            if (p.icon) ExpectMaskWhereTransparent(p.iconImage.data(), p.width);
        }
    const Bytes ball = ReadAsset("21_orange_ball.png");
    ImageStore s;
    EXPECT_FALSE(s.decode(OrangeBallImage, ball.data(), ball.size(), 0));
    EXPECT_TRUE(s.empty(OrangeBallImage));
}

}  // namespace
}  // namespace vireo
