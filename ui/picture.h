// Decoding of the embedded picture files (BMP, ICO, PNG) into pixel buffers,
// and the numbered store that holds the decoded pictures.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vireo {

// A decoded picture. Rows are bottom-up (the first row in `pixels` is the
// lowest row of the image), as a Windows device-independent bitmap wants them:
//  - depth 24: blue, green, red; each row padded to a multiple of 4 bytes;
//  - depth 32: blue, green, red, alpha with straight (not premultiplied) alpha.
// Icons are decoded to depth 32 (alpha taken from the 32-bit image, or from the
// AND mask for lower depths) and also keep the chosen entry's image bytes
// (BITMAPINFOHEADER + XOR + AND mask, or an embedded PNG) in `iconImage`, which
// is what the platform needs to build an icon.
struct Picture {
    int16_t width = 0, height = 0;
    int depth = 0;
    bool icon = false;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> iconImage;

    bool empty() const { return width == 0; }
    size_t stride() const { return RowStride(width, depth); }
    void clear() { *this = Picture{}; }

    // Bytes per row for a DIB of that width and depth (rows padded to 4 bytes).
    static size_t RowStride(int width, int depth) {
        return ((static_cast<size_t>(width) * static_cast<size_t>(depth) + 31) / 32) * 4;
    }
};

// Larger pictures are refused: the player's biggest is 795 x 70, and a small
// hostile file must not make us allocate gigabytes.
constexpr int64_t kMaxPicturePixels = int64_t{1} << 24;

// Decodes one whole image file of `size` bytes. The format is picked by the
// first bytes: "BM" (uncompressed Windows bitmap, 1/4/8/16/24/32 bits),
// an icon directory (reserved 0, type 1), then the PNG signature.
// Every header field is checked against `size`; nothing is read past it.
// On failure returns false and leaves `out` empty.
bool DecodePicture(const uint8_t* data, size_t size, Picture& out);

// The formats separately, for the tests and for icons that embed a PNG.
bool DecodeBmp(const uint8_t* data, size_t size, Picture& out);
bool DecodeIco(const uint8_t* data, size_t size, Picture& out);
bool DecodePng(const uint8_t* data, size_t size, Picture& out);

// Picture numbers of the player.
enum PictureId : int {
    PlainBackdropImage = 0,
    FolderImage = 1,
    PauseImage = 2,
    ResumeImage = 3,
    PlayImage = 4,
    StopImage = 5,
    UserImage = 6,
    WebBadgeImage = 7,
    PowerIcon = 8,
    HelpIcon = 9,
    GlobeIcon = 10,
    WebIcon = 11,
    InfoIcon = 12,
    MinimizeIcon = 13,
    MuteIcon = 14,
    VolumeIcon = 15,
    BackdropImage = 20,
    OrangeBallImage = 21,
    RedBallImage = 22,
    BlueBallImage = 23,
    GreenBallImage = 24,
};

constexpr int kPictureSlots = 25;

// 0..15 and 20..24; 16..19 are never used.
constexpr bool IsPictureNumber(int n) { return (n >= 0 && n <= 15) || (n >= 20 && n <= 24); }

// Pictures by number. Decoding a number again replaces the earlier picture;
// a failed decode leaves the number empty.
class ImageStore {
public:
    bool decode(int n, const uint8_t* data, size_t size);
    void clear(int n);
    void clearAll();

    // Null for an empty or invalid number.
    const Picture* get(int n) const;
    Picture* get(int n);

    bool empty(int n) const { return get(n) == nullptr; }
    int width(int n) const;
    int height(int n) const;
    int depth(int n) const;
    bool isIcon(int n) const;

private:
    std::array<Picture, kPictureSlots> pictures_{};
};

}  // namespace vireo
