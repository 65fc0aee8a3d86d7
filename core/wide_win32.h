// Names between the portable core (char16_t) and the wide Win32 calls
// (wchar_t): the same UTF-16 units on Windows, so nothing is converted.
#pragma once
#include <string>
#include <string_view>

namespace vireo {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows spells names in UTF-16 units");

inline const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline wchar_t* Wide(std::u16string& s) { return reinterpret_cast<wchar_t*>(s.data()); }
inline std::u16string FromWide(const wchar_t* s, size_t n) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}
inline std::u16string FromWide(const wchar_t* s) {
    return FromWide(s, std::char_traits<wchar_t>::length(s));
}

}  // namespace vireo
