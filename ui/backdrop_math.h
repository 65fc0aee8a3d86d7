// Pixel arithmetic of the alpha backdrop: premultiplying its straight alpha
// and blending the anti-aliased captions into it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vireo {

// In place, on blue-green-red-alpha pixels: opaque pixels stay as they are,
// every other colour byte c becomes the nearest integer to c * A / 255 (using a
// 256-entry single-precision table of A / 255); alpha is kept.
void PremultiplyPixels(uint8_t* bgra, size_t pixelCount);

// Blends one rendered caption into a 32-bit picture.
//  - bgraPicture: width x height pixels, bottom-up rows, 4 bytes each;
//  - maskBgr32: the caption rendered white on black as maskW x maskH pixels of
//    4 bytes (blue, green, red, unused), TOP-DOWN rows, no padding;
//  - (x, y): where the mask's top-left pixel lands, in picture coordinates with
//    the origin at the top left.
// Coverage C = (R + G + B) / 765 and K = (int)(C * 255); each colour byte
// becomes (colour * K + old * (255 - K)) / 255. Alpha is unchanged. The mask is
// clipped to the picture.
void BlendCaption(uint8_t* bgraPicture, int width, int height, const uint8_t* maskBgr32, int maskW, int maskH, int x,
                  int y, uint8_t r, uint8_t g, uint8_t b);

}  // namespace vireo
