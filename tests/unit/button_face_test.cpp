// Where an image button's picture sits, and its premultiplied copy.
#include "ui/button_face.h"

#include <gtest/gtest.h>

#include <vector>

namespace vireo {
namespace {

TEST(ButtonFace, PictureIsCentredAndMovesWhenPushed) {
    struct Case {
        const char* what;
        int cw, ch, pw, ph;
        FacePoint normal;
    } cases[] = {
        {"folder in SelectFolderButton", 37, 28, 37, 23, {0, 2}},
        {"16 x 16 in a 20 x 20 button", 20, 20, 16, 16, {2, 2}},
        {"pause in PauseButton", 42, 15, 42, 14, {0, 0}},
        {"play in PlayButton", 42, 15, 42, 15, {0, 0}},
        {"user in UserFolderButton", 36, 28, 36, 27, {0, 0}},
        {"larger than the button: halves truncate toward zero", 42, 15, 45, 18, {-1, -1}},
        {"no picture size", 20, 20, 0, 0, {10, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ImageFacePosition(c.cw, c.ch, c.pw, c.ph, false), c.normal);
        EXPECT_EQ(ImageFacePosition(c.cw, c.ch, c.pw, c.ph, true), (FacePoint{c.normal.x + 1, c.normal.y + 1}));
    }
}

TEST(ButtonFace, PremultipliedCopyShiftsByEightBits) {
    const std::vector<uint8_t> src = {
        50, 100, 200, 128,    // -> 25, 50, 100
        255, 255, 255, 1,     // -> 0, 0, 0 (the shift is not a division by 255)
        255, 255, 255, 254,   // -> 253, 253, 253
        9, 8, 7, 0,           // -> 0
        12, 34, 56, 255,      // unchanged
    };
    const std::vector<uint8_t> want = {25, 50, 100, 128, 0, 0, 0, 1, 253, 253, 253, 254, 0, 0, 0, 0, 12, 34, 56, 255};
    std::vector<uint8_t> dst(src.size(), 0xEE);
    PremultiplyForButton(src.data(), dst.data(), 5);
    EXPECT_EQ(dst, want);
    std::vector<uint8_t> inPlace = src;
    PremultiplyForButton(inPlace.data(), inPlace.data(), 5);
    EXPECT_EQ(inPlace, want);
}

TEST(ButtonFace, AlphaChannelMeansAnyNonZeroAlpha) {
    std::vector<uint8_t> p(16 * 4, 200);
    for (size_t i = 3; i < p.size(); i += 4) p[i] = 0;
    EXPECT_FALSE(HasAlphaChannel(p.data(), 16));
    p[15 * 4 + 3] = 1;
    EXPECT_TRUE(HasAlphaChannel(p.data(), 16));
    EXPECT_FALSE(HasAlphaChannel(p.data(), 15));
}

}  // namespace
}  // namespace vireo
