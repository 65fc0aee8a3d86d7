// Premultiplying the backdrop and blending its captions.
#include "ui/backdrop_math.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vireo {
namespace {

using Pixels = std::vector<uint8_t>;

TEST(Premultiply, Examples) {
    struct Case {
        Pixels in, out;
    } cases[] = {
        {{50, 100, 200, 128}, {25, 50, 100, 128}},  // blue, green, red, alpha
        {{255, 255, 255, 1}, {1, 1, 1, 1}},
        {{255, 255, 255, 0}, {0, 0, 0, 0}},
        {{12, 34, 56, 255}, {12, 34, 56, 255}},
        {{0, 1, 254, 254}, {0, 1, 253, 254}},
    };
    for (const Case& c : cases) {
        Pixels p = c.in;
        PremultiplyPixels(p.data(), 1);
        EXPECT_EQ(p, c.out);
    }
}

TEST(Premultiply, EveryColourAndAlphaRoundsToNearest) {
    Pixels p;
    for (int a = 0; a < 256; ++a)
        for (int c = 0; c < 256; ++c) p.insert(p.end(), {uint8_t(c), uint8_t(255 - c), uint8_t(c / 2), uint8_t(a)});
    const Pixels before = p;
    PremultiplyPixels(p.data(), p.size() / 4);
    for (size_t i = 0; i < p.size(); i += 4) {
        const int a = before[i + 3];
        ASSERT_EQ(p[i + 3], a);
        for (int k = 0; k < 3; ++k) {
            const int want = a == 255 ? before[i + k] : int(std::lround(before[i + k] * a / 255.0));
            ASSERT_EQ(p[i + k], want) << "c=" << int(before[i + k]) << " a=" << a;
        }
    }
}

TEST(Premultiply, BackdropLikeAlphaClearsOnlyTransparentPixels) {
    Pixels p = {9, 8, 7, 0, 9, 8, 7, 255, 200, 201, 202, 0};
    PremultiplyPixels(p.data(), 3);
    EXPECT_EQ(p, (Pixels{0, 0, 0, 0, 9, 8, 7, 255, 0, 0, 0, 0}));
    PremultiplyPixels(p.data(), 0);  // nothing to do
}

// A picture of w x h pixels, bottom-up, all one colour.
Pixels Plain(int w, int h, uint8_t b, uint8_t g, uint8_t r, uint8_t a = 255) {
    Pixels p;
    for (int i = 0; i < w * h; ++i) p.insert(p.end(), {b, g, r, a});
    return p;
}

const uint8_t* Px(const Pixels& p, int w, int h, int x, int y) { return &p[((h - 1 - y) * w + x) * 4]; }

TEST(CaptionBlend, CoverageMixesTowardTheDrawingColour) {
    struct Case {
        uint8_t mb, mg, mr;     // mask pixel
        Pixels expected;        // blue, green, red, alpha
    } cases[] = {
        {0, 0, 0, {200, 200, 200, 255}},          // no coverage
        {255, 255, 255, {177, 112, 57, 255}},     // full coverage
        {128, 128, 128, {188, 155, 128, 255}},    // K = 128
        {10, 20, 31, {198, 193, 188, 255}},       // K = 61 / 3 = 20
        {1, 1, 1, {199, 199, 199, 255}},          // K = 1
        {2, 0, 0, {200, 200, 200, 255}},          // K = 0
    };
    for (const Case& c : cases) {
        Pixels pic = Plain(1, 1, 200, 200, 200);
        const uint8_t mask[4] = {c.mb, c.mg, c.mr, 0};
        BlendCaption(pic.data(), 1, 1, mask, 1, 1, 0, 0, 57, 112, 177);
        EXPECT_EQ(pic, c.expected) << int(c.mb) << "," << int(c.mg) << "," << int(c.mr);
    }
}

TEST(CaptionBlend, KEqualsTruncatedThirdOfTheChannelSum) {
    for (int sum = 0; sum <= 765; ++sum) {
        Pixels pic = Plain(1, 1, 0, 0, 0);
        const uint8_t mask[4] = {uint8_t(std::min(sum, 255)), uint8_t(std::clamp(sum - 255, 0, 255)),
                                 uint8_t(std::max(sum - 510, 0)), 0};
        BlendCaption(pic.data(), 1, 1, mask, 1, 1, 0, 0, 255, 255, 255);
        ASSERT_EQ(pic[0], sum / 3) << sum;  // 255 * K / 255
    }
}

TEST(CaptionBlend, MaskIsTopDownAndPlacedFromTheTopLeft) {
    const int w = 4, h = 3;
    Pixels pic = Plain(w, h, 10, 10, 10, 255);
    // 2 x 2 mask: only its top-right pixel covered.
    const uint8_t mask[16] = {0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    BlendCaption(pic.data(), w, h, mask, 2, 2, 1, 1, 1, 2, 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = Px(pic, w, h, x, y);
            const bool hit = x == 2 && y == 1;
            EXPECT_EQ(p[0], hit ? 3 : 10) << x << "," << y;
            EXPECT_EQ(p[2], hit ? 1 : 10);
            EXPECT_EQ(p[3], 255);
        }
}

TEST(CaptionBlend, AlphaIsLeftAlone) {
    Pixels pic = Plain(1, 1, 100, 100, 100, 77);
    const uint8_t mask[4] = {255, 255, 255, 0};
    BlendCaption(pic.data(), 1, 1, mask, 1, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(pic, (Pixels{0, 0, 0, 77}));
}

TEST(CaptionBlend, MasksReachingPastAnyEdgeAreClipped) {
    const int w = 5, h = 4;
    const Pixels full(3 * 3 * 4, 255);  // 3 x 3, fully covered
    struct Case {
        int x, y, covered;
    } cases[] = {{-2, -2, 1}, {4, 3, 1}, {-1, 2, 4}, {3, -1, 4}, {-10, 0, 0}, {0, 50, 0}, {1, 1, 9}};
    for (const Case& c : cases) {
        Pixels pic = Plain(w, h, 0, 0, 0);
        BlendCaption(pic.data(), w, h, full.data(), 3, 3, c.x, c.y, 255, 255, 255);
        int covered = 0;
        for (size_t i = 0; i < pic.size(); i += 4) covered += pic[i] == 255;
        EXPECT_EQ(covered, c.covered) << c.x << "," << c.y;
    }
}

}  // namespace
}  // namespace vireo
