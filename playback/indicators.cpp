#include "playback/indicators.h"

#include <string_view>

namespace vireo {
namespace {

// Decimal digits of v at the end of the range ending at `end`; returns the start.
char* WriteDecimalBackwards(uint64_t v, char* end) {
    do {
        *--end = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    return end;
}

size_t WriteSigned(int64_t v, char* out) {
    char digits[24];
    char* const end = digits + sizeof digits;
    const uint64_t magnitude = v < 0 ? 0 - uint64_t(v) : uint64_t(v);
    char* first = WriteDecimalBackwards(magnitude, end);
    if (v < 0) *--first = '-';
    const size_t n = size_t(end - first);
    for (size_t i = 0; i < n; ++i) out[i] = first[i];
    return n;
}

}  // namespace

size_t FormatTimeInto(int64_t seconds, char* out) {
    const uint64_t magnitude = seconds < 0 ? 0 - uint64_t(seconds) : uint64_t(seconds);
    const uint64_t minutes = magnitude / 60;
    const unsigned rest = unsigned(magnitude % 60);
    char* p = out;
    if (seconds < 0) *p++ = '-';
    char digits[24];
    char* const end = digits + sizeof digits;
    for (char* d = WriteDecimalBackwards(minutes, end); d != end; ++d) *p++ = *d;
    *p++ = ':';
    *p++ = char('0' + rest / 10);
    *p++ = char('0' + rest % 10);
    return size_t(p - out);
}

std::string FormatTime(int64_t seconds) {
    char text[kTimeTextSize];
    return std::string(text, FormatTimeInto(seconds, text));
}

void RefreshIndicators(Player& p) {
    // Truncates toward zero: whole seconds elapsed, never rounded up.
    const int64_t seconds = p.st.positionMs / 1000;
    char text[kTimeTextSize];
    p.io.controls.setText(ElapsedDisplay, std::string_view(text, FormatTimeInto(seconds, text)));
    p.io.controls.setText(CountDisplay, std::string_view(text, WriteSigned(seconds, text)));
    p.io.controls.setState(TrackProgressBar, seconds);
}

}  // namespace vireo
