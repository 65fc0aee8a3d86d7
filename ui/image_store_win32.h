// The embedded pictures as platform objects: DIB sections for bitmaps and
// PNGs, icons for ICO files.
#pragma once
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "ui/picture.h"

namespace vireo {

class PlatformImages {
public:
    // Pictures are read from the RCDATA resources of `module` (the program
    // itself when null): 100 + number, and percent * 100 + number for the
    // pictures drawn at other scales.
    explicit PlatformImages(HMODULE module = nullptr);
    ~PlatformImages();
    PlatformImages(const PlatformImages&) = delete;
    PlatformImages& operator=(const PlatformImages&) = delete;

    // Loads and decodes picture n, replacing (and freeing) an earlier one.
    // On failure the number is left empty.
    bool decode(int n);
    // Picture n for `dpi`: the set drawn for that scale, or else the nearest
    // larger one resampled to the 100 % size times dpi / 96 (see
    // ImageStore::decode). At 96 dpi exactly decode(n).
    bool decode(int n, unsigned dpi);
    // The same from a file image already in memory.
    bool decode(int n, const uint8_t* data, size_t size);

    HBITMAP bitmap(int n) const;
    HICON icon(int n) const;
    int width(int n) const { return store_.width(n); }
    int height(int n) const { return store_.height(n); }
    int depth(int n) const { return store_.depth(n); }
    // The DIB section's pixel memory (bottom-up rows), null for icons and
    // empty numbers.
    void* bits(int n) const;

    void release();

private:
    struct Entry {
        HBITMAP bitmap = nullptr;
        HICON icon = nullptr;
        void* bits = nullptr;
    };
    void drop(int n);
    bool adopt(int n);

    HMODULE module_;
    ImageStore store_;
    std::array<Entry, kPictureSlots> entries_{};
};

}  // namespace vireo
