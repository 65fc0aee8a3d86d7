// The Help and About boxes and the date mask their texts use.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vireo {

struct Player;

inline constexpr std::string_view kHelpTitle = "Utilisation de ce lecteur";
inline constexpr std::string_view kAboutTitle = "A propos";
inline constexpr std::string_view kAboutDateMask = " le %dd.%mm.%yyyy à %hh:%ii:%ss";

// The range a 64-bit gmtime on Windows breaks down: 1970-01-01 00:00:00 to
// 3000-12-31 23:59:59. Outside it the formatter gives "0000" and "00" fields.
inline constexpr int64_t kFirstFormattableDate = 0;
inline constexpr int64_t kLastFormattableDate = 32535215999;

struct CivilTime {
    int64_t year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Breaks seconds since 1970 down as they stand (no time-zone conversion).
// False, and all fields zero, outside the formattable range.
bool BreakDownDate(int64_t date, CivilTime& out);

// Replaces %yyyy %yy %mm %dd %hh %ii %ss (any letter case) in the mask; every
// other character, a lone "%" included, is copied.
std::string FormatDateMask(std::string_view mask, int64_t date);

std::string BuildHelpText();
std::string BuildAboutText(int64_t buildDate);

// Rebuild the text on every press, then show it in an information box.
void ShowHelp(Player& p);
void ShowAbout(Player& p);

}  // namespace vireo
