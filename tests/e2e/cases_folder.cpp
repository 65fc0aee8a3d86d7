// The music folder: what is listed at start, the default folder chosen in the
// shell's browser and the preferences file written.
#include <algorithm>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"

using namespace vireo::e2e;

namespace {

enum Id { PlayButton = 2, StopButton = 3, FolderPathField = 4, TitleCombo = 5, SelectFolderButton = 6,
          DurationDisplay = 8, PauseButton = 13, ResumeButton = 14, ContentLabel = 15, UserFolderButton = 16 };

const char* const kInstruction =
    "Sélectionnez le répertoire où se trouvent les musiques que vous voulez écouter :";

std::string joined(const std::vector<std::string>& items) {
    std::string s;
    for (const auto& i : items) s += (s.empty() ? "" : " | ") + i;
    return s;
}

std::string countLabel(size_t n) { return " Contenu : " + std::to_string(n) + " titres"; }

// The list as the player shows it equals the folder's music entries in listing order.
void expectListed(Player& p, const std::string& folder, const std::string& what) {
    auto want = musicEntries(folder);
    checkEq(joined(want), joined(comboItems(p.control(TitleCombo))), what + ": titles in listing order");
    checkEq(want.empty() ? -1 : 0, comboSelection(p.control(TitleCombo)), what + ": selection");
}

void expectIdleAfterScan(Player& p) {
    check(IsWindowEnabled(p.control(PlayButton)), "PlayButton enabled");
    check(IsWindowEnabled(p.control(TitleCombo)), "TitleCombo enabled");
    check(!IsWindowEnabled(p.control(StopButton)) && !IsWindowEnabled(p.control(PauseButton)) &&
              !IsWindowEnabled(p.control(ResumeButton)),
          "StopButton, PauseButton and ResumeButton disabled");
}

void expectNoBox(Player& p) {
    auto box = findBox(p.pid());
    check(!box, "no message box" + (box ? ": " + show(box->title) + " " + show(box->text) : std::string()));
}

// C:\Musique\ (a top-level folder: Wine's browser selects only those by path) with three titles.
struct TopLevelMusic {
    std::string dir = "C:\\Musique\\";
    Cleanup gone{[d = dir] { wipeTreeQuiet(d); }};
    TopLevelMusic() {
        wipeTree(dir);
        makeDirs("C:\\Musique");
        writeWav(dir + "Premier.wav", 1.5);
        writeWav(dir + "Deuxième.wav", 1.5);
        writeWav(dir + "Troisième.wav", 3.2);
        writeFile(dir + "pochette.jpg", "not a picture");
    }
    static void wipeTreeQuiet(const std::string& d) {
        try {
            wipeTree(d);
        } catch (...) {
        }
    }
};

// Clicks a folder button and returns the browser it opens.
HWND openBrowser(Player& p, int button) {
    click(p.control(button));
    HWND browser = waitBrowser(p.pid(), 10000);
    require(browser != nullptr, "the folder browser opens");
    bool found = false;
    for (const auto& t : staticTexts(browser)) found = found || t == kInstruction;
    check(found, "the browser shows the instruction " + show(kInstruction));
    return browser;
}

}  // namespace

VIREO_E2E_CASE(folder_first_start) {
    Scratch scratch;
    std::string cwd = scratch.folder("cwd");
    writeWav(cwd + "b.wav", 1.5);
    writeWav(cwd + "A.MP3", 1.5);
    writeWav(cwd + "c.Wav", 1.5);
    writeFile(cwd + "notes.txt", "x");
    Player p(scratch.exe(), cwd);
    require(p.waitWindows(), "both windows are visible");
    expectNoBox(p);
    checkEq("", text(p.control(FolderPathField)), "FolderPathField");
    checkEq(" Contenu : Vide", text(p.control(ContentLabel)), "ContentLabel");
    expectListed(p, cwd, "current directory");
    checkEq(3, static_cast<int64_t>(comboItems(p.control(TitleCombo)).size()), "title count");
    expectIdleAfterScan(p);
    p.closeAndCheck();
    check(!exists(scratch.ini()), "no preferences file written");
}

