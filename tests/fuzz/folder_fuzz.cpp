// Fuzz target for the folder scan: a stored folder of any length and a listing
// of entries whose names hold any bytes. The patterns asked for, the titles
// listed, their count and the names looked up must agree with a plain model
// of the rules.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "library/folder_scan.h"
#include "tests/null_ports.h"
#include "tests/unit/fakes.h"

namespace {

using namespace vireo;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}
#define CHECK(cond)                \
    do {                           \
        if (!(cond)) Fail(#cond);  \
    } while (0)

class Listing : public DirectoryPort {
public:
    ListResult result = ListResult::Listed;
    std::vector<DirEntry> entries;
    std::set<std::string> existing;
    std::vector<std::string> patterns, finds;

    ListResult list(const std::string& pattern, std::vector<DirEntry>& out) override {
        patterns.push_back(pattern);
        out = result == ListResult::CannotStart ? std::vector<DirEntry>{} : entries;
        return result;
    }
    FoundEntry find(const std::string& name) override {
        finds.push_back(name);
        FoundEntry e;
        e.found = existing.count(name) > 0;
        return e;
    }
};

// ASCII lower case is all the extension test needs: the code page's other
// capitals never become ASCII letters.
bool IsMusic(std::string_view name) {
    if (name == "." || name == "..") return false;
    if (name.size() < 4) return false;
    std::string tail(name.substr(name.size() - 4));
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return tail == ".wav" || tail == ".mp3" || tail == ".mid" || tail == ".wma";
}

std::string Prefix(std::string_view folder) {
    std::string p(folder.substr(0, 260));
    if (!p.empty() && p.back() != '\\') p += '\\';
    return p;
}

bool Plain(std::string_view name) {
    for (char c : name)
        if (c == '?' || static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Every byte keeps its case class: lower-casing twice is lower-casing once,
    // and never moves a byte into or out of ASCII or onto a space-like byte.
    if (size >= 1) {
        const char c = char(data[0]), l = LowerCp1252(c);
        CHECK(LowerCp1252(l) == l);
        CHECK((static_cast<unsigned char>(c) < 0x80) == (static_cast<unsigned char>(l) < 0x80));
        CHECK(l == c || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x8A);
    }

    FuzzedDataProvider in(data, size);
    Listing dirs;
    const uint8_t mode = in.ConsumeIntegral<uint8_t>();
    dirs.result = mode % 8 == 0 ? ListResult::CannotStart : mode % 8 == 1 ? ListResult::NoEntries : ListResult::Listed;
    // Folders of any length: a stretch of the input, repeated up to a size
    // well past the 260 characters the pattern keeps.
    std::string folder = in.ConsumeRandomLengthString(64);
    const size_t wanted = in.ConsumeIntegralInRange<size_t>(0, 700);
    if (!folder.empty())
        while (folder.size() < wanted) folder += folder.substr(0, wanted - folder.size());
    // The shown folder: after one leading quote, up to the last separator.
    std::string_view rest = folder;
    if (!rest.empty() && rest.front() == '"') rest.remove_prefix(1);
    const size_t sep = rest.find_last_of("\\/");
    const std::string shown = sep == std::string_view::npos ? "" : std::string(rest.substr(0, sep + 1));

    while (in.remaining_bytes() > 0 && dirs.entries.size() < 64) {
        DirEntry e;
        e.name = in.ConsumeRandomLengthString(300);
        if (in.ConsumeBool()) e.shortName = in.ConsumeRandomLengthString(14);
        const uint8_t kind = in.ConsumeIntegral<uint8_t>();
        if (kind & 1) dirs.existing.insert(Prefix(shown) + e.name);
        // Music names often enough to matter.
        if (kind & 2) e.name += (kind & 4) ? ".Mp3" : ".wav";
        dirs.entries.push_back(std::move(e));
    }
    if (dirs.result != ListResult::Listed) dirs.entries.clear();

    test::FakeControls controls;
    test::FakeBoxes boxes;
    test::NullPorts none;
    Player p{ProgramState{}, Ports{controls, none, none, boxes, none, none, none, none, dirs, none}};
    p.st.currentFolder = folder;
    ShowFolder(p);
    ScanFolderIntoList(p);

    if (folder.empty()) {
        CHECK(dirs.patterns.size() == 1);
        CHECK(dirs.patterns[0] == "*.*");
        CHECK(controls[FolderPathField].text.empty());
    } else {
        CHECK(dirs.patterns.size() == 2);
        CHECK(dirs.patterns[0] == Prefix(folder) + "*.*");
        CHECK(dirs.patterns[1] == Prefix(shown) + "*.*");
        CHECK(controls[FolderPathField].text == shown);
    }
    for (const std::string& pattern : dirs.patterns) CHECK(pattern.size() <= 264);

    size_t music = 0;
    for (const DirEntry& e : dirs.entries) music += IsMusic(e.name);
    if (!folder.empty()) {
        const size_t counted = dirs.result == ListResult::CannotStart ? 0 : music;
        CHECK(controls[ContentLabel].text == " Contenu : " + std::to_string(counted) + " titres");
    }

    const std::vector<std::string>& items = controls[TitleCombo].items;
    if (dirs.result == ListResult::CannotStart) {
        CHECK(items.empty() && p.st.titleCount == 0);
        CHECK(boxes.shown.size() == 1);
        CHECK(boxes.shown[0].text == "Impossible d'examiner ce r\xE9pertoire: " + shown);
        CHECK(dirs.finds.empty());
        return 0;
    }
    CHECK(boxes.shown.empty());
    CHECK(p.st.titleCount == int32_t(items.size()) && items.size() == music);
    CHECK(controls[TitleCombo].state == (music ? 0 : -1));

    // Each title: the long name unless it is not plain text and a short name
    // exists; a name with "?" is never looked up, another one is, in the
    // listed folder.
    std::vector<std::string> finds;
    size_t k = 0;
    for (const DirEntry& e : dirs.entries) {
        if (!IsMusic(e.name)) continue;
        std::string want = e.name;
        if (!e.shortName.empty() && !Plain(e.name)) {
            if (e.name.find('?') != std::string::npos) {
                want = e.shortName;
            } else {
                const std::string full = Prefix(shown) + e.name;
                finds.push_back(full);
                if (!dirs.existing.count(full)) want = e.shortName;
            }
        }
        CHECK(items[k++] == want);
    }
    CHECK(dirs.finds == finds);
    return 0;
}
