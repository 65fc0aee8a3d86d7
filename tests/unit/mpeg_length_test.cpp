#include "playback/mpeg_length.h"

#include <gtest/gtest.h>

#include <string>

namespace vireo {
namespace {

std::string Be(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// A first frame's header and side information, then the encoder's header.
std::string Frame(const char* header4, size_t sideInfo, const std::string& tag) {
    return std::string(header4, 4) + std::string(sideInfo, '\0') + tag;
}

// What the file says of its length, against the play time of the frames it
// counts: only a count whose byte count covers the file is taken.
TEST(MpegLength, FromTheEncodersCount) {
    const char* mpeg1Stereo = "\xFF\xFB\x90\x64";  // layer III, 44.1 kHz, 128 kbit/s
    const char* mpeg2Mono = "\xFF\xF3\x40\xC4";    // layer III, 22.05 kHz, mono
    const char* mpeg25 = "\xFF\xE3\x10\x04";       // layer III, 11.025 kHz, stereo
    const std::string lame = "Info" + Be(3) + Be(1000) + Be(400000);
    struct Case {
        const char* name;
        std::string head;
        int64_t audioBytes, ms;
    };
    const Case cases[] = {
        {"LAME's Info, MPEG-1", Frame(mpeg1Stereo, 32, lame), 400000, 1000 * 1152 * 1000 / 44100},
        {"Xing, MPEG-2 mono", Frame(mpeg2Mono, 9, "Xing" + Be(3) + Be(1000) + Be(400000)), 400000,
         1000 * 576 * 1000 / 22050},
        {"Xing, MPEG-2.5", Frame(mpeg25, 17, "Xing" + Be(3) + Be(100) + Be(9000)), 9000, 100 * 576 * 1000 / 11025},
        {"VBRI", Frame(mpeg1Stereo, 32, std::string("VBRI") + std::string(6, '\0') + Be(400000) + Be(1000) +
                                            std::string(4, '\0')),
         400000, 1000 * 1152 * 1000 / 44100},
        {"a trailing tag beside the count", Frame(mpeg1Stereo, 32, lame), 400000 + 128, 1000 * 1152 * 1000 / 44100},
        {"a file cut short of its count", Frame(mpeg1Stereo, 32, lame), 100000, 1000 * 1152 * 1000 / 44100},
        {"more than it counts: two files joined", Frame(mpeg1Stereo, 32, lame), 800000, -1},
        {"no byte count", Frame(mpeg1Stereo, 32, "Xing" + Be(1) + Be(1000)), 400000, -1},
        {"a plain frame: constant or not, nothing says", Frame(mpeg1Stereo, 32, std::string(16, '\0')), 400000, -1},
        {"the count where a mono frame's would be", Frame(mpeg1Stereo, 17, lame), 400000, -1},
        {"no frame at its start", "ID3" + lame, 400000, -1},
        {"a reserved sample rate", Frame("\xFF\xFB\x9C\x64", 32, lame), 400000, -1},
        {"cut inside the count", Frame(mpeg1Stereo, 32, lame).substr(0, 46), 400000, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(MpegLengthMs(c.head, c.audioBytes), c.ms) << c.name;
    // The tag's size is four 7-bit bytes; a footer adds 10.
    EXPECT_EQ(Id3v2TagSize(std::string("ID3\x04\x00\x00\x00\x00\x02\x01", 10)), 10 + 257);
    EXPECT_EQ(Id3v2TagSize(std::string("ID3\x04\x00\x10\x00\x00\x00\x05", 10)), 10 + 5 + 10);
    EXPECT_EQ(Id3v2TagSize(std::string("ID3\x04\x00\x00\x00\x00\x80\x00", 10)), 0);
    EXPECT_EQ(Id3v2TagSize(std::string("\xFF\xFB\x90\x64\0\0\0\0\0\0", 10)), 0);
}

}  // namespace
}  // namespace vireo