VIREO_E2E_CASE(folder_missing) {
    Scratch scratch;
    std::string gone = scratch.dir() + "Ancien répertoire\\";
    scratch.writeIni(preferencesLine(gone));
    Player p(scratch.exe(), scratch.folder("cwd"));
    auto box = waitBox(p.pid(), 10000);
    require(box.has_value(), "a message box appears");
    checkEq("Erreur", box->title, "box title");
    checkEq("Impossible d'examiner ce répertoire: " + gone, box->text, "box text");
    check(box->icon == nullptr, "the box has no icon");
    p.findWindows();
    if (p.main()) {
        checkEq(gone, text(p.control(FolderPathField)), "FolderPathField while the box is open");
        checkEq(countLabel(0), text(p.control(ContentLabel)), "ContentLabel while the box is open");
    }
    check(pressDialogButton(box->hwnd, IDOK), "OK closes the box");
    require(p.waitWindows(), "both windows are visible after the box");
    require(p.settle(), "the player is back in its loop");
    expectNoBox(p);
    checkEq(gone, text(p.control(FolderPathField)), "FolderPathField");
    checkEq(countLabel(0), text(p.control(ContentLabel)), "ContentLabel");
    checkEq(0, static_cast<int64_t>(comboItems(p.control(TitleCombo)).size()), "title count");
    checkEq(-1, comboSelection(p.control(TitleCombo)), "selection");
    check(!IsWindowEnabled(p.control(PlayButton)), "PlayButton stays disabled");
    check(!IsWindowEnabled(p.control(StopButton)), "StopButton stays disabled");
    p.closeAndCheck();
}

VIREO_E2E_CASE(folder_twelve_titles) {
    Scratch scratch;
    std::string music = scratch.folder("Musique");
    const char* titles[] = {"01 Intro.wav", "02 Été indien.wav", "03 Song.WAV", "b.Wav",       "a.MP3",  "x.mid",
                            "y.wma",        ".mp3",              "Track 9.wav", "Track 10.wav", "zz.wav", "Nocturne op. 9.wav"};
    const char* others[] = {"x.mp3.txt", "x.mpeg", "pochette.jpg", "wav", "notes.txt"};
    for (const char* t : titles) writeWav(music + t, 1.5);
    for (const char* o : others) writeFile(music + o, "other");
    scratch.writeIni(preferencesLine(music));
    Player p(scratch.exe(), scratch.folder("cwd"));
    require(p.waitWindows(), "both windows are visible");
    expectNoBox(p);
    checkEq(music, text(p.control(FolderPathField)), "FolderPathField");
    checkEq(countLabel(12), text(p.control(ContentLabel)), "ContentLabel");
    auto items = comboItems(p.control(TitleCombo));
    checkEq(12, static_cast<int64_t>(items.size()), "title count");
    for (const char* t : titles)
        check(std::find(items.begin(), items.end(), std::string(t)) != items.end(), "listed: " + show(t));
    expectListed(p, music, "stored folder");
    checkEq(items.empty() ? "" : items[0], text(p.control(TitleCombo)), "TitleCombo shows the first title");
    expectIdleAfterScan(p);
    p.closeAndCheck();
}

VIREO_E2E_CASE(folder_subfolder_listed) {
    Scratch scratch;
    std::string music = scratch.folder("Musique");
    makeDirs(music + "Live.wma");
    makeDirs(music + "Archives");
    writeWav(music + "Studio.wav", 1.5);
    scratch.writeIni(preferencesLine(music));
    Player p(scratch.exe(), scratch.folder("cwd"));
    require(p.waitWindows(), "both windows are visible");
    expectNoBox(p);
    checkEq(countLabel(2), text(p.control(ContentLabel)), "ContentLabel counts the sub-folder");
    auto items = comboItems(p.control(TitleCombo));
    check(std::find(items.begin(), items.end(), "Live.wma") != items.end(), "the sub-folder Live.wma is listed");
    check(std::find(items.begin(), items.end(), "Archives") == items.end(), "the sub-folder Archives is not");
    expectListed(p, music, "stored folder");
    p.closeAndCheck();
}

