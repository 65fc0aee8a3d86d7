#include "library/folder_choice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "library/folder_scan.h"
#include "tests/unit/library_fakes.h"
#include "tests/unit/posix_storage.h"

namespace vireo {
namespace {

using test::LibraryTempDir;
using test::PosixFiles;
using test::ReadBytes;
using test::WriteBytes;
using test::libfake::FakeListing;
using test::libfake::FakeRequester;
using test::libfake::LibraryRig;

const std::string kKey = "Répertoire";
const std::string kPrompt = "Sélectionnez le répertoire où se trouvent les musiques que vous voulez écouter :";

TEST(FolderRequesterPaths, InitialFolder) {
    const std::string a258(258, 'a');
    struct Case {
        std::string in, out;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"D:\\Musique\\", "D:\\Musique"},
        {"D:\\Musique", "D:\\Musique"},
        {"E:\\", "E:\\"},
        {"ab\\", "ab\\"},
        {"abc\\", "abc"},
        {"\\", "\\"},
        {std::string(300, 'x'), std::string(259, 'x')},
        {a258 + "\\", a258},                // 259 characters
        {a258 + "b\\", a258 + "b"},         // 260, cut to 259
        {a258 + "\\\\", a258},              // cut leaves one backslash, then it goes
    };
    for (const Case& c : cases) EXPECT_EQ(PrepareInitialFolder(c.in), c.out) << c.in.size();
}

TEST(FolderRequesterPaths, ChosenFolder) {
    struct Case {
        std::string in, out;
    };
    const std::vector<Case> cases = {
        {"", ""}, {"D:\\Musique", "D:\\Musique\\"}, {"E:\\", "E:\\"}, {"D:\\M\\", "D:\\M\\"},
        {"\\\\server\\share", "\\\\server\\share\\"}, {"D:\\a/", "D:\\a/\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(FinishChosenFolder(c.in), c.out) << c.in;
}

class FolderChoice : public ::testing::Test {
protected:
    LibraryTempDir dir;
    PosixFiles files;
    FakeListing listing;
    FakeRequester requester;
    LibraryRig rig{files, listing, requester};
    Player& p = rig.p;
    std::string ini = dir / "Vireo.ini";

    void SetUp() override {
        p.st.programDir = dir.path();
        listing.add("D:\\Musique\\*.*", {{"a.mp3", ""}, {"b.wav", ""}, {"c.jpg", ""}});
        listing.add("D:\\Ancien\\*.*", {{"old.mp3", ""}});
        listing.add("E:\\*.*", {{"root.wma", ""}});
    }
    // What the dispatcher does for the default-folder button.
    void userFolderButton() {
        ChooseDefaultFolder(p);
        LoadMusicFolder(p);
    }
};

TEST_F(FolderChoice, ChosenDefaultFolderIsStoredAndLoaded) {
    p.st.currentFolder = "D:\\Ancien\\";
    requester.answers = {"D:\\Musique"};
    userFolderButton();

    ASSERT_EQ(requester.calls.size(), 1u);
    EXPECT_EQ(requester.calls[0].first, kPrompt);
    EXPECT_EQ(requester.calls[0].second, "D:\\Ancien");
    std::string bytes = ReadBytes(ini);
    EXPECT_EQ(bytes, kKey + " = D:\\Musique\\\r\n");
    EXPECT_EQ(bytes.size(), 26u);
    EXPECT_EQ(p.st.currentFolder, "D:\\Musique\\");
    EXPECT_EQ(rig.controls[FolderPathField].text, "D:\\Musique\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 2 titres");
    EXPECT_EQ(rig.items(), (std::vector<std::string>{"a.mp3", "b.wav"}));
    EXPECT_TRUE(rig.boxes.shown.empty());
}

TEST_F(FolderChoice, ChoosingAgainRewritesTheFile) {
    WriteBytes(ini, "; mine\r\n" + kKey + " = D:\\Ancien\\\r\n[G]\r\nx=1\r\n");
    requester.answers = {"E:\\"};
    userFolderButton();
    EXPECT_EQ(ReadBytes(ini), kKey + " = E:\\\r\n");
    EXPECT_EQ(rig.controls[FolderPathField].text, "E:\\");
}

TEST_F(FolderChoice, CancelChangesNothing) {
    const std::string before = kKey + " = D:\\Ancien\\\r\n";
    WriteBytes(ini, before);
    struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, ini.c_str(), old, 0), 0);
    p.st.currentFolder = "D:\\Ancien\\";

    ChooseDefaultFolder(p);
    EXPECT_EQ(p.st.currentFolder, "D:\\Ancien\\");
    EXPECT_TRUE(files.calls.empty());
    EXPECT_TRUE(rig.boxes.shown.empty());

    LoadMusicFolder(p);
    EXPECT_EQ(ReadBytes(ini), before);
    struct stat st {};
    ASSERT_EQ(::stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(p.st.currentFolder, "D:\\Ancien\\");
    EXPECT_EQ(rig.items(), std::vector<std::string>{"old.mp3"});
}

TEST_F(FolderChoice, CancelWithoutAFileCreatesNone) {
    userFolderButton();
    EXPECT_FALSE(test::PathExists(ini));
    for (const auto& c : files.calls) EXPECT_EQ(c.creation, FileCreation::OpenExisting);
}

TEST_F(FolderChoice, CreateFailureShowsTheInformationBox) {
    files.refuse = [](const PosixFiles::Call& c) { return c.creation == FileCreation::CreateAlways; };
    requester.answers = {"D:\\Musique"};
    userFolderButton();

    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].title, "Erreur d'écriture");
    EXPECT_EQ(rig.boxes.shown[0].text, "Le fichier de configuration n'a pu être créé");
    EXPECT_EQ(rig.boxes.shown[0].flags, 0x40u);
    EXPECT_FALSE(test::PathExists(ini));
    // Without a file the chosen folder stays for this run.
    EXPECT_EQ(p.st.currentFolder, "D:\\Musique\\");
    EXPECT_EQ(rig.items(), (std::vector<std::string>{"a.mp3", "b.wav"}));
}

