// Plain models of Windows-1252 and of UTF-8 for the fuzz targets, written from
// the definitions of the two encodings rather than from the program's code.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vireo::fuzz {

// The code page's one row that is not Latin-1; the five bytes it leaves out
// stand for the control characters of their own value.
inline char16_t Cp1252Unit(unsigned char b) {
    switch (b) {
    case 0x80: return 0x20AC;  // euro sign
    case 0x82: return 0x201A;
    case 0x83: return 0x0192;
    case 0x84: return 0x201E;
    case 0x85: return 0x2026;
    case 0x86: return 0x2020;
    case 0x87: return 0x2021;
    case 0x88: return 0x02C6;
    case 0x89: return 0x2030;
    case 0x8A: return 0x0160;
    case 0x8B: return 0x2039;
    case 0x8C: return 0x0152;
    case 0x8E: return 0x017D;
    case 0x91: return 0x2018;
    case 0x92: return 0x2019;
    case 0x93: return 0x201C;
    case 0x94: return 0x201D;
    case 0x95: return 0x2022;
    case 0x96: return 0x2013;
    case 0x97: return 0x2014;
    case 0x98: return 0x02DC;
    case 0x99: return 0x2122;
    case 0x9A: return 0x0161;
    case 0x9B: return 0x203A;
    case 0x9C: return 0x0153;
    case 0x9E: return 0x017E;
    case 0x9F: return 0x0178;
    default: return char16_t(b);
    }
}

inline std::u16string Widen(std::string_view bytes) {
    std::u16string out;
    for (char c : bytes) out += Cp1252Unit(static_cast<unsigned char>(c));
    return out;
}

// The bytes whose widening is `units`, when there are some.
inline std::optional<std::string> Spell(std::u16string_view units) {
    static const std::array<int16_t, 0x10000> byteOf = [] {
        std::array<int16_t, 0x10000> t;
        t.fill(-1);
        for (int b = 0; b < 256; ++b) t[Cp1252Unit(static_cast<unsigned char>(b))] = int16_t(b);
        return t;
    }();
    std::string out;
    for (char16_t u : units) {
        if (byteOf[u] < 0) return std::nullopt;
        out += char(byteOf[u]);
    }
    return out;
}

inline bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// UTF-8 of UTF-16: a pair is one code point, any other unit (a lone surrogate
// too) is its own.
inline std::string Utf8(std::u16string_view units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t cp = units[i];
        if (IsHighSurrogate(cp) && i + 1 < units.size() && IsLowSurrogate(units[i + 1]))
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        const int length = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        if (length == 1) {
            out += char(cp);
            continue;
        }
        const uint8_t leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
        out += char(leads[length] | (cp >> (6 * (length - 1))));
        for (int k = length - 2; k >= 0; --k) out += char(0x80 | ((cp >> (6 * k)) & 0x3F));
    }
    return out;
}

struct Decoded {
    std::u16string units;
    bool wellFormed = true;
};

// UTF-8 to UTF-16. A sequence is well-formed when its code point lies in the
// range its length may encode (which rules out overlong forms and anything past
// U+10FFFF), and is no surrogate unless `surrogates`. Anything else reads as
// one U+FFFD for each longest start of a well-formed sequence, or for one byte.
inline Decoded DecodeUtf8(std::string_view s, bool surrogates) {
    // Whether some well-formed sequence of `length` bytes starts with the
    // `have` bytes whose bits are `bits`.
    auto reachable = [&](uint32_t bits, int length, int have) {
        const int missing = 6 * (length - have);
        const uint32_t lo = bits << missing, hi = lo | ((1u << missing) - 1);
        const uint32_t first[] = {0, 0, 0x80, 0x800, 0x10000};
        const uint32_t last[] = {0, 0x7F, 0x7FF, 0xFFFF, 0x10FFFF};
        if (hi < first[length] || lo > last[length]) return false;
        if (length == 3 && !surrogates && lo >= 0xD800 && hi <= 0xDFFF) return false;
        return true;
    };
    Decoded d;
    for (size_t i = 0; i < s.size();) {
        const uint8_t lead = uint8_t(s[i]);
        const int length = lead < 0x80 ? 1 : lead >> 5 == 6 ? 2 : lead >> 4 == 14 ? 3 : lead >> 3 == 30 ? 4 : 0;
        if (length == 1) {
            d.units += char16_t(lead);
            ++i;
            continue;
        }
        uint32_t bits = lead & (0x7F >> length);
        int have = length > 0 && reachable(bits, length, 1) ? 1 : 0;
        while (have > 0 && have < length && i + size_t(have) < s.size()) {
            const uint8_t next = uint8_t(s[i + size_t(have)]);
            if (next >> 6 != 2 || !reachable(bits << 6 | (next & 0x3F), length, have + 1)) break;
            bits = bits << 6 | (next & 0x3F);
            ++have;
        }
        if (have > 0 && have == length) {
            if (bits >= 0x10000) {
                d.units += char16_t(0xD800 + ((bits - 0x10000) >> 10));
                d.units += char16_t(0xDC00 + ((bits - 0x10000) & 0x3FF));
            } else {
                d.units += char16_t(bits);
            }
            i += size_t(length);
        } else {
            d.units += u'\uFFFD';
            d.wellFormed = false;
            i += size_t(have > 0 ? have : 1);
        }
    }
    return d;
}

}  // namespace vireo::fuzz
