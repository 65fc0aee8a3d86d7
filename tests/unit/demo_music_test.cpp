#include "tools/demo_music.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vireo::demo {
namespace {

const std::vector<DemoFile>& Files() {
    static const std::vector<DemoFile> files = BuildDemoFiles();
    return files;
}

uint32_t LE(const std::string& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}
uint32_t BE(const std::string& b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}
bool EndsWith(const std::string& s, const char* tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}
std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

TEST(DemoMusic, WavTitlesComeFirstInNameOrder) {
    const auto& files = Files();
    ASSERT_GE(files.size(), 4u);
    std::vector<std::string> names;
    for (const auto& f : files) names.push_back(Lower(f.name));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    size_t wavs = 0, mids = 0;
    for (const auto& n : names) {
        if (EndsWith(n, ".wav")) {
            EXPECT_EQ(mids, 0u) << n << " after a MIDI title";
            ++wavs;
        } else if (EndsWith(n, ".mid")) {
            ++mids;
        } else {
            ADD_FAILURE() << n;
        }
    }
    EXPECT_GE(wavs, 3u);
    EXPECT_GE(mids, 1u);
}

TEST(DemoMusic, Deterministic) {
    const auto again = BuildDemoFiles();
    ASSERT_EQ(again.size(), Files().size());
    for (size_t i = 0; i < again.size(); ++i) EXPECT_TRUE(again[i].bytes == Files()[i].bytes) << again[i].name;
}

TEST(DemoMusic, WavFilesAreShortCleanPcm) {
    for (const auto& f : Files()) {
        if (!EndsWith(f.name, ".wav")) continue;
        SCOPED_TRACE(f.name);
        const std::string& b = f.bytes;
        ASSERT_GT(b.size(), 44u);
        EXPECT_LT(b.size(), 1'000'000u);
        EXPECT_EQ(b.substr(0, 4), "RIFF");
        EXPECT_EQ(LE(b, 4, 4), b.size() - 8);
        EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(LE(b, 16, 4), 16u);
        EXPECT_EQ(LE(b, 20, 2), 1u);  // PCM
        const uint32_t channels = LE(b, 22, 2), rate = LE(b, 24, 4), bits = LE(b, 34, 2);
        EXPECT_TRUE(channels == 1 || channels == 2);
        EXPECT_TRUE(rate == 22050 || rate == 44100);
        EXPECT_EQ(bits, 16u);
        EXPECT_EQ(LE(b, 28, 4), rate * channels * 2);
        EXPECT_EQ(LE(b, 32, 2), channels * 2);
        EXPECT_EQ(b.substr(36, 4), "data");
        ASSERT_EQ(LE(b, 40, 4), b.size() - 44);

        std::vector<int> s;
        for (size_t at = 44; at + 1 < b.size(); at += 2) s.push_back(static_cast<int16_t>(LE(b, at, 2)));
        const double seconds = static_cast<double>(s.size()) / channels / rate;
        EXPECT_GE(seconds, 6.0);
        EXPECT_LE(seconds, 12.0);
        int peak = 0;
        for (int v : s) peak = std::max(peak, v < 0 ? -v : v);
        EXPECT_GT(peak, 8000);
        EXPECT_LT(peak, 32000);  // headroom: no clipping
        // No click at either end.
        EXPECT_LT(std::abs(s.front()), 300);
        EXPECT_LT(std::abs(s.back()), 300);

        // Music, not a tone or silence: every half second of the first six sounds,
        // and the pitch (zero crossings) moves around.
        const size_t win = rate * channels / 2;
        std::vector<int> crossings;
        for (size_t w = 0; w < 12; ++w) {
            double energy = 0;
            int zc = 0;
            for (size_t i = w * win + 1; i < (w + 1) * win; ++i) {
                energy += static_cast<double>(s[i]) * s[i];
                zc += (s[i - 1] < 0) != (s[i] < 0);
            }
            EXPECT_GT(energy / win, 500.0 * 500.0) << "quiet window " << w;
            crossings.push_back(zc);
        }
        std::sort(crossings.begin(), crossings.end());
        crossings.erase(std::unique(crossings.begin(), crossings.end()), crossings.end());
        EXPECT_GE(crossings.size(), 6u);
    }
}

TEST(DemoMusic, MidiFileParses) {
    int found = 0;
    for (const auto& f : Files()) {
        if (!EndsWith(f.name, ".mid")) continue;
        ++found;
        SCOPED_TRACE(f.name);
        const std::string& b = f.bytes;
        ASSERT_GE(b.size(), 22u);
        EXPECT_EQ(b.substr(0, 4), "MThd");
        EXPECT_EQ(BE(b, 4, 4), 6u);
        const uint32_t format = BE(b, 8, 2), tracks = BE(b, 10, 2), division = BE(b, 12, 2);
        EXPECT_LE(format, 1u);
        EXPECT_GT(division, 0u);
        EXPECT_LT(division, 0x8000u);
        size_t at = 14;
        int notes = 0;
        bool tempo = false;
        for (uint32_t t = 0; t < tracks; ++t) {
            ASSERT_LE(at + 8, b.size());
            ASSERT_EQ(b.substr(at, 4), "MTrk");
            const size_t end = at + 8 + BE(b, at + 4, 4);
            ASSERT_LE(end, b.size());
            at += 8;
            std::map<int, int> open;  // channel * 128 + key -> count
            bool ended = false;
            unsigned running = 0;
            while (at < end) {
                ASSERT_FALSE(ended) << "events after the end of track";
                uint32_t delta = 0;
                int len = 0;
                unsigned char c;
                do {
                    ASSERT_LT(at, end);
                    c = static_cast<unsigned char>(b[at++]);
                    delta = delta << 7 | (c & 0x7F);
                    ASSERT_LE(++len, 4);
                } while (c & 0x80);
                ASSERT_LT(at, end);
                unsigned status = static_cast<unsigned char>(b[at]);
                if (status == 0xFF) {
                    ASSERT_LE(at + 3, end);
                    const unsigned type = static_cast<unsigned char>(b[at + 1]);
                    const unsigned n = static_cast<unsigned char>(b[at + 2]);
                    if (type == 0x51) tempo = n == 3;
                    if (type == 0x2F) ended = n == 0;
                    at += 3 + n;
                    ASSERT_LE(at, end);
                    continue;
                }
                if (status & 0x80) {
                    running = status;
                    ++at;
                }
                ASSERT_TRUE(running >= 0x80 && running < 0xF0) << std::hex << running;
                const unsigned kind = running & 0xF0;
                const int size = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
                ASSERT_LE(at + size, end);
                for (int i = 0; i < size; ++i) ASSERT_LT(static_cast<unsigned char>(b[at + i]), 0x80u);
                const int slot = (running & 0x0F) * 128 + static_cast<unsigned char>(b[at]);
                const int velocity = size == 2 ? static_cast<unsigned char>(b[at + 1]) : 0;
                if (kind == 0x90 && velocity > 0) {
                    ++open[slot];
                    ++notes;
                } else if (kind == 0x80 || kind == 0x90) {
                    EXPECT_GT(open[slot]--, 0) << "note-off without note-on";
                }
                at += size;
            }
            EXPECT_TRUE(ended);
            for (auto [slot, n] : open) EXPECT_EQ(n, 0) << "note left sounding: " << slot;
        }
        EXPECT_EQ(at, b.size());
        EXPECT_TRUE(tempo);
        EXPECT_GE(notes, 20);
    }
    EXPECT_GE(found, 1);
}

}  // namespace
}  // namespace vireo::demo
