// Writes the demo tunes into a folder: make_demo <folder>
// The WAV titles sort first, so a player that starts at the first title can
// play the demo even where MIDI has no device.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/demo_music.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "make_demo: cannot create %s: %s\n", folder.string().c_str(), ec.message().c_str());
        return 1;
    }
    for (const auto& f : vireo::demo::BuildDemoFiles()) {
        const auto path = folder / f.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(f.bytes.data(), static_cast<std::streamsize>(f.bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "make_demo: cannot write %s\n", path.string().c_str());
            return 1;
        }
        std::printf("%s (%zu bytes)\n", path.string().c_str(), f.bytes.size());
    }
    return 0;
}
