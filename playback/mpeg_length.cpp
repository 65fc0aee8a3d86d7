#include "playback/mpeg_length.h"

namespace vireo {

namespace {

uint32_t BigEndian(std::string_view s, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

// Trailing tags (ID3v1, APE, Lyrics) the header's byte count leaves out.
constexpr int64_t kTagAllowance = 256 * 1024;

}  // namespace

int64_t Id3v2TagSize(std::string_view h) {
    if (h.size() < 10 || h.substr(0, 3) != "ID3") return 0;
    int64_t size = 0;
    for (size_t i = 6; i < 10; ++i) {
        const unsigned char b = static_cast<unsigned char>(h[i]);
        if (b & 0x80) return 0;  // not a tag: its size is four 7-bit bytes
        size = size << 7 | b;
    }
    return 10 + size + ((static_cast<unsigned char>(h[5]) & 0x10) ? 10 : 0);
}

int64_t MpegLengthMs(std::string_view head, int64_t audioBytes) {
    if (head.size() < 4) return -1;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(head[i]); };
    if (byte(0) != 0xFF || (byte(1) & 0xE0) != 0xE0) return -1;
    const int version = (byte(1) >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = 4 - ((byte(1) >> 1) & 3);
    const int rateIndex = (byte(2) >> 2) & 3;
    if (version == 1 || layer == 4 || rateIndex == 3 || (byte(2) >> 4) == 15) return -1;
    static constexpr int kRates[3] = {44100, 48000, 32000};
    const int rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const bool mpeg1 = version == 3, mono = (byte(3) >> 6) == 3;
    const int samples = layer == 1 ? 384 : layer == 2 || mpeg1 ? 1152 : 576;
    int64_t frames = -1, bytes = -1;
    const size_t xing = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (layer == 3 && head.size() >= xing + 8 && (head.substr(xing, 4) == "Xing" || head.substr(xing, 4) == "Info")) {
        const uint32_t flags = BigEndian(head, xing + 4);
        size_t at = xing + 8;
        if ((flags & 1) && head.size() >= at + 4) frames = BigEndian(head, at), at += 4;
        if ((flags & 2) && head.size() >= at + 4) bytes = BigEndian(head, at);
    } else if (head.size() >= 36 + 18 && head.substr(36, 4) == "VBRI") {
        bytes = BigEndian(head, 36 + 10);
        frames = BigEndian(head, 36 + 14);
    }
    if (frames <= 0 || bytes <= 0 || audioBytes > bytes + kTagAllowance) return -1;
    return frames * samples * 1000 / rate;
}

}  // namespace vireo
