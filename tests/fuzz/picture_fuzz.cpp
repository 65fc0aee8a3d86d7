// Fuzz target for the picture decoders. Built with the other targets by the
// fuzz preset (see the README). Without libFuzzer (any compiler), a built-in
// mutator over the committed pictures:
//   g++ -std=c++20 -g -fsanitize=address,undefined -DVIREO_FUZZ_STANDALONE -I. \
//     tests/fuzz/picture_fuzz.cpp ui/picture.cpp -lpng -o picture_fuzz
//   ./picture_fuzz assets/*.bmp assets/*.ico assets/*.png [iterations]
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ui/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vireo::Picture p;
    if (vireo::DecodePicture(data, size, p)) {
        if (p.width <= 0 || p.height <= 0 || (p.depth != 24 && p.depth != 32) ||
            p.pixels.size() != p.stride() * p.height || (p.icon && p.iconImage.empty()))
            std::abort();
        // Touch every byte so the sanitizer sees the whole buffer.
        unsigned sum = 0;
        for (uint8_t b : p.pixels) sum += b;
        if (sum == 0xFFFFFFFFu) std::puts("");
    } else if (p.width || p.height || p.depth || !p.pixels.empty() || !p.iconImage.empty()) {
        std::abort();
    }
    return 0;
}

#ifdef VIREO_FUZZ_STANDALONE
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

uint64_t state = 0x9E3779B97F4A7C15ull;
uint32_t Next() {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return uint32_t(state >> 11);
}

// One random change: a bit flip, an interesting value in a header field, a
// cut, or an inserted run of bytes.
void Mutate(std::vector<uint8_t>& v) {
    static const uint32_t interesting[] = {0, 1, 2, 3, 4, 7, 8, 16, 24, 31, 32, 40, 0x7F, 0x80, 0xFF, 0x100,
                                           0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    if (v.empty()) return;
    const size_t at = Next() % (Next() % 4 == 0 ? v.size() : std::min<size_t>(v.size(), 128));
    switch (Next() % 4) {
    case 0:
        v[at] ^= uint8_t(1u << (Next() % 8));
        break;
    case 1: {
        const uint32_t x = interesting[Next() % (sizeof interesting / sizeof *interesting)];
        for (size_t i = 0; i < 4 && at + i < v.size(); ++i) v[at + i] = uint8_t(x >> (8 * i));
        break;
    }
    case 2:
        v.resize(at);
        break;
    default:
        v.insert(v.begin() + long(at), Next() % 16, uint8_t(Next()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::vector<uint8_t>> seeds;
    long iterations = 20000;
    for (int i = 1; i < argc; ++i) {
        std::ifstream f(argv[i], std::ios::binary);
        if (!f) {
            iterations = std::atol(argv[i]);
            continue;
        }
        seeds.emplace_back(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "usage: picture_fuzz FILE... [iterations]\n");
        return 2;
    }
    for (long n = 0; n < iterations; ++n) {
        std::vector<uint8_t> v = seeds[Next() % seeds.size()];
        for (int k = 1 + int(Next() % 3); k > 0; --k) Mutate(v);
        LLVMFuzzerTestOneInput(v.data(), v.size());
    }
    std::printf("%ld inputs decoded without a fault\n", iterations);
    return 0;
}
#endif
