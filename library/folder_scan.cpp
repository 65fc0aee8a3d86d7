#include "library/folder_scan.h"

#include <algorithm>
#include <vector>

#include "core/media.h"
#include "core/names.h"
#include "library/prefs_file.h"

namespace vireo {

namespace {

constexpr size_t kMaxFolderText = 260;

// The box of a folder that can't be listed, in the code page when it can spell the folder.
void CannotExamine(Player& p, std::u16string_view folder) {
    constexpr std::string_view title = "Erreur", text = "Impossible d'examiner ce répertoire: ";
    if (std::optional<std::string> spelled = ExactCp1252(folder))
        p.io.boxes.showBox(title, std::string(text) + *spelled, kBoxNoIcon);
    else
        p.io.boxes.showWideBox(title, WidenCp1252(text) + std::u16string(folder), kBoxNoIcon);
}

}  // namespace

std::u16string ListingPattern(std::u16string_view folder) {
    std::u16string pattern(CutUnits(folder, kMaxFolderText));
    if (!pattern.empty() && pattern.back() != u'\\') pattern += u'\\';
    return pattern + u"*.*";
}

bool IsMusicEntry(std::u16string_view name) { return name != u"." && name != u".." && EngineFor(name) != Engine::None; }

std::u16string StoredFolder(std::u16string_view value) {
    // Quotes can't be part of a Windows path: they are only around it.
    if (!value.empty() && value.front() == u'"') value.remove_prefix(1);
    if (!value.empty() && value.back() == u'"') value.remove_suffix(1);
    std::u16string folder(value);
    if (!folder.empty() && !IsSeparator(folder.back())) folder += u'\\';
    return folder;
}

void LoadMusicFolder(Player& p) {
    PreferencesFile prefs(p.io.files);
    if (prefs.open(p.st.programDir + kPreferencesFileName)) {
        p.st.currentFolder = StoredFolder(prefs.readString(kFolderKey, u""));
    }
    prefs.close();
    p.st.titleCount = 0;
    ShowFolder(p);
    ScanFolderIntoList(p);
}

void ShowFolder(Player& p) {
    if (p.st.currentFolder.empty()) return;
    p.io.controls.setName(FolderPathField, p.st.currentFolder);
    p.io.controls.setText(ContentLabel, " Contenu : " + std::to_string(CountTitles(p)) + " titres");
}

int64_t CountTitles(Player& p) {
    std::vector<std::u16string> names;
    if (p.io.dirs.list(ListingPattern(p.st.currentFolder), names) == ListResult::CannotStart) return 0;
    int64_t count = 0;
    for (const std::u16string& name : names) {
        if (IsMusicEntry(name)) ++count;
    }
    return count;
}

std::vector<std::u16string> ScanFolderIntoList(Player& p) {
    ControlPort& c = p.io.controls;
    c.clearItems(TitleCombo);
    p.st.titleCount = 0;
    // Titles open from this folder: a typed one without its final separator
    // gets it here, or each title would be glued to the folder's last name.
    std::u16string folder = c.name(FolderPathField);
    if (!folder.empty() && !IsSeparator(folder.back())) {
        folder += u'\\';
        c.setName(FolderPathField, folder);
    }
    p.st.scannedFolder = folder;
    std::vector<std::u16string> names;
    if (p.io.dirs.list(ListingPattern(folder), names) == ListResult::CannotStart) {
        CannotExamine(p, folder);
        return {};
    }
    // In the order the user's file manager shows, whatever order the volume
    // keeps them in (FAT32 and exFAT: the order they were copied).
    std::vector<std::u16string> titles;
    for (std::u16string& name : names)
        if (IsMusicEntry(name)) titles.push_back(std::move(name));
    DirectoryPort& dirs = p.io.dirs;
    std::sort(titles.begin(), titles.end(),
              [&dirs](const std::u16string& a, const std::u16string& b) { return dirs.compareNames(a, b) < 0; });
    for (const std::u16string& title : titles) c.appendItem(TitleCombo, title);
    p.st.titleCount = static_cast<int32_t>(titles.size());
    c.setEnabled(StopButton, false);
    c.setEnabled(PauseButton, false);
    c.setEnabled(ResumeButton, false);
    c.setEnabled(TitleCombo, true);
    c.setEnabled(PlayButton, true);
    c.setState(TitleCombo, 0);
    return titles;
}

}  // namespace vireo
