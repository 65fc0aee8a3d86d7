#include "library/folder_choice.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
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
    const std::u16string a258(258, u'a');
    const std::u16string clef = u"\U0001D11E";  // one character, two units
    struct Case {
        std::u16string in, out;
    };
    const std::vector<Case> cases = {
        {u"", u""},
        {u"D:\\Musique\\", u"D:\\Musique"},
        {u"D:\\Musique", u"D:\\Musique"},
        {u"E:\\", u"E:\\"},
        {u"ab\\", u"ab\\"},
        {u"abc\\", u"abc"},
        {u"\\", u"\\"},
        {std::u16string(300, u'x'), std::u16string(259, u'x')},
        {a258 + u"\\", a258},                // 259 characters
        {a258 + u"b\\", a258 + u"b"},         // 260, cut to 259
        {a258 + u"\\\\", a258},              // cut leaves one backslash, then it goes
        // Counted in characters of the platform, not bytes: 259 Cyrillic letters stay.
        {std::u16string(259, u'\u0416') + u"\\", std::u16string(259, u'\u0416')},
        // Never half of a pair: the cut falls before it.
        {a258 + clef + u"\\", a258},
        {u"D:\\" + clef + u"\\", u"D:\\" + clef},
    };
    for (const Case& c : cases) EXPECT_EQ(PrepareInitialFolder(c.in), c.out) << c.in.size();
}

