// The current music folder: shown in the path field, counted in the content label
// and listed into the title list.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "core/player.h"

namespace vireo {

// Lower-cases like CharLowerA under the Windows-1252 code page: A-Z, the accented
// capitals C0-DE except the multiplication sign D7, and 8A, 8C, 8E, 9F.
char LowerCp1252(char c);
std::string LowerCp1252(std::string_view text);

// "*.*" behind the folder text cut to 260 characters, with a backslash between
// when the text is not empty and does not end with one.
std::string ListingPattern(std::string_view folder);

// A music entry: not "." or "..", and its last four characters, lower-cased, are
// ".wav", ".mp3", ".mid" or ".wma". The kind of entry does not matter.
bool IsMusicEntry(std::string_view name);

// The folder part of a stored folder: after one leading double quote, up to and
// including the last backslash or slash; "" when there is neither.
std::string FolderPathPart(std::string_view folder);

// The name under which an entry of the listed folder goes into the title list:
// its long name, unless the listing could not spell it in Windows-1252 and
// a short name exists.
std::string TitleName(DirectoryPort& dirs, std::string_view folder, const DirEntry& entry);

// Reads the default folder from the preferences file, then shows and lists it.
void LoadMusicFolder(Player& p);
// Shows CurrentFolder in the path field and its number of titles in the label.
void ShowFolder(Player& p);
// Number of music entries in CurrentFolder; 0 when it can't be listed.
int64_t CountTitles(Player& p);
// Fills the title list from the folder named by the path field.
void ScanFolderIntoList(Player& p);

}  // namespace vireo
