#include "ui/button_face.h"

namespace vireo {

FacePoint ImageFacePosition(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight, bool pushed) {
    const int d = pushed ? 1 : 0;
    return FacePoint{d + (clientWidth - pictureWidth) / 2, d + (clientHeight - pictureHeight) / 2};
}

void PremultiplyForButton(const uint8_t* src, uint8_t* dst, size_t pixelCount) {
    for (size_t i = 0; i < pixelCount; ++i) {
        const uint8_t* s = src + 4 * i;
        uint8_t* d = dst + 4 * i;
        const unsigned a = s[3];
        if (a == 255) {
            d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = s[3];
            continue;
        }
        d[0] = static_cast<uint8_t>((s[0] * a) >> 8);
        d[1] = static_cast<uint8_t>((s[1] * a) >> 8);
        d[2] = static_cast<uint8_t>((s[2] * a) >> 8);
        d[3] = static_cast<uint8_t>(a);
    }
}

bool HasAlphaChannel(const uint8_t* bgra, size_t pixelCount) {
    for (size_t i = 0; i < pixelCount; ++i)
        if (bgra[4 * i + 3] != 0) return true;
    return false;
}

}  // namespace vireo
