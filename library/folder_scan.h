// The current music folder: shown in the path field, counted in the content label
// and listed into the title list.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/player.h"

namespace vireo {

// "*.*" behind the folder text cut to 260 characters, with a backslash between
// when the text is not empty and does not end with one.
std::u16string ListingPattern(std::u16string_view folder);

// A music entry: not "." or "..", and an extension after its last dot that an
// engine plays (EngineFor). The kind of entry does not matter.
bool IsMusicEntry(std::u16string_view name);

// A folder as people write it in the preferences file: without the double
// quotes around it, and with a final separator when it has none ("" stays "").
std::u16string StoredFolder(std::u16string_view value);

// Reads the default folder from the preferences file, then shows and lists it.
void LoadMusicFolder(Player& p);
// Shows CurrentFolder in the path field and its number of titles in the label.
void ShowFolder(Player& p);
// Number of music entries in CurrentFolder; 0 when it can't be listed.
int64_t CountTitles(Player& p);
// Fills the title list from the folder named by the path field, which gets a
// final separator when it has none; titles open from that folder, and come in
// the order the directory port's compareNames gives. The titles as listed.
std::vector<std::u16string> ScanFolderIntoList(Player& p);

}  // namespace vireo
