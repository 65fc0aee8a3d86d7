#include "library/folder_choice.h"

#include "library/folder_scan.h"
#include "library/prefs_file.h"

namespace vireo {

namespace {
constexpr size_t kMaxInitialFolder = 259;
constexpr size_t kMaxChosenPath = 260;
}  // namespace

std::string PrepareInitialFolder(std::string_view folder) {
    std::string out(folder.substr(0, kMaxInitialFolder));
    if (out.size() > 3 && out.back() == '\\') out.pop_back();
    return out;
}

std::string FinishChosenFolder(std::string_view path) {
    std::string out(path.substr(0, kMaxChosenPath));
    if (!out.empty() && out.back() != '\\') out += '\\';
    return out;
}

std::string FolderRequester(Player& p, std::string_view prompt, std::string_view initialFolder) {
    return FinishChosenFolder(p.io.requester.browse(prompt, PrepareInitialFolder(initialFolder)));
}

void ChooseDefaultFolder(Player& p) {
    std::string chosen = FolderRequester(p, kFolderPrompt, p.st.currentFolder);
    // A cancel must not erase the default folder stored earlier.
    if (chosen.empty()) return;
    p.st.currentFolder = chosen;
    PreferencesFile prefs(p.io.files);
    if (prefs.create(p.st.programDir + kPreferencesFileName)) {
        prefs.writeString(kFolderKey, p.st.currentFolder);
        prefs.close();
    } else {
        p.io.boxes.showBox("Erreur d'écriture", "Le fichier de configuration n'a pu être créé", kBoxInformation);
    }
}

void BrowseMusicFolder(Player& p) {
    p.st.titleCount = 0;
    p.st.currentFolder = FolderRequester(p, kFolderPrompt, p.st.currentFolder);
    ShowFolder(p);
    ScanFolderIntoList(p);
}

}  // namespace vireo
