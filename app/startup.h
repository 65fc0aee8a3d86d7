// The portable pieces of start-up: the platform check and the program's folder.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform.h"

namespace vireo {

class DirectoryPort;

// The one path the platform check looks at; the drive letter is fixed.
inline constexpr std::u16string_view kPlatformCheckPath = u"C:\\Program Files (x86)";

inline constexpr std::string_view kRefusalTitle = "Erreur!";
inline constexpr std::string_view kRefusalText =
    "Votre version de Windows est incompatible.\rCe programme ne peut fonctionner que sur une "
    "plateforme 64 bits";
inline constexpr unsigned kRefusalFlags = kBoxError;

inline constexpr std::string_view kPlatform64 = "64bits";
inline constexpr std::string_view kPlatform32 = "32bits";

// -1 when nothing of that name exists, -2 for a directory, else the file's size.
// Trailing backslashes are removed before the lookup.
int64_t FileSizeQuery(DirectoryPort& dirs, std::u16string path);

// "64bits" only when the answer says directory.
std::string PlatformTagFor(int64_t answer);

// The platform check as start-up runs it.
std::string CheckPlatform(DirectoryPort& dirs);

// Up to and including the last backslash or slash; ".\" when there is none, so
// that the result always ends with a separator and names the current folder.
std::u16string ProgramDirOf(std::u16string_view programPath);

}  // namespace vireo
