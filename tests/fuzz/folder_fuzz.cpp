// Fuzz target for the folder scan: a current folder of any length and a
// listing of entries, both made of any UTF-16 units (lone surrogates included).
// The patterns asked for, the titles listed, their count, the label, the path
// field, the box and the selection must agree with a plain model of the rules.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/folder_scan.h"
#include "tests/fuzz/property.h"
#include "tests/fuzz/text_model.h"
#include "tests/null_ports.h"
#include "tests/unit/fakes.h"

namespace {

using namespace vireo;

// Each listing gives its own result and the same entries.
class Listing : public DirectoryPort {
public:
    ListResult results[2] = {ListResult::Listed, ListResult::Listed};
    std::vector<std::u16string> entries;
    std::vector<std::u16string> patterns;

    ListResult list(const std::u16string& pattern, std::vector<std::u16string>& out) override {
        const ListResult r = results[patterns.size() < 2 ? patterns.size() : 1];
        patterns.push_back(pattern);
        out = r == ListResult::Listed ? entries : std::vector<std::u16string>{};
        return r;
    }
    FoundEntry find(const std::u16string&) override {
        fuzz::Fail("no name is looked up");
    }
};

ListResult ResultOf(unsigned bits) {
    return bits == 0 ? ListResult::CannotStart : bits == 1 ? ListResult::NoEntries : ListResult::Listed;
}

// The input's bytes taken two at a time, low byte first; an odd last byte is dropped.
std::u16string Units(const std::string& bytes) {
    std::u16string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        out += char16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8);
    return out;
}

// The extension after the last dot is one an engine plays, where only an ASCII
// capital may stand for its small letter.
bool IsMusic(std::u16string_view name) {
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) return false;
    const std::u16string_view have = name.substr(dot + 1);
    for (std::u16string_view ext : {u"wav", u"mp3", u"mid", u"wma", u"flac", u"m4a", u"aac"}) {
        bool same = have.size() == ext.size();
        for (size_t k = 0; same && k < ext.size(); ++k)
            same = have[k] == ext[k] || (ext[k] >= u'a' && ext[k] <= u'z' && have[k] == ext[k] - 32);
        if (same) return true;
    }
    return false;
}

// As many whole characters (a surrogate pair is one) as fit in 260 units.
std::u16string Head(std::u16string_view folder) {
    std::u16string out;
    for (size_t i = 0; i < folder.size();) {
        const bool pair =
            fuzz::IsHighSurrogate(folder[i]) && i + 1 < folder.size() && fuzz::IsLowSurrogate(folder[i + 1]);
        const size_t n = pair ? 2 : 1;
        if (out.size() + n > 260) break;
        out += folder.substr(i, n);
        i += n;
    }
    return out;
}

std::u16string Pattern(std::u16string_view folder) {
    std::u16string p = Head(folder);
    if (!p.empty() && p.back() != u'\\') p += u'\\';
    return p + u"*.*";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Listing dirs;
    const uint8_t mode = in.ConsumeIntegral<uint8_t>();
    dirs.results[0] = ResultOf(mode % 8);
    dirs.results[1] = ResultOf(mode / 8 % 8);
    // Folders of any length: a stretch of the input, repeated up to a size
    // well past the 260 units the pattern keeps.
    const size_t wanted = in.ConsumeIntegralInRange<size_t>(0, 700);
    std::u16string folder = Units(in.ConsumeRandomLengthString(128));
    if (!folder.empty())
        while (folder.size() < wanted) folder += folder.substr(0, wanted - folder.size());

    while (in.remaining_bytes() > 0 && dirs.entries.size() < 64) {
        std::u16string name = Units(in.ConsumeRandomLengthString(600));
        // Music names often enough to matter.
        static const std::u16string_view endings[] = {u"", u".wav", u".Mp3", u".MID", u".wmA", u".FLAC", u".m4A",
                                                      u".aac", u".ogg", u"1.wav", u"10.wav", u"2.Wav"};
        name += endings[in.ConsumeIntegral<uint8_t>() % std::size(endings)];
        dirs.entries.push_back(std::move(name));
    }

    test::FakeControls controls;
    test::FakeBoxes boxes;
    test::NullPorts none;
    Player p{ProgramState{}, Ports{controls, none, none, boxes, none, none, none, none, dirs, none, none, none}};
    p.st.currentFolder = folder;
    ShowFolder(p);
    ScanFolderIntoList(p);

    // The folder is shown as it is and counted, then listed from the field,
    // which gains a final separator first; titles open from there.
    std::u16string listed = folder;
    if (!listed.empty() && listed.back() != u'\\' && listed.back() != u'/') listed += u'\\';
    CHECK(controls[FolderPathField].name == listed);
    CHECK(p.st.scannedFolder == listed);
    size_t music = 0;
    for (const std::u16string& e : dirs.entries) music += IsMusic(e);
    if (folder.empty()) {
        CHECK(dirs.patterns == std::vector<std::u16string>{u"*.*"});
        CHECK(controls[ContentLabel].text.empty());
    } else {
        CHECK(dirs.patterns == (std::vector<std::u16string>{Pattern(folder), Pattern(listed)}));
        const size_t counted = dirs.results[0] == ListResult::Listed ? music : 0;
        CHECK(controls[ContentLabel].text == " Contenu : " + std::to_string(counted) + " titres");
    }
    const ListResult scan = dirs.results[folder.empty() ? 0 : 1];

    bool enablesChanged = false;
    for (const std::string& l : controls.log) enablesChanged = enablesChanged || l[0] == 'E' || l[0] == 'D';
    const std::vector<std::u16string>& items = controls[TitleCombo].items;
    if (scan == ListResult::CannotStart) {
        CHECK(items.empty() && p.st.titleCount == 0);
        CHECK(controls[TitleCombo].state == -1);
        CHECK(!enablesChanged);
        CHECK(boxes.shown.size() == 1);
        const test::Box& box = boxes.shown[0];
        CHECK(box.title == "Erreur" && box.flags == kBoxNoIcon);
        // In the code page whenever it spells the whole folder, wide otherwise.
        if (const std::optional<std::string> spelled = fuzz::Spell(listed)) {
            CHECK(box.text == "Impossible d'examiner ce r\xE9pertoire: " + *spelled);
            CHECK(box.wideText.empty());
        } else {
            CHECK(box.wideText == u"Impossible d'examiner ce r\u00E9pertoire: " + listed);
            CHECK(box.text.empty());
        }
        return 0;
    }
    CHECK(boxes.shown.empty());

    // Every music entry, exactly as listed, in the order the port's names
    // compare (its own table tests that order).
    std::vector<std::u16string> titles;
    if (scan == ListResult::Listed)
        for (const std::u16string& e : dirs.entries)
            if (IsMusic(e)) titles.push_back(e);
    CHECK(std::is_permutation(items.begin(), items.end(), titles.begin(), titles.end()));
    for (size_t i = 1; i < items.size(); ++i) CHECK(NaturalCompare(items[i - 1], items[i]) <= 0);
    if (!items.empty()) titles = items;
    CHECK(p.st.titleCount == int32_t(titles.size()));
    CHECK(controls[TitleCombo].state == (titles.empty() ? -1 : 0));
    CHECK(controls.name(TitleCombo) == (titles.empty() ? u"" : titles[0]));
    CHECK(!controls[StopButton].enabled && !controls[PauseButton].enabled && !controls[ResumeButton].enabled);
    CHECK(controls[TitleCombo].enabled && controls[PlayButton].enabled);
    return 0;
}
