#include "library/folder_scan.h"

#include <vector>

#include "library/prefs_file.h"

namespace vireo {

namespace {

constexpr std::string_view kListAll = "*.*";
constexpr size_t kMaxFolderText = 260;

// The listing pattern without "*.*": where the entry names are found.
std::string ListingPrefix(std::string_view folder) {
    std::string prefix(folder.substr(0, kMaxFolderText));
    if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
    return prefix;
}

bool OutsideAscii(std::string_view name) {
    for (char c : name) {
        if (c == '?' || static_cast<unsigned char>(c) > 0x7F) return true;
    }
    return false;
}

}  // namespace

char LowerCp1252(char ch) {
    auto c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z') return char(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char(c + 0x20);
    switch (c) {
    case 0x8A: return char(0x9A);  // S caron
    case 0x8C: return char(0x9C);  // OE
    case 0x8E: return char(0x9E);  // Z caron
    case 0x9F: return char(0xFF);  // Y diaeresis
    default: return ch;
    }
}

std::string LowerCp1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerCp1252(c);
    return out;
}

std::string ListingPattern(std::string_view folder) { return ListingPrefix(folder) + std::string(kListAll); }

bool IsMusicEntry(std::string_view name) {
    if (name == "." || name == "..") return false;
    std::string tail = LowerCp1252(name.size() > 4 ? name.substr(name.size() - 4) : name);
    return tail == ".wav" || tail == ".mp3" || tail == ".mid" || tail == ".wma";
}

std::string FolderPathPart(std::string_view folder) {
    if (!folder.empty() && folder.front() == '"') folder.remove_prefix(1);
    size_t last = folder.find_last_of("\\/");
    if (last == std::string_view::npos) return {};
    return std::string(folder.substr(0, last + 1));
}

std::string TitleName(DirectoryPort& dirs, std::string_view folder, const DirEntry& entry) {
    // The listing spells a name it cannot map to the code page with "?" or with
    // look-alikes; such a title could not be opened, its short name can.
    if (entry.shortName.empty() || !OutsideAscii(entry.name)) return entry.name;
    // "?" is reserved in file names, so the name can't be real; asking for it
    // would only match through the wildcard.
    if (entry.name.find('?') != std::string::npos) return entry.shortName;
    if (dirs.find(ListingPrefix(folder) + entry.name).found) return entry.name;
    return entry.shortName;
}

void LoadMusicFolder(Player& p) {
    PreferencesFile prefs(p.io.files);
    if (prefs.open(p.st.programDir + kPreferencesFileName)) {
        p.st.currentFolder = prefs.readString(kFolderKey, "");
    }
    prefs.close();
    p.st.titleCount = 0;
    ShowFolder(p);
    ScanFolderIntoList(p);
}

void ShowFolder(Player& p) {
    if (p.st.currentFolder.empty()) return;
    p.io.controls.setText(FolderPathField, FolderPathPart(p.st.currentFolder));
    p.io.controls.setText(ContentLabel, " Contenu : " + std::to_string(CountTitles(p)) + " titres");
}

int64_t CountTitles(Player& p) {
    std::vector<DirEntry> entries;
    if (p.io.dirs.list(ListingPattern(p.st.currentFolder), entries) == ListResult::CannotStart) return 0;
    int64_t count = 0;
    for (const DirEntry& e : entries) {
        if (IsMusicEntry(e.name)) ++count;
    }
    return count;
}

void ScanFolderIntoList(Player& p) {
    ControlPort& c = p.io.controls;
    c.clearItems(TitleCombo);
    p.st.titleCount = 0;
    std::string folder = c.text(FolderPathField);
    std::vector<DirEntry> entries;
    if (p.io.dirs.list(ListingPattern(folder), entries) == ListResult::CannotStart) {
        p.io.boxes.showBox("Erreur", "Impossible d'examiner ce répertoire: " + folder, kBoxNoIcon);
        return;
    }
    for (const DirEntry& e : entries) {
        if (!IsMusicEntry(e.name)) continue;
        c.appendItem(TitleCombo, TitleName(p.io.dirs, folder, e));
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