// The default folder chosen in the browser is written as the one line of the
// preferences file, listed at once, and loaded again at the next start.
VIREO_E2E_CASE(choose_default_folder) {
    Scratch scratch;
    TopLevelMusic top;
    std::string old = scratch.folder("Ancien");
    writeWav(old + "Vieux.wav", 1.5);
    scratch.writeIni(preferencesLine(old));
    {
        Player p(scratch.exe(), scratch.folder("cwd"));
        require(p.waitWindows(), "both windows are visible");
        checkEq(old, text(p.control(FolderPathField)), "FolderPathField before");
        HWND browser = openBrowser(p, UserFolderButton);
        check(browserSelect(p.process(), browser, L"C:\\Musique"), "C:\\Musique selected in the browser");
        checkEq("Musique", browserSelectedLabel(p.process(), browser), "selected item");
        check(pressDialogButton(browser, IDOK), "OK closes the browser");
        // The field is written first, then the label, then the list is filled.
        waitUntil([&] { return text(p.control(FolderPathField)) == top.dir; }, 5000);
        require(p.settle(), "the player is back in its loop");
        expectNoBox(p);
        auto bytes = readFile(scratch.ini()).value_or("<missing>");
        checkEq(preferencesLine(top.dir), bytes, "preferences file");
        checkEq(26, static_cast<int64_t>(bytes.size()), "preferences file size");
        checkEq(top.dir, text(p.control(FolderPathField)), "FolderPathField");
        checkEq(countLabel(3), text(p.control(ContentLabel)), "ContentLabel");
        expectListed(p, top.dir, "chosen folder");
        expectIdleAfterScan(p);
        p.closeAndCheck();
    }
    Player again(scratch.exe(), scratch.folder("cwd"));
    require(again.waitWindows(), "both windows are visible at the next start");
    checkEq(top.dir, text(again.control(FolderPathField)), "FolderPathField at the next start");
    expectListed(again, top.dir, "next start");
    again.closeAndCheck();
}

// The browser opens on the stored folder by itself; OK rewrites the hand-edited
// file in the player's own form.
VIREO_E2E_CASE(choose_default_initial_selection) {
    Scratch scratch;
    TopLevelMusic top;
    scratch.writeIni("répertoire=C:\\Musique\\\n");
    Player p(scratch.exe(), scratch.folder("cwd"));
    require(p.waitWindows(), "both windows are visible");
    checkEq(top.dir, text(p.control(FolderPathField)), "FolderPathField from the hand-edited file");
    HWND browser = openBrowser(p, UserFolderButton);
    waitUntil([&] { return browserSelectedLabel(p.process(), browser) == "Musique"; }, 3000);
    checkEq("Musique", browserSelectedLabel(p.process(), browser), "the browser preselects the stored folder");
    check(pressDialogButton(browser, IDOK), "OK closes the browser");
    waitUntil([&] { return readFile(scratch.ini()).value_or("") == preferencesLine(top.dir); }, 5000);
    require(p.settle(), "the player is back in its loop");
    auto bytes = readFile(scratch.ini()).value_or("<missing>");
    checkEq(preferencesLine(top.dir), bytes, "preferences file rewritten");
    checkEq(26, static_cast<int64_t>(bytes.size()), "preferences file size");
    expectListed(p, top.dir, "stored folder");
    p.closeAndCheck();
}

// Cancelling the browser keeps the stored default folder: same bytes, same time;
// and what SELECTION chose for this run stays on screen.
VIREO_E2E_CASE(choose_default_cancel) {
    Scratch scratch;
    TopLevelMusic top;
    std::string old = scratch.folder("Ancien");
    writeWav(old + "Vieux.wav", 1.5);
    writeWav(old + "Vieux 2.wav", 1.5);
    scratch.writeIni(preferencesLine(old));
    auto before = modificationTime(scratch.ini());
    sleepMs(1100);  // a rewrite would now show in the modification time
    Player p(scratch.exe(), scratch.folder("cwd"));
    require(p.waitWindows(), "both windows are visible");
    HWND browser = openBrowser(p, SelectFolderButton);
    check(browserSelect(p.process(), browser, L"C:\\Musique"), "C:\\Musique selected in the browser");
    check(pressDialogButton(browser, IDOK), "OK closes the browser");
    waitUntil([&] { return comboItems(p.control(TitleCombo)).size() == 3; }, 5000);
    require(p.settle(), "the player is back in its loop");
    sendA(p.control(TitleCombo), CB_SETCURSEL, 2);
    browser = openBrowser(p, UserFolderButton);
    check(pressDialogButton(browser, IDCANCEL), "Cancel closes the browser");
    require(p.settle(), "the player is back in its loop");
    expectNoBox(p);
    checkEq(preferencesLine(old), readFile(scratch.ini()).value_or("<missing>"), "preferences file bytes");
    auto after = modificationTime(scratch.ini());
    check(before && after && sameTime(*before, *after), "preferences file modification time unchanged");
    checkEq(top.dir, text(p.control(FolderPathField)), "FolderPathField keeps the folder SELECTION chose");
    checkEq(countLabel(3), text(p.control(ContentLabel)), "ContentLabel");
    checkEq(joined(musicEntries(top.dir)), joined(comboItems(p.control(TitleCombo))), "the titles it listed");
    checkEq(2, comboSelection(p.control(TitleCombo)), "the selection");
    p.closeAndCheck();
}

