#include "library/folder_choice.h"

#include "core/names.h"
#include "library/folder_scan.h"
#include "library/prefs_file.h"

namespace vireo {

namespace {
constexpr size_t kMaxInitialFolder = 259;
constexpr size_t kMaxChosenPath = 260;
}  // namespace

std::u16string PrepareInitialFolder(std::u16string_view folder) {
    std::u16string out(CutUnits(folder, kMaxInitialFolder));
    if (out.size() > 3 && out.back() == u'\\') out.pop_back();
    return out;
}

std::u16string FinishChosenFolder(std::u16string_view path) {
    std::u16string out(CutUnits(path, kMaxChosenPath));
    if (!out.empty() && out.back() != u'\\') out += u'\\';
    return out;
}

std::u16string FolderRequester(Player& p, std::string_view prompt, std::u16string_view initialFolder) {
    return FinishChosenFolder(p.io.requester.browse(prompt, PrepareInitialFolder(initialFolder)));
}

bool ChooseDefaultFolder(Player& p) {
    std::u16string chosen = FolderRequester(p, kFolderPrompt, p.st.currentFolder);
    // A cancel must not erase the default folder stored earlier.
    if (chosen.empty()) return false;
    p.st.currentFolder = chosen;
    PreferencesFile prefs(p.io.files);
    bool stored = prefs.create(p.st.programDir + kPreferencesFileName);
    if (stored) {
        prefs.writeString(kFolderKey, p.st.currentFolder);
        stored = prefs.close();
    }
    if (!stored)
        p.io.boxes.showBox("Erreur d'écriture", "Le fichier de configuration n'a pu être créé", kBoxInformation);
    return true;
}

namespace {

std::vector<std::u16string> ListForThisRun(Player& p, std::u16string folder) {
    p.st.currentFolder = std::move(folder);
    ShowFolder(p);
    return ScanFolderIntoList(p);
}

// A drive's root has no entry of its own to find: "E:\" as Explorer drops it.
bool IsDriveRoot(std::u16string_view path) {
    return path.size() == 3 && path[1] == u':' && IsSeparator(path[2]);
}

}  // namespace

void BrowseMusicFolder(Player& p) {
    p.st.titleCount = 0;
    ListForThisRun(p, FolderRequester(p, kFolderPrompt, p.st.currentFolder));
}

void ListDroppedFolder(Player& p, const std::vector<std::u16string>& paths) {
    for (const std::u16string& path : paths) {
        const FoundEntry e = p.io.dirs.find(path);
        if ((e.found && e.directory) || IsDriveRoot(path)) {
            ListForThisRun(p, FinishChosenFolder(path));
            return;
        }
        const size_t cut = LastNameAt(path);
        const std::u16string name = path.substr(cut);
        if (!e.found || cut == 0 || !IsMusicEntry(name)) continue;
        const std::vector<std::u16string> titles = ListForThisRun(p, FinishChosenFolder(path.substr(0, cut)));
        for (size_t i = 0; i < titles.size(); ++i)
            if (titles[i] == name) p.io.controls.setState(TitleCombo, static_cast<int64_t>(i));
        return;
    }
}

}  // namespace vireo
