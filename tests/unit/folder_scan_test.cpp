#include "library/folder_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(FolderScanRules, LowerCasesLikeTheAnsiCodePage) {
    struct Case {
        unsigned char in, out;
    };
    const std::vector<Case> cases = {
        {'A', 'a'}, {'Z', 'z'}, {'M', 'm'}, {'a', 'a'}, {'@', '@'}, {'[', '['}, {'`', '`'}, {'.', '.'},
        {'3', '3'}, {0xC0, 0xE0}, {0xC9, 0xE9}, {0xD6, 0xF6}, {0xD7, 0xD7}, {0xD8, 0xF8}, {0xDE, 0xFE},
        {0xDF, 0xDF}, {0xE9, 0xE9}, {0xFF, 0xFF}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF},
        {0x8D, 0x8D}, {0x9A, 0x9A}, {0xBF, 0xBF}, {0x00, 0x00},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<unsigned char>(LowerCp1252(char(c.in))), c.out) << int(c.in);
    }
    EXPECT_EQ(LowerCp1252("ÉTÉ.MP3"), "été.mp3");
}

TEST(FolderScanRules, EntryFilter) {
    struct Case {
        const char* name;
        bool music;
    };
    const std::vector<Case> cases = {
        {"a.MP3", true},       {"b.Wav", true},       {"c.mid", true},      {"d.WMA", true},
        {"Live.wma", true},    {".mp3", true},        {"x.mp3.txt", false}, {"x.mpeg", false},
        {"x.mp4", false},      {"mp3", false},        {"wav", false},       {".wa", false},
        {"", false},           {".", false},          {"..", false},        {"a.mp3 ", false},
        {"a_mp3", false},      {"song.MiD", true},    {"x.midi", false},    {"été.wav", true},
        {"x.wav.", false},     {"x..wav", true},
    };
    for (const Case& c : cases) EXPECT_EQ(IsMusicEntry(c.name), c.music) << c.name;
}

TEST(FolderScanRules, ListingPattern) {
    const std::string a259(259, 'a');
    struct Case {
        std::string folder, pattern;
    };
    const std::vector<Case> cases = {
        {"", "*.*"},
        {"D:\\Musique\\", "D:\\Musique\\*.*"},
        {"D:\\Musique", "D:\\Musique\\*.*"},
        {"E:\\", "E:\\*.*"},
        {"C:/Musique/", "C:/Musique/\\*.*"},
        {"\\", "\\*.*"},
        {std::string(300, 'x'), std::string(260, 'x') + "\\*.*"},
        {a259 + "\\", a259 + "\\*.*"},
        {a259 + "\\tail", a259 + "\\*.*"},
        {a259 + "b\\", a259 + "b\\*.*"},
    };
    for (const Case& c : cases) EXPECT_EQ(ListingPattern(c.folder), c.pattern) << c.folder.size();
}

