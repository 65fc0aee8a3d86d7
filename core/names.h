// File and folder names against the program's own texts. Names come from the
// user's disk in any script: they travel as UTF-16, exactly as the platform
// spells them (lone surrogates included), from the listing to the open. The
// program's own texts are Windows-1252. These are the only conversions between
// the two, and to and from the UTF-8 of a preferences file.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vireo {

// Each Windows-1252 byte as the platform maps it; the five bytes the code page
// leaves unassigned (81 8D 8F 90 9D) stand for the control characters of the
// same value.
std::u16string WidenCp1252(std::string_view text);

// The Windows-1252 spelling of a name when every one of its units has an exact
// byte; nothing when any has not: no look-alike, no "?".
std::optional<std::string> ExactCp1252(std::u16string_view name);

// UTF-8 of any UTF-16: a lone surrogate is written in the three-byte form of
// its code point, so that every name comes back unchanged.
std::string ToUtf8(std::u16string_view name);
// The reverse: the three-byte forms of surrogates give those units back; every
// other ill-formed sequence reads as U+FFFD, one for each maximal ill-formed part.
std::u16string FromUtf8(std::string_view bytes);
// Well-formed by the Unicode standard: no overlong form, no surrogate, nothing
// past U+10FFFF, no sequence cut short.
bool IsWellFormedUtf8(std::string_view bytes);

// At most `units` UTF-16 units of `name`, never half of a surrogate pair.
std::u16string_view CutUnits(std::u16string_view name, size_t units);

inline bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }
// Where the last name of a path starts: after its last separator; 0 when it has none.
inline size_t LastNameAt(std::u16string_view path) {
    const size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? 0 : cut + 1;
}

// Names in natural order: runs of ASCII digits compare as numbers ("Piste 2"
// before "Piste 10"), ASCII letters without regard to case, every other unit
// by its value; names equal so far, the shorter first, then by units.
int NaturalCompare(std::u16string_view a, std::u16string_view b);

}  // namespace vireo
