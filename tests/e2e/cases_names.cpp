// Names in any script on the real exe: titles and folders that Windows-1252
// cannot spell, look-alikes beside them, and a Vireo.ini as people save it.
// Wine invents a short name for every file, so a player that fell back on
// short names would pass here: these cases look at what the player shows and
// which file it opened (its own length), never at short names.
//
// Where Wine differs: its wave and MIDI drivers open files through mmioOpenW,
// which Wine turns into the code page with a best fit (dlls/winmm/mmio.c), so
// under Wine a .wav named "\u0141zy.wav" opens "Lzy.wav" and a Cyrillic one
// opens nothing, whatever the player asks. Windows' mmioOpenW takes the name
// as it is. The MPEG driver hands the wide name to DirectShow, here as there:
// so every name the code page cannot spell is an .mp3 here.
#include <windows.h>

#include <algorithm>
#include <map>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"

using namespace vireo::e2e;

namespace {

enum Id { PlayButton = 2, StopButton = 3, FolderPathField = 4, TitleCombo = 5, SelectFolderButton = 6,
          DurationDisplay = 8, PauseButton = 13, ResumeButton = 14, ContentLabel = 15, UserFolderButton = 16 };

const std::vector<int> kStateButtons = {PlayButton, PauseButton, ResumeButton, StopButton, SelectFolderButton};
const std::string kPlaying = "DEDED", kEnded = "EDDDE";

std::string countLabel(size_t n) { return " Contenu : " + std::to_string(n) + " titres"; }
std::string timeText(double seconds) { return format("0:%02d", static_cast<int>(seconds)); }

// As Notepad saves "UTF-16 LE" and "UTF-16 BE": the mark, then the units.
std::string utf16(const std::wstring& w, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t u : w) {
        const char lo = char(u & 0xFF), hi = char((u >> 8) & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

std::string utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

void expectNoBox(Player& p) {
    auto box = findBox(p.pid());
    check(!box, "no message box" + (box ? ": " + show(box->title) + " " + show(box->text) : std::string()));
}

// Selects a title, plays it and reads the length it shows; stops again.
std::string playedLength(Player& p, int index) {
    sendA(p.control(TitleCombo), CB_SETCURSEL, index);
    click(p.control(PlayButton));
    waitUntil([&] { return enabledStates(p.main(), kStateButtons) == kPlaying && text(p.control(DurationDisplay)) != "0:00."; },
              5000);
    std::string shown = text(p.control(DurationDisplay));
    click(p.control(StopButton));
    waitUntil([&] { return text(p.control(DurationDisplay)) == "0:00."; }, 5000);
    return shown;
}

struct Title {
    std::wstring name;
    double seconds;  // 1.2 or 3.2: the two tones made as .mp3 files
};

// A title of that length under that name: an .mp3 tone, or a .wav one.
void placeTitle(const std::wstring& path, double seconds) {
    if (path.size() > 4 && path.substr(path.size() - 4) == L".wav") return writeWavW(path, seconds);
    const std::string tone = fixtureFile(seconds < 2 ? "tone-1.2s.mp3" : "tone-3.2s.mp3");
    require(!tone.empty() && exists(tone), "the .mp3 tones made by wine-env.sh (lame) are there");
    require(CopyFileW(widen(tone).c_str(), path.c_str(), FALSE) != FALSE, "copied as " + show(path));
}

}  // namespace

// Each title listed as the disk spells it and playing its own file: look-alikes
// of different lengths sit beside the names a best fit would turn into them.
VIREO_E2E_CASE(names_titles_any_script) {
    // Wine's wave driver spells the name in the system's code page (above):
    // where that one is not 1252, the title 1252 spells is an .mp3 too.
    const bool cp1252 = GetACP() == 1252;
    const std::vector<Title> titles = {
        {cp1252 ? L"\u00C9t\u00E9 indien.wav" : L"\u00C9t\u00E9 indien.mp3", cp1252 ? 2.2 : 3.2},  // 1252 spells it
        {L"\u0141zy.mp3", 3.2},                     // best fit: "Lzy.mp3"
        {L"Lzy.mp3", 1.2},
        {L"Dvo\u0159\u00E1k.mp3", 3.2},             // best fit: "Dvor\u00E1k.mp3"
        {L"Dvor\u00E1k.mp3", 1.2},
        {L"\u041F\u0435\u0441\u043D\u044F.mp3", 1.2},  // Cyrillic
        {L"\u6D99.mp3", 3.2},                       // Japanese: "?.mp3" through the code page
        {L"\U0001F3B5 note.mp3", 1.2},              // outside the BMP: a surrogate pair
    };
    Scratch scratch;
    const std::string music = scratch.folder("Musique");
    std::map<std::wstring, double> length;
    for (const Title& t : titles) {
        placeTitle(widen(music) + t.name, t.seconds);
        length[t.name] = t.seconds;
    }
    scratch.writeIni(preferencesLine(music));
    Player p(scratch.exe(), scratch.folder("cwd"));
    require(p.waitWindows(), "both windows are visible");
    expectNoBox(p);
    checkEq(countLabel(titles.size()), text(p.control(ContentLabel)), "ContentLabel");
    const std::vector<std::wstring> items = comboItemsW(p.control(TitleCombo));
    const std::vector<std::wstring> listed = musicEntriesW(widen(music));
    require(checkEq(static_cast<int64_t>(titles.size()), static_cast<int64_t>(items.size()), "titles listed"),
            "every title is listed");
    for (size_t i = 0; i < items.size(); ++i) checkEq(listed[i], items[i], format("title %zu as the disk spells it", i));

    if (mpegPlaysBroken()) {
        noteMpegLeftOut("the .mp3 titles are listed, not played, here");
        p.closeAndCheck();
        return;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        checkEq(timeText(length[items[i]]), playedLength(p, static_cast<int>(i)),
                "Play opens its own file: the length of " + show(items[i]));
        expectNoBox(p);
    }

    // A "Tout lire" run through them all: each title shows its own length.
    sendA(p.control(TitleCombo), CB_SETCURSEL, 0);
    click(p.control(PlayButton));
    std::map<int, std::string> shown;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 90000) {
        // Each read is answered between two passes of the player's loop, and
        // one pass may close a title and start the next: a sample counts only
        // when the length reads the same before and after the selection.
        const std::string before = text(p.control(DurationDisplay));
        const int selected = comboSelection(p.control(TitleCombo));
        const std::string states = enabledStates(p.main(), kStateButtons);
        if (states == kPlaying && selected >= 0 && text(p.control(DurationDisplay)) == before) shown[selected] = before;
        if (states == kEnded && selected == static_cast<int>(items.size()) - 1) break;
        Sleep(20);
    }
    checkEq(kEnded, enabledStates(p.main(), kStateButtons), "the run ends on the last title");
    for (size_t i = 0; i < items.size(); ++i) {
        auto it = shown.find(static_cast<int>(i));
        checkEq(timeText(length[items[i]]), it == shown.end() ? "<not seen playing>" : it->second,
                "in the run, the length of " + show(items[i]));
    }
    expectNoBox(p);
    p.closeAndCheck();
}

// A folder Windows-1252 cannot spell, chosen with each folder button: shown,
// listed and played; as the default folder it is written to Vireo.ini in UTF-8
// with a mark and loaded again at the next start.
VIREO_E2E_CASE(names_folder_any_script) {
    const std::wstring folder = L"C:\\\u041C\u0443\u0437\u044B\u043A\u0430";  // top-level: Wine's browser selects those
    const std::wstring shownFolder = folder + L"\\";
    Cleanup gone{[folder] { wipeTreeW(folder); }};
    wipeTreeW(folder);
    require(CreateDirectoryW(folder.c_str(), nullptr) != FALSE, "the Cyrillic folder is made");
    placeTitle(folder + L"\\\u041F\u0435\u0441\u043D\u044F.mp3", 3.2);
    placeTitle(folder + L"\\Chanson.mp3", 1.2);
    Scratch scratch;
    const std::vector<std::wstring> listed = musicEntriesW(folder);

    struct Button {
        int id;
        const char* name;
        bool stores;
    };
    for (const Button& b : {Button{SelectFolderButton, "SELECTION", false}, Button{UserFolderButton, "USER", true}}) {
        Player p(scratch.exe(), scratch.folder("cwd"));
        require(p.waitWindows(), "both windows are visible");
        click(p.control(b.id));
        HWND browser = waitBrowser(p.pid(), 10000);
        require(browser != nullptr, std::string(b.name) + ": the folder browser opens");
        check(browserSelect(p.process(), browser, folder), std::string(b.name) + ": the folder selected in the browser");
        check(pressDialogButton(browser, IDOK), std::string(b.name) + ": OK closes the browser");
        waitUntil([&] { return textW(p.control(FolderPathField)) == shownFolder; }, 5000);
        require(p.settle(), "the player is back in its loop");
        expectNoBox(p);
        checkEq(shownFolder, textW(p.control(FolderPathField)), std::string(b.name) + ": FolderPathField");
        checkEq(countLabel(2), text(p.control(ContentLabel)), std::string(b.name) + ": ContentLabel");
        const auto items = comboItemsW(p.control(TitleCombo));
        check(items == listed, std::string(b.name) + ": the titles as the disk spells them");
        if (mpegPlaysBroken())
            noteMpegLeftOut(std::string(b.name) + ": the .mp3 titles are listed, not played, here");
        else
            for (size_t i = 0; i < items.size(); ++i)
                checkEq(items[i] == L"Chanson.mp3" ? "0:01" : "0:03", playedLength(p, static_cast<int>(i)),
                        std::string(b.name) + ": plays " + show(items[i]));
        expectNoBox(p);
        if (b.stores) {
            checkEq("\xEF\xBB\xBF\r\nR\xC3\xA9pertoire = " + utf8(shownFolder) + "\r\n",
                    readFile(scratch.ini()).value_or("<missing>"), "Vireo.ini in UTF-8 with a mark");
        } else {
            check(!exists(scratch.ini()), "SELECTION writes no Vireo.ini");
        }
        p.closeAndCheck();
    }

    Player again(scratch.exe(), scratch.folder("cwd"));
    require(again.waitWindows(), "both windows are visible at the next start");
    expectNoBox(again);
    checkEq(shownFolder, textW(again.control(FolderPathField)), "the default folder at the next start");
    check(comboItemsW(again.control(TitleCombo)) == listed, "its titles at the next start");

    // Typed on a keyboard of its script: each character reaches the field as
    // it is, and SELECTION cancelled lists the folder typed.
    sendW(again.control(FolderPathField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    require(clickIn(again.control(FolderPathField)), "the pointer over the path field");
    require(waitUntil([&] { return focusOf(again.main()) == again.control(FolderPathField); }, 3000),
            "the click focuses the path field");
    typeText(folder);
    waitUntil([&] { return textW(again.control(FolderPathField)).size() >= folder.size(); }, 5000);
    checkEq(folder, textW(again.control(FolderPathField)), "the folder typed");
    click(again.control(SelectFolderButton));
    HWND browser = waitBrowser(again.pid(), 10000);
    require(browser != nullptr, "the folder browser opens");
    check(pressDialogButton(browser, IDCANCEL), "Cancel closes the browser");
    // It was listed again once the field has its backslash.
    waitUntil([&] { return textW(again.control(FolderPathField)) == shownFolder; }, 5000);
    checkEq(shownFolder, textW(again.control(FolderPathField)), "the typed folder gains its backslash");
    check(comboItemsW(again.control(TitleCombo)) == listed, "the typed folder's titles as the disk spells them");
    again.closeAndCheck();
}

// Vireo.ini as people write it: in Windows-1252, in UTF-8 with and without a
// mark, in UTF-16 of either byte order, without the final backslash, in
// quotes; and beside an exe whose own folder the code page cannot spell.
VIREO_E2E_CASE(names_ini_as_written) {
    Scratch scratch;
    const std::string french = scratch.folder("Mus\xE9" "e");
    writeWav(french + "Un.wav", 1.2);
    writeWav(french + "Deux.wav", 1.2);
    const std::wstring cyrillic = widen(scratch.dir()) + L"\u041C\u0443\u0437\u044B\u043A\u0430\\";
    require(CreateDirectoryW(cyrillic.c_str(), nullptr) != FALSE, "the Cyrillic folder is made");
    placeTitle(cyrillic + L"\u041F\u0435\u0441\u043D\u044F.mp3", 1.2);
    const std::string bom = "\xEF\xBB\xBF", key = "R\xE9pertoire", keyUtf8 = "R\xC3\xA9pertoire";
    const std::string frenchUtf8 = utf8(widen(french));
    const std::wstring programDir = widen(scratch.dir()) + L"\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0430\\";
    require(CreateDirectoryW(programDir.c_str(), nullptr) != FALSE, "a program folder in Cyrillic");
    require(CopyFileW(widen(scratch.exe()).c_str(), (programDir + L"Vireo.exe").c_str(), FALSE) != FALSE,
            "the exe copied there");

    struct Case {
        const char* name;
        std::string ini;
        std::wstring folder;
        size_t titles;
        bool cyrillicProgram = false;
    };
    const std::vector<Case> cases = {
        {"Windows-1252, French", key + " = " + french + "\r\n", widen(french), 2},
        {"UTF-8 with a mark, French", bom + keyUtf8 + " = " + frenchUtf8 + "\r\n", widen(french), 2},
        {"UTF-8 without a mark, French (Notepad)", keyUtf8 + " = " + frenchUtf8 + "\r\n", widen(french), 2},
        {"UTF-8 with a mark, Cyrillic", bom + keyUtf8 + " = " + utf8(cyrillic) + "\r\n", cyrillic, 1},
        {"UTF-8 without a mark, Cyrillic (Notepad)", keyUtf8 + " = " + utf8(cyrillic), cyrillic, 1},
        {"without the final backslash", key + " = " + french.substr(0, french.size() - 1) + "\r\n", widen(french), 2},
        {"in quotes", key + " = \"" + french + "\"\r\n", widen(french), 2},
        {"beside an exe in a Cyrillic folder", bom + keyUtf8 + " = " + utf8(cyrillic) + "\r\n", cyrillic, 1, true},
        {"UTF-16 LE, Cyrillic (Notepad)", utf16(L"R\u00E9pertoire = " + cyrillic + L"\r\n", false), cyrillic, 1},
        {"UTF-16 BE, French (Notepad)", utf16(L"R\u00E9pertoire = " + widen(french) + L"\r\n", true), widen(french), 2},
    };
    for (const Case& c : cases) {
        const std::wstring ini = (c.cyrillicProgram ? programDir : widen(scratch.dir())) + L"Vireo.ini";
        {
            HANDLE h = CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(h, c.ini.data(), static_cast<DWORD>(c.ini.size()), &written, nullptr);
            CloseHandle(h);
        }
        std::unique_ptr<Player> p =
            c.cyrillicProgram ? std::make_unique<Player>(programDir + L"Vireo.exe", widen(scratch.folder("cwd")))
                              : std::make_unique<Player>(scratch.exe(), scratch.folder("cwd"));
        require(p->waitWindows(), std::string(c.name) + ": both windows are visible");
        expectNoBox(*p);
        checkEq(c.folder, textW(p->control(FolderPathField)), std::string(c.name) + ": FolderPathField");
        checkEq(countLabel(c.titles), text(p->control(ContentLabel)), std::string(c.name) + ": ContentLabel");
        check(comboItemsW(p->control(TitleCombo)) == musicEntriesW(c.folder), std::string(c.name) + ": the titles listed");
        if (c.folder != cyrillic || !mpegPlaysBroken())  // an .mp3 (tests/e2e/probe.h)
            checkEq("0:01", playedLength(*p, 0), std::string(c.name) + ": the first title plays");
        p->closeAndCheck();
        HANDLE h = CreateFileW(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        std::string bytes(c.ini.size() + 16, '\0');
        DWORD got = 0;
        ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
        CloseHandle(h);
        bytes.resize(got);
        checkEq(c.ini, bytes, std::string(c.name) + ": Vireo.ini unchanged");
    }
}