// A read-only preferences file cannot be replaced: the information box, and the
// older folder read back from the file stays listed.
VIREO_E2E_CASE(choose_default_readonly_ini) {
    Scratch scratch;
    TopLevelMusic top;
    std::string old = scratch.folder("Ancien");
    writeWav(old + "Vieux.wav", 1.5);
    scratch.writeIni(preferencesLine(old));
    require(SetFileAttributesA(scratch.ini().c_str(), FILE_ATTRIBUTE_READONLY), "preferences file made read-only");
    // Wine keeps the read-only attribute in the Unix permissions, which root (as on
    // the CI machines) ignores; a reader that shares only reading makes the file just
    // as impossible to replace, and still readable, on every machine.
    HANDLE reader = CreateFileA(scratch.ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    require(reader != INVALID_HANDLE_VALUE, "preferences file held open for reading");
    Cleanup closeReader{[reader] { CloseHandle(reader); }};
    Player p(scratch.exe(), scratch.folder("cwd"));
    require(p.waitWindows(), "both windows are visible");
    HWND browser = openBrowser(p, UserFolderButton);
    check(browserSelect(p.process(), browser, L"C:\\Musique"), "C:\\Musique selected in the browser");
    check(pressDialogButton(browser, IDOK), "OK closes the browser");
    auto box = waitBox(p.pid(), 5000);
    if (check(box.has_value(), "a message box appears")) {
        checkEq("Erreur d'écriture", box->title, "box title");
        checkEq("Le fichier de configuration n'a pu être créé", box->text, "box text");
        if (check(box->icon != nullptr, "the box shows an icon")) {
            IconColour colour = waitIconColour(box->icon, IconColour::Blue, caseName());
            check(colour == IconColour::Blue,
                  std::string("the icon is the information icon (blue), seen as ") + iconColourName(colour));
        }
        check(pressDialogButton(box->hwnd, IDOK), "OK closes the box");
    }
    require(p.settle(), "the player is back in its loop");
    checkEq(preferencesLine(old), readFile(scratch.ini()).value_or("<missing>"), "preferences file unchanged");
    check(!exists(scratch.ini() + ".new"), "no file left beside it");
    checkEq(old, text(p.control(FolderPathField)), "FolderPathField shows the older folder");
    checkEq(countLabel(1), text(p.control(ContentLabel)), "ContentLabel");
    expectListed(p, old, "older folder");
    p.closeAndCheck();
}

// Vireo.ini saved while another program holds it open: an indexer or sync
// client, sharing deletion, throughout; an editor, not sharing it, until the
// save is under way. No box, the new line, nothing left beside it. (Windows
// also keeps a hidden attribute through the replace; Wine does not.)
VIREO_E2E_CASE(choose_default_held_ini) {
    Scratch scratch;
    TopLevelMusic top;
    const std::string old = scratch.folder("Ancien"), ini = scratch.ini();
    Player p(scratch.exe(), scratch.folder("cwd"));
    require(p.waitWindows(), "both windows are visible");
    for (DWORD share : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}, DWORD{FILE_SHARE_READ}}) {
        const std::string who = share == FILE_SHARE_READ ? "an editor: " : "an indexer: ";
        scratch.writeIni(preferencesLine(old));
        HANDLE held = CreateFileA(ini.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        require(held != INVALID_HANDLE_VALUE, who + "Vireo.ini held open");
        Cleanup letGo{[held] { CloseHandle(held); }};
        HWND browser = openBrowser(p, UserFolderButton);
        check(browserSelect(p.process(), browser, L"C:\\Musique"), who + "C:\\Musique selected in the browser");
        check(pressDialogButton(browser, IDOK), who + "OK closes the browser");
        if (share == FILE_SHARE_READ) {
            check(waitUntil([&] { return exists(ini + ".new"); }, 5000), who + "the new file is written beside");
            letGo.run();
        }
        const bool saved = waitUntil([&] { return readFile(ini).value_or("") == preferencesLine(top.dir); }, 5000);
        require(p.settle(), who + "the player is back in its loop");
        expectNoBox(p);
        check(saved, who + "Vireo.ini holds the new folder, read as " + show(readFile(ini).value_or("<missing>")));
        letGo.run();
        check(!exists(ini + ".new") && !exists(ini + ".old"), who + "nothing left beside it");
        expectListed(p, top.dir, who + "the new folder");
    }
    p.closeAndCheck();
}
