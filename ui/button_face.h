// Pure geometry and pixel rules of the picture drawn on an image button.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vireo {

struct FacePoint {
    int x = 0, y = 0;
    bool operator==(const FacePoint&) const = default;
};

// Where the picture's top-left corner goes in the button's client area:
// centred (halves truncated toward zero), one pixel right and down while pushed.
FacePoint ImageFacePosition(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight, bool pushed);

// The copy handed to alpha blending: pixels with alpha below 255 get each
// colour byte c replaced by (c * A) >> 8; opaque pixels are copied unchanged.
// src and dst hold pixelCount blue-green-red-alpha pixels; they may be the same.
void PremultiplyForButton(const uint8_t* src, uint8_t* dst, size_t pixelCount);

// A 32-bit picture counts as having an alpha channel when any alpha byte is
// non-zero.
bool HasAlphaChannel(const uint8_t* bgra, size_t pixelCount);

}  // namespace vireo
