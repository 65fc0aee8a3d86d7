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

void BrowseMusicFolder(Player& p) {
    p.st.titleCount = 0;
    p.st.currentFolder = FolderRequester(p, kFolderPrompt, p.st.currentFolder);
    ShowFolder(p);
    ScanFolderIntoList(p);
}

}  // namespace vireo
