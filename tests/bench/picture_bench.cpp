// Start-up costs of the pictures: decoding the backdrop and preparing it.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ui/backdrop_math.h"
#include "ui/picture.h"

namespace {

std::vector<uint8_t> Asset(const char* name) {
    std::ifstream f(std::string(VIREO_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

void DecodeBackdrop(benchmark::State& state) {
    const std::vector<uint8_t> file = Asset("20_backdrop.png");
    for (auto _ : state) {
        vireo::Picture p;
        benchmark::DoNotOptimize(vireo::DecodePicture(file.data(), file.size(), p));
    }
}
BENCHMARK(DecodeBackdrop);

void DecodeAllPictures(benchmark::State& state) {
    std::vector<std::vector<uint8_t>> files;
    for (const char* n : {"00_plain_backdrop.bmp", "01_folder.bmp", "06_user.bmp", "11_web.ico", "15_volume.ico",
                          "20_backdrop.png", "21_orange_ball.png"})
        files.push_back(Asset(n));
    for (auto _ : state) {
        vireo::ImageStore store;
        int n = 0;
        for (const auto& f : files) benchmark::DoNotOptimize(store.decode(n++, f.data(), f.size()));
    }
}
BENCHMARK(DecodeAllPictures);

// One pass over the 795 x 70 backdrop, as at start-up.
void PremultiplyBackdrop(benchmark::State& state) {
    std::vector<uint8_t> pixels(795 * 70 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 131 + 7);
    for (auto _ : state) {
        std::vector<uint8_t> copy = pixels;
        vireo::PremultiplyPixels(copy.data(), copy.size() / 4);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(PremultiplyBackdrop);

void BlendSixCaptions(benchmark::State& state) {
    std::vector<uint8_t> pixels(795 * 70 * 4, 200);
    std::vector<uint8_t> mask(90 * 12 * 4);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = uint8_t(i * 37);
    for (auto _ : state) {
        for (int x : {25, 90, 360, 435, 507, 582})
            vireo::BlendCaption(pixels.data(), 795, 70, mask.data(), 90, 12, x, 38, 57, 112, 177);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BlendSixCaptions);

}  // namespace
