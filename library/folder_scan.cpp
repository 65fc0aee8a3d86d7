#include "library/folder_scan.h"

#include <vector>

#include "core/names.h"
#include "library/prefs_file.h"

namespace vireo {

namespace {

constexpr size_t kMaxFolderText = 260;

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c; }

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

bool IsMusicEntry(std::u16string_view name) {
    if (name == u"." || name == u"..") return false;
    // Only ASCII letters can lower-case into the extensions.
    std::u16string tail(name.size() > 4 ? name.substr(name.size() - 4) : name);
    for (char16_t& c : tail) c = AsciiLower(c);
    return tail == u".wav" || tail == u".mp3" || tail == u".mid" || tail == u".wma";
}

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

void ScanFolderIntoList(Player& p) {
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
        return;
    }
    for (const std::u16string& name : names) {
        if (!IsMusicEntry(name)) continue;
        c.appendItem(TitleCombo, name);
        ++p.st.titleCount;
    }
    c.setEnabled(StopButton, false);
    c.setEnabled(PauseButton, false);
    c.setEnabled(ResumeButton, false);
    c.setEnabled(TitleCombo, true);
    c.setEnabled(PlayButton, true);
    c.setState(TitleCombo, 0);
}

}  // namespace vireo