TEST(FolderScanRules, FolderPathPart) {
    struct Case {
        std::string folder, shown;
    };
    const std::vector<Case> cases = {
        {"D:\\Musique\\", "D:\\Musique\\"}, {"C:\\Musique", "C:\\"}, {"E:\\", "E:\\"},
        {"\"D:\\Musique\\\"", "D:\\Musique\\"}, {"\"\"D:\\x\\", "\"D:\\x\\"}, {"Musique", ""},
        {"a/b", "a/"}, {"a\\b/c", "a\\b/"}, {"\"", ""}, {"C:", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FolderPathPart(c.folder), c.shown) << c.folder;
}

class FolderScan : public ::testing::Test {
protected:
    LibraryTempDir dir;
    PosixFiles files;
    FakeListing listing;
    FakeRequester requester;
    LibraryRig rig{files, listing, requester};
    Player& p = rig.p;

    void SetUp() override { p.st.programDir = dir.path(); }
    void storeFolder(const std::string& folder) { WriteBytes(dir / "Vireo.ini", kKey + " = " + folder + "\r\n"); }
};

std::vector<DirEntry> Named(const std::vector<std::string>& names) {
    std::vector<DirEntry> out;
    for (const auto& n : names) out.push_back({n, ""});
    return out;
}

TEST_F(FolderScan, CountsAndListsInEnumerationOrder) {
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
    listing.add("D:\\Musique\\*.*", Named(names));
    storeFolder("D:\\Musique\\");
    LoadMusicFolder(p);

    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 12 titres");
    EXPECT_EQ(rig.items(), music);
    EXPECT_EQ(p.st.titleCount, 12);
    EXPECT_EQ(rig.enableLog(), kReadyEnables);
    EXPECT_EQ(rig.controls[TitleCombo].state, 0);
    EXPECT_EQ(rig.controls.text(TitleCombo), "t12.Wav");
    EXPECT_TRUE(rig.controls[PlayButton].enabled);
    EXPECT_FALSE(rig.controls[StopButton].enabled);
    // The count lists the stored folder, then the scan lists the field's folder.
    EXPECT_EQ(listing.patterns, (std::vector<std::string>{"D:\\Musique\\*.*", "D:\\Musique\\*.*"}));
}

TEST_F(FolderScan, OneTitleStillReadsTitres) {
    listing.add("E:\\*.*", Named({"one.wav"}));
    storeFolder("E:\\");
    LoadMusicFolder(p);
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 1 titres");
    EXPECT_EQ(rig.controls[FolderPathField].text, "E:\\");
}

TEST_F(FolderScan, MissingFolderShowsTheBoxAndChangesNoControl) {
    rig.controls[TitleCombo].items = {"stale.mp3"};
    rig.controls[TitleCombo].state = 0;
    p.st.titleCount = 7;
    storeFolder("D:\\Ancien\\");
    LoadMusicFolder(p);

    EXPECT_EQ(rig.controls[FolderPathField].text, "D:\\Ancien\\");
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
    listing.add("F:\\*.*", {});
    storeFolder("F:\\");
    LoadMusicFolder(p);
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 0 titres");
    EXPECT_TRUE(rig.items().empty());
    EXPECT_EQ(rig.controls[TitleCombo].state, -1);
    EXPECT_EQ(rig.controls.text(TitleCombo), "");
    EXPECT_TRUE(rig.controls[PlayButton].enabled);
    EXPECT_EQ(rig.enableLog(), kReadyEnables);
}

TEST_F(FolderScan, FirstStartWithoutPreferencesListsTheCurrentDirectory) {
    listing.add("*.*", Named({".", "..", "Vireo.exe", "here.mp3"}));
    LoadMusicFolder(p);
    EXPECT_EQ(p.st.currentFolder, "");
    EXPECT_EQ(rig.controls[FolderPathField].text, "");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : Vide");
    EXPECT_EQ(rig.items(), std::vector<std::string>{"here.mp3"});
    EXPECT_EQ(rig.controls[TitleCombo].state, 0);
    EXPECT_EQ(listing.patterns, std::vector<std::string>{"*.*"});
    EXPECT_EQ(files.calls.front().path, dir.path() + "Vireo.ini");
    EXPECT_FALSE(test::PathExists(dir / "Vireo.ini"));
}

TEST_F(FolderScan, EmptyOrMissingKeyBehavesLikeNoFile) {
    listing.add("*.*", Named({"here.mp3"}));
    for (const std::string& file : {kKey + " =\r\n", std::string("other = D:\\X\\\r\n")}) {
        WriteBytes(dir / "Vireo.ini", file);
        LoadMusicFolder(p);
        EXPECT_EQ(p.st.currentFolder, "");
        EXPECT_EQ(rig.controls[FolderPathField].text, "");
        EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : Vide");
        EXPECT_EQ(rig.items(), std::vector<std::string>{"here.mp3"});
        EXPECT_EQ(ReadBytes(dir / "Vireo.ini"), file);
    }
}

TEST_F(FolderScan, UnopenableFileKeepsTheCurrentFolder) {
    p.st.currentFolder = "G:\\Kept\\";
    listing.add("G:\\Kept\\*.*", Named({"k.wav"}));
    LoadMusicFolder(p);
    EXPECT_EQ(p.st.currentFolder, "G:\\Kept\\");
    EXPECT_EQ(rig.controls[FolderPathField].text, "G:\\Kept\\");
    EXPECT_EQ(rig.items(), std::vector<std::string>{"k.wav"});
}

TEST_F(FolderScan, FolderWithoutFinalBackslash) {
    listing.add("C:\\Musique\\*.*", Named({"a.mp3", "b.mp3", "c.mp3"}));
    listing.add("C:\\*.*", Named({"root.wav"}));
    storeFolder("C:\\Musique");
    LoadMusicFolder(p);
    EXPECT_EQ(rig.controls[FolderPathField].text, "C:\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 3 titres");
    EXPECT_EQ(rig.items(), std::vector<std::string>{"root.wav"});
}

TEST_F(FolderScan, ScanListsTheFieldTextAsTyped) {
    rig.controls[FolderPathField].text = "D:\\Tape";
    listing.add("D:\\Tape\\*.*", Named({"x.wav"}));
    ScanFolderIntoList(p);
    EXPECT_EQ(rig.items(), std::vector<std::string>{"x.wav"});
    EXPECT_EQ(rig.controls[FolderPathField].text, "D:\\Tape");
}

TEST_F(FolderScan, EmptyFolderLeavesFieldAndLabelAlone) {
    rig.controls[FolderPathField].text = "H:\\Shown\\";
    rig.controls[ContentLabel].text = " Contenu : 4 titres";
    p.st.currentFolder = "";
    ShowFolder(p);
    EXPECT_EQ(rig.controls[FolderPathField].text, "H:\\Shown\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 4 titres");
    EXPECT_TRUE(listing.patterns.empty());
}

TEST_F(FolderScan, CountTitlesIsZeroWhenTheFolderCantBeListed) {
    p.st.currentFolder = "Q:\\Nowhere\\";
    EXPECT_EQ(CountTitles(p), 0);
    EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST_F(FolderScan, TwoScansDoNotAccumulate) {
    listing.add("D:\\M\\*.*", Named({"a.mp3", "b.wav", "c.txt"}));
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

TEST_F(FolderScan, NamesOutsideTheCodePageFallBackToShortNames) {
    const std::string folder = "D:\\Musique";  // typed without the final backslash
    rig.controls[FolderPathField].text = folder;
    listing.add(folder + "\\*.*", {
                                      {"plain.wav", "PLAIN~1.WAV"},
                                      {"Oµ??a.wav", "OA2C~1.WAV"},   // "?" can never name a file
                                      {"??.mp3", ""},                // no short name: as given
                                      {"café.wav", "CAFE~1.WAV"},    // exists under that name
                                      {"Lódz.wma", "LDZ~1.WMA"},     // look-alike that does not exist
                                      {"?x.txt", "X~1.TXT"},         // not music
                                  });
    listing.existing.insert("D:\\Musique\\café.wav");
    ScanFolderIntoList(p);
    EXPECT_EQ(rig.items(), (std::vector<std::string>{"plain.wav", "OA2C~1.WAV", "??.mp3", "café.wav", "LDZ~1.WMA"}));
    EXPECT_EQ(p.st.titleCount, 5);
    EXPECT_EQ(listing.finds, (std::vector<std::string>{"D:\\Musique\\café.wav", "D:\\Musique\\Lódz.wma"}));
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
    rig.p.st.programDir = dir.path();
    WriteBytes(dir / "Vireo.ini", kKey + " = " + music + "\r\n");
    LoadMusicFolder(rig.p);

    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 7 titres");
    EXPECT_EQ(rig.items(), (std::vector<std::string>{".hidden.mid", ".mp3", "Live.wma", "a.MP3", "b.Wav", "c.wma", "d.MID"}));
    EXPECT_EQ(rig.p.st.titleCount, 7);
    EXPECT_TRUE(rig.boxes.shown.empty());

    rig.controls[FolderPathField].text = dir / "gone/";
    ScanFolderIntoList(rig.p);
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, "Impossible d'examiner ce répertoire: " + dir.path() + "gone/");
    EXPECT_TRUE(rig.items().empty());
    EXPECT_EQ(rig.p.st.titleCount, 0);
}

}  // namespace
}  // namespace vireo
