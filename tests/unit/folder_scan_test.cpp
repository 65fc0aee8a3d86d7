#include "library/folder_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "library/prefs_file.h"
#include "tests/unit/library_fakes.h"
#include "tests/unit/posix_storage.h"

namespace vireo {
namespace {

using test::LibraryTempDir;
using test::PosixDirectories;
using test::PosixFiles;
using test::ReadBytes;
using test::WriteBytes;
using test::libfake::FakeListing;
using test::libfake::FakeRequester;
using test::libfake::LibraryRig;

const std::string kKey = "Répertoire";
const std::vector<std::string> kReadyEnables = {"D3", "D13", "D14", "E5", "E2"};

// The extension rule and the engine choice: one table.
TEST(FolderScanRules, EntryFilterAndEngine) {
    constexpr Engine M = Engine::Mci, F = Engine::MediaFoundation, N = Engine::None;
    struct Case {
        std::u16string name;
        Engine engine;  // N: no title
    };
    const std::vector<Case> cases = {
        {u"a.MP3", M},       {u"b.Wav", M},       {u"c.mid", M},      {u"d.WMA", M},
        {u"Live.wma", M},    {u".mp3", M},        {u"x.mp3.txt", N}, {u"x.mpeg", N},
        {u"x.mp4", N},      {u"mp3", N},        {u"wav", N},       {u".wa", N},
        {u"", N},           {u".", N},          {u"..", N},        {u"a.mp3 ", N},
        {u"a_mp3", N},      {u"song.MiD", M},    {u"x.midi", N},    {u"\u00E9t\u00E9.wav", M},
        {u"x.wav.", N},     {u"x..wav", M},      {u"\u6D99.wav", M}, {u"\U0001F3B5 note.wav", M},
        // What MCI cannot open, Media Foundation plays; not what a stock Windows lacks.
        {u"a.flac", F},     {u"B.FLAC", F},      {u"c.M4a", F},      {u"d.aac", F},
        {u".flac", F},      {u"flac", N},        {u"x.flac.txt", N}, {u"x.mp3.flac", F},
        {u"e.ogg", N},      {u"f.opus", N},      {u"g.m4b", N},      {u"h.alac", N},
        // Look-alikes of the extensions are not the extensions: a best-fit
        // conversion would have turned these into ".wav" and ".mid".
        {u"x.\uFF57\uFF41\uFF56", N}, {u"x.m\u0130d", N}, {u"x.w\u00C0v", N}, {u"x.fl\u0100c", N},
        // A name ending in a lone surrogate is no title.
        {u"x.wav\xD800", N}, {u"\xDC00.mp3", M},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsMusicEntry(c.name), c.engine != N) << ToUtf8(c.name);
        EXPECT_EQ(EngineFor(c.name), c.engine) << ToUtf8(c.name);
    }
}

TEST(FolderScanRules, ListingPattern) {
    const std::u16string a259(259, u'a');
    struct Case {
        std::u16string folder, pattern;
    };
    const std::vector<Case> cases = {
        {u"", u"*.*"},
        {u"D:\\Musique\\", u"D:\\Musique\\*.*"},
        {u"D:\\Musique", u"D:\\Musique\\*.*"},
        {u"E:\\", u"E:\\*.*"},
        {u"C:/Musique/", u"C:/Musique/\\*.*"},
        {u"\\", u"\\*.*"},
        {std::u16string(300, u'x'), std::u16string(260, u'x') + u"\\*.*"},
        {a259 + u"\\", a259 + u"\\*.*"},
        {a259 + u"\\tail", a259 + u"\\*.*"},
        {a259 + u"b\\", a259 + u"b\\*.*"},
        // 260 characters, not bytes: a Cyrillic path is cut where a Latin one is.
        {std::u16string(300, u'\u0416'), std::u16string(260, u'\u0416') + u"\\*.*"},
        // A pair astride the cut goes whole.
        {a259 + u"\U0001F3B5\\", a259 + u"\\*.*"},
    };
    for (const Case& c : cases) EXPECT_EQ(ListingPattern(c.folder), c.pattern) << c.folder.size();
}

TEST(FolderScanRules, StoredFolder) {
    struct Case {
        std::u16string value, folder;
    };
    const std::vector<Case> cases = {
        {u"D:\\Musique\\", u"D:\\Musique\\"}, {u"D:\\Musique", u"D:\\Musique\\"}, {u"E:\\", u"E:\\"},
        {u"\"D:\\Musique\\\"", u"D:\\Musique\\"}, {u"\"D:\\Ma Musique\"", u"D:\\Ma Musique\\"},
        {u"\"D:\\x\\", u"D:\\x\\"}, {u"Musique", u"Musique\\"}, {u"a/b/", u"a/b/"}, {u"\"", u""},
        {u"\"\"", u""}, {u"", u""}, {u"C:", u"C:\\"}, {u"\\\\serveur\\partage", u"\\\\serveur\\partage\\"},
        {u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430", u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(StoredFolder(c.value), c.folder) << ToUtf8(c.value);
}

class FolderScan : public ::testing::Test {
protected:
    LibraryTempDir dir;
    PosixFiles files;
    FakeListing listing;
    FakeRequester requester;
    LibraryRig rig{files, listing, requester};
    Player& p = rig.p;

    void SetUp() override { p.st.programDir = dir.path16(); }
    void storeFolder(const std::string& folder) { WriteBytes(dir / "Vireo.ini", kKey + " = " + folder + "\r\n"); }
};

// Names of the test written in the code page, as the listing gives them.
std::vector<std::u16string> Named(const std::vector<std::string>& names) {
    std::vector<std::u16string> out;
    for (const auto& n : names) out.push_back(WidenCp1252(n));
    return out;
}

// Listed in reverse, as a volume may keep them; shown as a file manager does.
TEST_F(FolderScan, CountsAndListsInNaturalOrder) {
    std::vector<std::string> names = {".", ".."};
    std::vector<std::string> music;
    for (int i = 12; i >= 1; --i) {
        std::string n = "t" + std::to_string(i) + (i % 2 ? ".mp3" : ".Wav");
        music.push_back(n);
        names.push_back(n);
        if (i % 3 == 0) names.push_back("other" + std::to_string(i) + ".txt");
    }
    names.push_back("readme");
    ASSERT_EQ(names.size(), 2u + 12u + 5u);
    listing.add(u"D:\\Musique\\*.*", Named(names));
    storeFolder("D:\\Musique\\");
    LoadMusicFolder(p);

    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 12 titres");
    std::reverse(music.begin(), music.end());
    EXPECT_EQ(rig.items(), Named(music));
    EXPECT_EQ(p.st.titleCount, 12);
    EXPECT_EQ(rig.enableLog(), kReadyEnables);
    EXPECT_EQ(rig.controls[TitleCombo].state, 0);
    EXPECT_EQ(rig.controls.name(TitleCombo), u"t1.mp3");
    EXPECT_TRUE(rig.controls[PlayButton].enabled);
    EXPECT_FALSE(rig.controls[StopButton].enabled);
    // The count lists the stored folder, then the scan lists the field's folder.
    EXPECT_EQ(listing.patterns, (std::vector<std::u16string>{u"D:\\Musique\\*.*", u"D:\\Musique\\*.*"}));
}

TEST_F(FolderScan, OneTitleStillReadsTitres) {
    listing.add(u"E:\\*.*", Named({"one.wav"}));
    storeFolder("E:\\");
    LoadMusicFolder(p);
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 1 titres");
    EXPECT_EQ(rig.controls[FolderPathField].name, u"E:\\");
}

TEST_F(FolderScan, MissingFolderShowsTheBoxAndChangesNoControl) {
    rig.controls[TitleCombo].items = {u"stale.mp3"};
    rig.controls[TitleCombo].state = 0;
    p.st.titleCount = 7;
    storeFolder("D:\\Ancien\\");
    LoadMusicFolder(p);

    EXPECT_EQ(rig.controls[FolderPathField].name, u"D:\\Ancien\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 0 titres");
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].title, "Erreur");
    EXPECT_EQ(rig.boxes.shown[0].text, "Impossible d'examiner ce répertoire: D:\\Ancien\\");
    EXPECT_EQ(rig.boxes.shown[0].flags, 0u);
    EXPECT_TRUE(rig.items().empty());
    EXPECT_EQ(rig.controls[TitleCombo].state, -1);
    EXPECT_EQ(p.st.titleCount, 0);
    EXPECT_TRUE(rig.enableLog().empty());
    EXPECT_FALSE(rig.controls[PlayButton].enabled);
}

TEST_F(FolderScan, NoEntriesIsAnEmptyListNotAnError) {
    listing.add(u"F:\\*.*", {});
    storeFolder("F:\\");
    LoadMusicFolder(p);
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 0 titres");
    EXPECT_TRUE(rig.items().empty());
    EXPECT_EQ(rig.controls[TitleCombo].state, -1);
    EXPECT_EQ(rig.controls.name(TitleCombo), u"");
    EXPECT_TRUE(rig.controls[PlayButton].enabled);
    EXPECT_EQ(rig.enableLog(), kReadyEnables);
}

TEST_F(FolderScan, FirstStartWithoutPreferencesListsTheCurrentDirectory) {
    listing.add(u"*.*", Named({".", "..", "Vireo.exe", "here.mp3"}));
    LoadMusicFolder(p);
    EXPECT_EQ(p.st.currentFolder, u"");
    EXPECT_EQ(rig.controls[FolderPathField].name, u"");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : Vide");
    EXPECT_EQ(rig.items(), std::vector<std::u16string>{u"here.mp3"});
    EXPECT_EQ(rig.controls[TitleCombo].state, 0);
    EXPECT_EQ(listing.patterns, (std::vector<std::u16string>{u"*.*"}));
    EXPECT_EQ(files.calls.front().path, dir.path() + "Vireo.ini");
    EXPECT_FALSE(test::PathExists(dir / "Vireo.ini"));
}

TEST_F(FolderScan, EmptyOrMissingKeyBehavesLikeNoFile) {
    listing.add(u"*.*", Named({"here.mp3"}));
    for (const std::string& file : {kKey + " =\r\n", std::string("other = D:\\X\\\r\n")}) {
        WriteBytes(dir / "Vireo.ini", file);
        LoadMusicFolder(p);
        EXPECT_EQ(p.st.currentFolder, u"");
        EXPECT_EQ(rig.controls[FolderPathField].name, u"");
        EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : Vide");
        EXPECT_EQ(rig.items(), std::vector<std::u16string>{u"here.mp3"});
        EXPECT_EQ(ReadBytes(dir / "Vireo.ini"), file);
    }
}

TEST_F(FolderScan, UnopenableFileKeepsTheCurrentFolder) {
    p.st.currentFolder = u"G:\\Kept\\";
    listing.add(u"G:\\Kept\\*.*", Named({"k.wav"}));
    LoadMusicFolder(p);
    EXPECT_EQ(p.st.currentFolder, u"G:\\Kept\\");
    EXPECT_EQ(rig.controls[FolderPathField].name, u"G:\\Kept\\");
    EXPECT_EQ(rig.items(), std::vector<std::u16string>{u"k.wav"});
}

// As people write the folder by hand: without its final backslash, or in
// quotes. The field, the count and the list all name the folder itself.
TEST_F(FolderScan, HandWrittenFolders) {
    listing.add(u"C:\\Musique\\*.*", Named({"a.mp3", "b.mp3", "c.mp3"}));
    listing.add(u"C:\\*.*", Named({"root.wav"}));
    for (const char* stored : {"C:\\Musique", "\"C:\\Musique\\\"", "\"C:\\Musique\"", "C:\\Musique\\"}) {
        storeFolder(stored);
        const std::string before = ReadBytes(dir / "Vireo.ini");
        LoadMusicFolder(p);
        EXPECT_EQ(rig.controls[FolderPathField].name, u"C:\\Musique\\") << stored;
        EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 3 titres") << stored;
        EXPECT_EQ(rig.items(), Named({"a.mp3", "b.mp3", "c.mp3"})) << stored;
        EXPECT_EQ(ReadBytes(dir / "Vireo.ini"), before) << "reading never writes";
    }
}

// A folder typed or pasted without its final separator (the form the address
// bar gives) gets one: the titles open from the folder, not beside it.
TEST_F(FolderScan, ATypedFolderGetsItsSeparator) {
    struct Case {
        std::u16string typed, scanned;
    };
    const std::vector<Case> cases = {
        {u"D:\\Tape", u"D:\\Tape\\"}, {u"D:\\Tape\\", u"D:\\Tape\\"}, {u"D:/Tape/", u"D:/Tape/"},
        {u"\\\\serveur\\partage", u"\\\\serveur\\partage\\"}, {u"", u""},
    };
    for (const Case& c : cases) {
        rig.controls[FolderPathField].name = c.typed;
        listing.add(ListingPattern(c.scanned), Named({"x.wav"}));
        ScanFolderIntoList(p);
        EXPECT_EQ(rig.items(), std::vector<std::u16string>{u"x.wav"}) << ToUtf8(c.typed);
        EXPECT_EQ(rig.controls[FolderPathField].name, c.scanned) << ToUtf8(c.typed);
        EXPECT_EQ(p.st.scannedFolder, c.scanned) << ToUtf8(c.typed);
    }
}

TEST_F(FolderScan, EmptyFolderLeavesFieldAndLabelAlone) {
    rig.controls[FolderPathField].name = u"H:\\Shown\\";
    rig.controls[ContentLabel].text = " Contenu : 4 titres";
    p.st.currentFolder = u"";
    ShowFolder(p);
    EXPECT_EQ(rig.controls[FolderPathField].name, u"H:\\Shown\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 4 titres");
    EXPECT_TRUE(listing.patterns.empty());
}

TEST_F(FolderScan, CountTitlesIsZeroWhenTheFolderCantBeListed) {
    p.st.currentFolder = u"Q:\\Nowhere\\";
    EXPECT_EQ(CountTitles(p), 0);
    EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST_F(FolderScan, TwoScansDoNotAccumulate) {
    listing.add(u"D:\\M\\*.*", Named({"a.mp3", "b.wav", "c.txt"}));
    storeFolder("D:\\M\\");
    LoadMusicFolder(p);
    auto first = rig.items();
    ScanFolderIntoList(p);
    EXPECT_EQ(rig.items(), first);
    EXPECT_EQ(p.st.titleCount, 2);
    LoadMusicFolder(p);
    EXPECT_EQ(rig.items(), first);
    EXPECT_EQ(p.st.titleCount, 2);
}

TEST(FolderScanOnDisk, RealFolder) {
    LibraryTempDir dir;
    const std::string music = dir / "music/";
    std::filesystem::create_directories(music + "Live.wma");
    std::filesystem::create_directories(music + "Sub");
    for (const char* n : {"a.MP3", "b.Wav", "x.mp3.txt", "x.mpeg", ".mp3", "mp3", ".hidden.mid", "c.wma", "d.MID"}) {
        WriteBytes(music + n, "x");
    }
    PosixFiles files;
    PosixDirectories dirs;
    FakeRequester requester;
    LibraryRig rig(files, dirs, requester);
    rig.p.st.programDir = dir.path16();
    WriteBytes(dir / "Vireo.ini", kKey + " = " + music + "\r\n");
    LoadMusicFolder(rig.p);

    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 7 titres");
    EXPECT_EQ(rig.items(), (std::vector<std::u16string>{u".hidden.mid", u".mp3", u"a.MP3", u"b.Wav", u"c.wma", u"d.MID", u"Live.wma"}));
    EXPECT_EQ(rig.p.st.titleCount, 7);
    EXPECT_TRUE(rig.boxes.shown.empty());

    rig.controls[FolderPathField].name = FromUtf8(dir / "gone/");
    ScanFolderIntoList(rig.p);
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, "Impossible d'examiner ce répertoire: " + dir.path() + "gone/");
    EXPECT_TRUE(rig.items().empty());
    EXPECT_EQ(rig.p.st.titleCount, 0);
}

}  // namespace
}  // namespace vireo
