#include "ui/backdrop_math.h"

namespace vireo {

void PremultiplyPixels(uint8_t* bgra, size_t pixelCount) {
    float table[256];
    for (int i = 0; i < 256; ++i) table[i] = static_cast<float>(i) / 255.0f;
    for (size_t i = 0; i < pixelCount; ++i) {
        uint8_t* p = bgra + 4 * i;
        const uint8_t a = p[3];
        if (a == 255) continue;
        const float f = table[a];
        // c * A / 255 is never exactly a half, so adding 0.5 rounds to nearest.
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(static_cast<float>(p[c]) * f + 0.5f);
    }
}

void BlendCaption(uint8_t* bgraPicture, int width, int height, const uint8_t* maskBgr32, int maskW, int maskH, int x,
                  int y, uint8_t r, uint8_t g, uint8_t b) {
    if (!bgraPicture || !maskBgr32 || width <= 0 || height <= 0 || maskW <= 0 || maskH <= 0) return;
    const int colour[3] = {b, g, r};
    for (int my = 0; my < maskH; ++my) {
        const int py = y + my;
        if (py < 0 || py >= height) continue;
        uint8_t* row = bgraPicture + static_cast<size_t>(height - 1 - py) * width * 4;
        const uint8_t* mask = maskBgr32 + static_cast<size_t>(my) * maskW * 4;
        for (int mx = 0; mx < maskW; ++mx) {
            const int px = x + mx;
            if (px < 0 || px >= width) continue;
            const uint8_t* m = mask + 4 * mx;
            const float coverage = static_cast<float>(m[0] + m[1] + m[2]) / 765.0f;
            const int k = static_cast<int>(coverage * 255.0f);
            uint8_t* p = row + 4 * px;
            for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((colour[c] * k + p[c] * (255 - k)) / 255);
        }
    }
}

}  // namespace vireo
