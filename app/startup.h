// The portable pieces of start-up: the platform check and the program's folder.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform.h"

namespace vireo {

class DirectoryPort;

// The folder the platform check looks at when the system names none.
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

// The platform check as start-up runs it, on the folder the system names for
// 32-bit programs (Windows installed on another drive has it there), or on
// kPlatformCheckPath when it names none. Only 64-bit Windows has that folder.
std::string CheckPlatform(DirectoryPort& dirs, std::u16string_view programFilesX86);

// Up to and including the last backslash or slash; ".\" when there is none, so
// that the result always ends with a separator and names the current folder.
std::u16string ProgramDirOf(std::u16string_view programPath);

}  // namespace vireo