TEST_F(FolderChoice, UnreplaceableOlderFileWins) {
    const std::string older = kKey + " = D:\\Ancien\\\r\n";
    WriteBytes(ini, older);
    files.refuse = [](const PosixFiles::Call& c) { return c.creation == FileCreation::CreateAlways; };
    requester.answers = {"D:\\Musique"};
    userFolderButton();
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].flags, 0x40u);
    EXPECT_EQ(ReadBytes(ini), older);
    EXPECT_EQ(p.st.currentFolder, "D:\\Ancien\\");
    EXPECT_EQ(rig.controls[FolderPathField].text, "D:\\Ancien\\");
    EXPECT_EQ(rig.items(), std::vector<std::string>{"old.mp3"});
}

TEST_F(FolderChoice, BrowseShowsAndListsWithoutTouchingTheFile) {
    p.st.titleCount = 9;
    int countWhileOpen = -1;
    requester.whileOpen = [&] { countWhileOpen = p.st.titleCount; };
    requester.answers = {"E:\\", "D:\\Musique"};

    BrowseMusicFolder(p);
    EXPECT_EQ(countWhileOpen, 0);
    EXPECT_EQ(requester.calls[0].first, kPrompt);
    EXPECT_EQ(requester.calls[0].second, "");
    EXPECT_EQ(p.st.currentFolder, "E:\\");
    EXPECT_EQ(rig.controls[FolderPathField].text, "E:\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 1 titres");
    EXPECT_EQ(rig.items(), std::vector<std::string>{"root.wma"});
    EXPECT_EQ(p.st.titleCount, 1);

    BrowseMusicFolder(p);
    EXPECT_EQ(requester.calls[1].second, "E:\\");
    EXPECT_EQ(rig.items(), (std::vector<std::string>{"a.mp3", "b.wav"}));
    EXPECT_TRUE(files.calls.empty());
    EXPECT_FALSE(test::PathExists(ini));
}

TEST_F(FolderChoice, BrowseCancelRebuildsFromTheField) {
    requester.answers = {"D:\\Musique\\"};
    BrowseMusicFolder(p);
    rig.controls.log.clear();
    rig.controls[TitleCombo].state = 1;

    BrowseMusicFolder(p);  // cancelled
    EXPECT_EQ(p.st.currentFolder, "");
    EXPECT_EQ(rig.controls[FolderPathField].text, "D:\\Musique\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 2 titres");
    EXPECT_EQ(rig.items(), (std::vector<std::string>{"a.mp3", "b.wav"}));
    EXPECT_EQ(p.st.titleCount, 2);
    EXPECT_EQ(rig.controls[TitleCombo].state, 0);
    EXPECT_TRUE(files.calls.empty());

    BrowseMusicFolder(p);
    EXPECT_EQ(requester.calls[2].second, "");  // no preselection after a cancel
}

TEST_F(FolderChoice, BrowseOfAMissingFolderReportsIt) {
    requester.answers = {"Z:\\Parti"};
    BrowseMusicFolder(p);
    EXPECT_EQ(rig.controls[FolderPathField].text, "Z:\\Parti\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 0 titres");
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, "Impossible d'examiner ce répertoire: Z:\\Parti\\");
    EXPECT_EQ(p.st.titleCount, 0);
}

}  // namespace
}  // namespace vireo
