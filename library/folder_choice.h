// The two folder buttons: a folder for this run, or the stored default folder.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/player.h"

namespace vireo {

constexpr const char* kFolderPrompt =
    "Sélectionnez le répertoire où se trouvent les musiques que vous voulez écouter :";

// The folder the browser starts on: cut to 259 characters, without the final
// backslash unless it is a drive root such as E:\.
std::u16string PrepareInitialFolder(std::u16string_view folder);
// The browser's path as a folder: with a final backslash; "" stays "" (cancel).
std::u16string FinishChosenFolder(std::u16string_view path);

// The chosen folder ending with a backslash, or "" when the user cancels.
std::u16string FolderRequester(Player& p, std::string_view prompt, std::u16string_view initialFolder);

// Stores the chosen folder as the default, whole or not at all (a box says
// so); the caller then loads it. A cancel changes nothing: false.
bool ChooseDefaultFolder(Player& p);
// Shows and lists the chosen folder for this run; after a cancel the list is
// rebuilt from the folder still in the path field.
void BrowseMusicFolder(Player& p);
// Files and folders dropped on the strip: the first that is a folder is
// listed for this run as BrowseMusicFolder lists a chosen one; the first that
// is a title lists its folder and selects it. Anything else does nothing.
void ListDroppedFolder(Player& p, const std::vector<std::u16string>& paths);

}  // namespace vireo
