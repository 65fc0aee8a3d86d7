#include "core/names.h"

#include <cstdint>

namespace vireo {

namespace {

// 80 to 9F; the rest of the code page is Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Cp1252Unit(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t(byte);
}

std::optional<char> Cp1252Byte(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return char(unit);
    for (unsigned i = 0; i < 32; ++i)
        if (kHighControls[i] == unit) return char(0x80 + i);
    return std::nullopt;
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void Put(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// One UTF-8 sequence at `i`: its code point and length, or length 0 with the
// length of its maximal ill-formed part in `bad`. Surrogates pass only when
// `surrogates` is set.
struct Decoded {
    uint32_t cp = 0;
    size_t length = 0;
    size_t bad = 1;
};

Decoded DecodeAt(std::string_view s, size_t i, bool surrogates) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return {lead, 1, 0};
    size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    uint32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED && !surrogates) hi = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    } else {
        return {};
    }
    size_t k = 1;
    for (; k < length && i + k < s.size(); ++k) {
        const unsigned char b = byte(i + k);
        if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) break;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (k < length) return {0, 0, k};
    return {cp, length, 0};
}

}  // namespace

std::u16string WidenCp1252(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += Cp1252Unit(static_cast<unsigned char>(c));
    return out;
}

std::optional<std::string> ExactCp1252(std::u16string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char16_t u : name) {
        const std::optional<char> b = Cp1252Byte(u);
        if (!b) return std::nullopt;
        out += *b;
    }
    return out;
}

std::string ToUtf8(std::u16string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t u = name[i];
        if (IsHigh(u) && i + 1 < name.size() && IsLow(name[i + 1])) {
            Put(out, 0x10000 + ((uint32_t(u) - 0xD800) << 10) + (uint32_t(name[i + 1]) - 0xDC00));
            ++i;
        } else {
            Put(out, u);
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const Decoded d = DecodeAt(bytes, i, true);
        if (d.length == 0) {
            out += u'\uFFFD';
            i += d.bad;
            continue;
        }
        if (d.cp >= 0x10000) {
            out += char16_t(0xD800 + ((d.cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((d.cp - 0x10000) & 0x3FF));
        } else {
            out += char16_t(d.cp);
        }
        i += d.length;
    }
    return out;
}

bool IsWellFormedUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const Decoded d = DecodeAt(bytes, i, false);
        if (d.length == 0) return false;
        i += d.length;
    }
    return true;
}

int NaturalCompare(std::u16string_view a, std::u16string_view b) {
    const auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c; };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            // Leading zeros say nothing of the number; more digits, a larger one.
            while (i < a.size() && a[i] == u'0') ++i;
            while (j < b.size() && b[j] == u'0') ++j;
            size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei])) ++ei;
            while (ej < b.size() && digit(b[ej])) ++ej;
            if (ei - i != ej - j) return ei - i < ej - j ? -1 : 1;
            for (; i < ei; ++i, ++j)
                if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
            continue;
        }
        const char16_t x = lower(a[i]), y = lower(b[j]);
        if (x != y) return x < y ? -1 : 1;
        ++i, ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    // Alike but for case or leading zeros: still one order, always the same.
    const int units = a.compare(b);
    return units < 0 ? -1 : units > 0 ? 1 : 0;
}

std::u16string_view CutUnits(std::u16string_view name, size_t units) {
    if (name.size() <= units) return name;
    if (units > 0 && IsHigh(name[units - 1]) && IsLow(name[units])) --units;
    return name.substr(0, units);
}

}  // namespace vireo
