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

// Larger pictures are refused: the player's biggest is the backdrop, 795 x 70
// at 100 % and 2385 x 210 at 300 %, and a small hostile file must not make us
// allocate gigabytes.
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

// ---- display scales ----

// The pictures are drawn for 96 dots per inch (100 %). Those the player shows
// are drawn again at these scales, embedded as resource percent * 100 + n.
constexpr unsigned kDesignDpi = 96;
constexpr int kDrawnScales[] = {100, 125, 150, 175, 200, 250, 300};

constexpr int PictureResource(int n, int percent) { return percent == 100 ? 100 + n : percent * 100 + n; }

// What the 100 % file of picture n is; all zero for a number without one.
struct PictureDesign {
    int width = 0, height = 0;
    bool icon = false;        // an icon file, handed out as an icon
    bool everyScale = false;  // drawn at every scale of kDrawnScales
};
PictureDesign DesignOf(int n);

// The drawn scale to start from for picture n at `dpi`: the scale itself
// when drawn, else the nearest larger one (300 beyond it); 100 for a picture
// drawn only at 100 %.
int DrawnScaleFor(int n, unsigned dpi);

// round(length * dpi / 96), halves rounded up.
int ScaledLength(int length, unsigned dpi);

// Resizes a 24- or 32-bit picture. Shrinking averages the covered area,
// enlarging interpolates bilinearly, each direction on its own, on
// premultiplied alpha: transparent pixels lend no colour to an edge. The
// depth is kept, alpha stays straight, and transparent pixels are black.
// A picture whose alpha is only 0 and 255 keeps it so (alpha rounded at one
// half): the backdrop's band keeps the hard top edge the window relies on.
// An icon stays an icon. `out` may be `in`. False, with `out` empty, for a
// picture that is empty or inconsistent, or a size out of range.
bool ResamplePicture(const Picture& in, int width, int height, Picture& out);

// Makes a 32-bit picture an icon: `iconImage` becomes the icon image built
// from the pixels, its AND mask set where alpha is 0.
bool MakeIcon(Picture& p);

// Pictures by number. Decoding a number again replaces the earlier picture;
// a failed decode leaves the number empty.
class ImageStore {
public:
    bool decode(int n, const uint8_t* data, size_t size);
    // Picture n for `dpi` from the file drawn for DrawnScaleFor(n, dpi):
    // resampled to ScaledLength of its 100 % size unless it has that size,
    // and an icon when its 100 % file is one. With the 100 % file at 96 dpi
    // the same as decode(n, data, size).
    bool decode(int n, const uint8_t* data, size_t size, unsigned dpi);
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