TEST(FolderRequesterPaths, ChosenFolder) {
    struct Case {
        std::u16string in, out;
    };
    const std::vector<Case> cases = {
        {u"", u""}, {u"D:\\Musique", u"D:\\Musique\\"}, {u"E:\\", u"E:\\"}, {u"D:\\M\\", u"D:\\M\\"},
        {u"\\\\server\\share", u"\\\\server\\share\\"}, {u"D:\\a/", u"D:\\a/\\"},
        {u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430", u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\"},
        {std::u16string(260, u'\u00E9'), std::u16string(260, u'\u00E9') + u"\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(FinishChosenFolder(c.in), c.out) << c.in.size();
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
        p.st.programDir = dir.path16();
        listing.add(u"D:\\Musique\\*.*", {u"a.mp3", u"b.wav", u"c.jpg"});
        listing.add(u"D:\\Ancien\\*.*", {u"old.mp3"});
        listing.add(u"E:\\*.*", {u"root.wma"});
    }
    // What the dispatcher does for the default-folder button.
    void userFolderButton() {
        ChooseDefaultFolder(p);
        LoadMusicFolder(p);
    }
};

TEST_F(FolderChoice, ChosenDefaultFolderIsStoredAndLoaded) {
    p.st.currentFolder = u"D:\\Ancien\\";
    requester.answers = {u"D:\\Musique"};
    userFolderButton();

    ASSERT_EQ(requester.calls.size(), 1u);
    EXPECT_EQ(requester.calls[0].first, kPrompt);
    EXPECT_EQ(requester.calls[0].second, u"D:\\Ancien");
    std::string bytes = ReadBytes(ini);
    EXPECT_EQ(bytes, kKey + " = D:\\Musique\\\r\n");
    EXPECT_EQ(bytes.size(), 26u);
    EXPECT_EQ(p.st.currentFolder, u"D:\\Musique\\");
    EXPECT_EQ(rig.controls[FolderPathField].name, u"D:\\Musique\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 2 titres");
    EXPECT_EQ(rig.items(), (std::vector<std::u16string>{u"a.mp3", u"b.wav"}));
    EXPECT_TRUE(rig.boxes.shown.empty());
}

// A default folder the code page cannot spell is stored so that it reads
// back whole, and the next start lists it.
TEST_F(FolderChoice, DefaultFolderInAnyScript) {
    const std::u16string folder = u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\";
    listing.add(folder + u"*.*", {u"\u041F\u0435\u0441\u043D\u044F.wav", u"notes.txt"});
    requester.answers = {u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430"};
    userFolderButton();
    EXPECT_EQ(ReadBytes(ini), "\xEF\xBB\xBF\r\nR\xC3\xA9pertoire = " + ToUtf8(folder) + "\r\n");
    EXPECT_EQ(rig.controls[FolderPathField].name, folder);
    EXPECT_EQ(rig.items(), std::vector<std::u16string>{u"\u041F\u0435\u0441\u043D\u044F.wav"});

    FakeRequester none;
    LibraryRig next(files, listing, none);
    next.p.st.programDir = dir.path16();
    LoadMusicFolder(next.p);
    EXPECT_EQ(next.p.st.currentFolder, folder);
    EXPECT_EQ(next.controls[ContentLabel].text, " Contenu : 1 titres");
    EXPECT_EQ(next.items(), rig.items());
}

TEST_F(FolderChoice, ChoosingAgainRewritesTheFile) {
    WriteBytes(ini, "; mine\r\n" + kKey + " = D:\\Ancien\\\r\n[G]\r\nx=1\r\n");
    requester.answers = {u"E:\\"};
    userFolderButton();
    EXPECT_EQ(ReadBytes(ini), kKey + " = E:\\\r\n");
    EXPECT_EQ(rig.controls[FolderPathField].name, u"E:\\");
}

TEST_F(FolderChoice, CancelChangesNothing) {
    const std::string before = kKey + " = D:\\Ancien\\\r\n";
    WriteBytes(ini, before);
    struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, ini.c_str(), old, 0), 0);
    p.st.currentFolder = u"D:\\Ancien\\";

    ChooseDefaultFolder(p);
    EXPECT_EQ(p.st.currentFolder, u"D:\\Ancien\\");
    EXPECT_TRUE(files.calls.empty());
    EXPECT_TRUE(rig.boxes.shown.empty());

    LoadMusicFolder(p);
    EXPECT_EQ(ReadBytes(ini), before);
    struct stat st {};
    ASSERT_EQ(::stat(ini.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(p.st.currentFolder, u"D:\\Ancien\\");
    EXPECT_EQ(rig.items(), std::vector<std::u16string>{u"old.mp3"});
}

TEST_F(FolderChoice, CancelWithoutAFileCreatesNone) {
    userFolderButton();
    EXPECT_FALSE(test::PathExists(ini));
    for (const auto& c : files.calls) EXPECT_EQ(c.creation, FileCreation::OpenExisting);
}

TEST_F(FolderChoice, CreateFailureShowsTheInformationBox) {
    files.refuse = [](const PosixFiles::Call& c) { return c.creation == FileCreation::CreateAlways; };
    requester.answers = {u"D:\\Musique"};
    userFolderButton();

    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].title, "Erreur d'écriture");
    EXPECT_EQ(rig.boxes.shown[0].text, "Le fichier de configuration n'a pu être créé");
    EXPECT_EQ(rig.boxes.shown[0].flags, 0x40u);
    EXPECT_FALSE(test::PathExists(ini));
    // Without a file the chosen folder stays for this run.
    EXPECT_EQ(p.st.currentFolder, u"D:\\Musique\\");
    EXPECT_EQ(rig.items(), (std::vector<std::u16string>{u"a.mp3", u"b.wav"}));
}

// The ways a save can be refused, against what is left on disk and the box:
// another program's hold is waited out for about half a second; a read-only
// file and a folder that takes no new file are refused at once; a volume that
// cannot replace gets one plain rename. Whatever fails, the old bytes stay
// under the name the player reads and nothing is left beside them.
TEST_F(FolderChoice, SaveRefusals) {
    using R = ReplaceResult;
    enum Old { None, Plain, ReadOnly, NoNewFile, StaleBackup };
    struct Case {
        const char* name;
        Old old;
        int busy;  // tries that end as `first`
        R then;
        bool saved;
        int tries;
        R first = R::Busy;
        std::vector<const char*> stuck = {};  // of ".new" and ".old": files that cannot be renamed
    };
    const Case cases[] = {
        {"no old file: a rename", None, 0, R::Replaced, true, 1},
        {"held for a moment", Plain, 2, R::Replaced, true, 3},
        {"held until the last try", Plain, 5, R::Replaced, true, 6},
        {"held throughout", Plain, 6, R::Replaced, false, 6},
        {"refused after a hold", Plain, 1, R::Refused, false, 2},
        {"read-only", ReadOnly, 0, R::Replaced, false, 1},
        {"the folder takes no new file", NoNewFile, 0, R::Replaced, false, 0},
        {"a backup left by a save that broke off", StaleBackup, 0, R::Replaced, true, 1},
        {"a volume that cannot replace: renamed", Plain, 0, R::Unsupported, true, 1},
        {"nor rename", Plain, 0, R::Unsupported, false, 1, R::Busy, {".new"}},
        {"the old file put back after it was moved aside", Plain, 1, R::Replaced, true, 2, R::Displaced},
        {"the old file stuck aside: the new one takes its name", Plain, 1, R::Busy, true, 6, R::Displaced, {".old"}},
        {"moved aside at every try, and put back each time", Plain, 6, R::Busy, false, 6, R::Displaced},
    };
    const std::string older = kKey + " = D:\\Ancien\\\r\n";
    for (const Case& c : cases) {
        ::unlink(ini.c_str());
        ::unlink((ini + ".old").c_str());
        if (c.old != None) WriteBytes(ini, older);
        if (c.old == StaleBackup) WriteBytes(ini + ".old", "x");
        ::chmod(ini.c_str(), c.old == ReadOnly ? 0444 : 0644);
        files = PosixFiles();
        files.holder = [&c](int t) { return t < c.busy ? c.first : c.then; };
        files.refuse = [&c](const PosixFiles::Call& f) { return c.old == NoNewFile && f.creation == FileCreation::CreateAlways; };
        for (const char* suffix : c.stuck) files.stuck.push_back(ini + suffix);
        requester.answers.push_back(u"D:\\Musique");
        rig.boxes.shown.clear();
        userFolderButton();
        // A pause after each refused try but the last.
        EXPECT_EQ(files.waits, std::vector<unsigned>(size_t(std::max(c.tries - 1, 0)), 100u)) << c.name;
        EXPECT_EQ(files.replaceTries, c.tries) << c.name;
        EXPECT_EQ(rig.boxes.shown.size(), c.saved ? 0u : 1u) << c.name;
        EXPECT_EQ(ReadBytes(ini), c.saved ? kKey + " = D:\\Musique\\\r\n" : c.old != None ? older : "") << c.name;
        EXPECT_FALSE(test::PathExists(ini + ".new")) << c.name;
        EXPECT_FALSE(test::PathExists(ini + ".old")) << c.name;
    }
}

TEST_F(FolderChoice, BrowseShowsAndListsWithoutTouchingTheFile) {
    p.st.titleCount = 9;
    int countWhileOpen = -1;
    requester.whileOpen = [&] { countWhileOpen = p.st.titleCount; };
    requester.answers = {u"E:\\", u"D:\\Musique"};

    BrowseMusicFolder(p);
    EXPECT_EQ(countWhileOpen, 0);
    EXPECT_EQ(requester.calls[0].first, kPrompt);
    EXPECT_EQ(requester.calls[0].second, u"");
    EXPECT_EQ(p.st.currentFolder, u"E:\\");
    EXPECT_EQ(rig.controls[FolderPathField].name, u"E:\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 1 titres");
    EXPECT_EQ(rig.items(), std::vector<std::u16string>{u"root.wma"});
    EXPECT_EQ(p.st.titleCount, 1);

    BrowseMusicFolder(p);
    EXPECT_EQ(requester.calls[1].second, u"E:\\");
    EXPECT_EQ(rig.items(), (std::vector<std::u16string>{u"a.mp3", u"b.wav"}));
    EXPECT_TRUE(files.calls.empty());
    EXPECT_FALSE(test::PathExists(ini));
}

// Dropped on the strip, one after the other: the first folder or title of
// each drop is listed as SELECTION lists a folder, a title selected.
TEST_F(FolderChoice, DropsListAsSelectionDoes) {
    listing.add(u"D:\\x.mp3\\*.*", {});
    listing.directories = {u"D:\\Musique", u"D:\\x.mp3"};
    listing.existing = {u"D:\\Musique\\b.wav", u"D:\\Musique\\c.jpg"};
    const struct {
        std::vector<std::u16string> dropped;
        const char16_t* field;
        int selected;
    } drops[] = {
        {{u"D:\\Musique\\b.wav"}, u"D:\\Musique\\", 1},        // a title
        {{u"D:\\Musique\\c.jpg", u"E:\\"}, u"E:\\", 0},        // a picture, then a drive
        {{u"D:\\x.mp3"}, u"D:\\x.mp3\\", -1},                    // a folder named like a title
        {{u"D:\\Musique\\gone.mp3"}, u"D:\\x.mp3\\", -1},      // a title gone since: nothing
        {{u"D:\\Musique"}, u"D:\\Musique\\", 0},                 // a folder
    };
    for (const auto& d : drops) {
        ListDroppedFolder(p, d.dropped);
        EXPECT_EQ(rig.controls[FolderPathField].name, d.field) << ToUtf8(d.dropped[0]);
        EXPECT_EQ(rig.controls[TitleCombo].state, d.selected) << ToUtf8(d.dropped[0]);
    }
    EXPECT_TRUE(requester.calls.empty());
    EXPECT_FALSE(test::PathExists(ini));
}

TEST_F(FolderChoice, BrowseCancelRebuildsFromTheField) {
    requester.answers = {u"D:\\Musique\\"};
    BrowseMusicFolder(p);
    rig.controls.log.clear();
    rig.controls[TitleCombo].state = 1;

    BrowseMusicFolder(p);  // cancelled
    EXPECT_EQ(p.st.currentFolder, u"");
    EXPECT_EQ(rig.controls[FolderPathField].name, u"D:\\Musique\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 2 titres");
    EXPECT_EQ(rig.items(), (std::vector<std::u16string>{u"a.mp3", u"b.wav"}));
    EXPECT_EQ(p.st.titleCount, 2);
    EXPECT_EQ(rig.controls[TitleCombo].state, 0);
    EXPECT_TRUE(files.calls.empty());

    BrowseMusicFolder(p);
    EXPECT_EQ(requester.calls[2].second, u"");  // no preselection after a cancel
}

TEST_F(FolderChoice, BrowseOfAMissingFolderReportsIt) {
    requester.answers = {u"Z:\\Parti"};
    BrowseMusicFolder(p);
    EXPECT_EQ(rig.controls[FolderPathField].name, u"Z:\\Parti\\");
    EXPECT_EQ(rig.controls[ContentLabel].text, " Contenu : 0 titres");
    ASSERT_EQ(rig.boxes.shown.size(), 1u);
    EXPECT_EQ(rig.boxes.shown[0].text, "Impossible d'examiner ce répertoire: Z:\\Parti\\");
    EXPECT_EQ(p.st.titleCount, 0);
}

}  // namespace
}  // namespace vireo
