// What each control does on the real exe: Help and About, the transport from
// the user's side, closing and minimising, the volume mixer and the web page,
// the title list, the mode check boxes and the folder button.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"
#include "tests/e2e/strip.h"

using namespace vireo::e2e;

namespace {

enum Id { PlayButton = 2, StopButton = 3, FolderPathField = 4, TitleCombo = 5, SelectFolderButton = 6,
          ElapsedDisplay = 7, DurationDisplay = 8, CountDisplay = 9, PlayAllCheck = 11, ContinuousCheck = 12,
          PauseButton = 13, ResumeButton = 14, ContentLabel = 15, UserFolderButton = 16, AboutButton = 17,
          HelpButton = 18, CloseButton = 19, MinimizeButton = 20, WebButton = 21, VolumeButton = 23 };

const std::string kReady = "EDDDEE";
const std::string kPlaying = "DEDEDD";
const std::string kPaused = "DDEEDD";
const std::string kEnded = "EDDDED";

const char* const kHelpText =
    "VIREO Version 1.2.06.11\r\r"
    "USER -> Pour présélectionner un dossier contenant la musique préférée de l'utilisateur. Celui-ci sera alors "
    "automatiquement sélectionné au démarrage du programme.\r"
    "SELECTION -> permet de naviguer sur le système de l'utilisateur et de choisir un dossier contenant la musique à "
    "écouter.\r\r"
    "Le nombre de morceaux de musique contenu dans le dossier sélectionné est affiché à droite du bouton.\r\r"
    "Les titres sont listés dans une combobox permettant de choisir l'un ou l'autre.\r\r"
    "Deux options de lecture : \r"
    "- Tout lire. La case est cochée par défaut et la lecture commence au premier titre listé jusqu'au dernier, les "
    "uns après les autres. La lecture s'arrête à l'issue.\r"
    "- Lecture continue. Si cette case est cochée, une fois que tous les titres contenus dans le dossier ont été lus, "
    "la lecture recommence depuis le premier titre, et ainsi de suite.\r\r"
    "PLAY -> permet de lancer la lecture du titre sélectionné.\r"
    "PAUSE -> interrompt la lecture en cours qui reste en attente.\r"
    "REPRENDRE -> redémarre la lecture là où elle avait été interrompue par le bouton PAUSE.\r"
    "STOP -> arrête la lecture en cours et remet le morceau de musique à son point de départ.\r"
    "VOLUME -> Ouvre le réglage du volume général de l'ordinateur\r"
    "AIDE -> Ouvre la présente fenêtre\r"
    "A PROPOS -> Informations de version\r"
    "REDUIRE -> Réduit le lecteur en icône dans la barre des tâches\r"
    "QUITTER -> Ferme et quitte Vireo\r"
    "CONNEXION -> Connexion à la page du site web de Vireo\r\r"
    "Quatre indicateurs numériques :\r"
    "- Temps : Temps écoulé en minutes et secondes du morceau en cours.\r"
    "- Durée : Durée totale en minutes et secondes du morceau en cours.\r"
    "- Count : Compteur des secondes en mode décimal\r"
    "- Seconds : Durée totale du morceau en secondes \r";


// Checks a box's title, text and icon colour, and closes it.
void expectBox(const Box& box, const std::string& title, const std::string& text, IconColour icon,
               const std::string& shot) {
    checkEq(title, box.title, "box title");
    checkEq(text, box.text, "box text");
    if (check(box.icon != nullptr, "the box shows an icon")) {
        IconColour seen = waitIconColour(box.icon, icon, shot);
        check(seen == icon, std::string("the icon is ") + iconColourName(icon) + ", seen as " + iconColourName(seen));
    }
}

// Every dialog the player shows from now until `until` holds or the time is up,
// in the order they appeared (title and text).
std::vector<std::string> dialogsSeen(DWORD pid, const std::function<bool()>& until, DWORD timeoutMs) {
    std::vector<std::string> seen;
    std::vector<HWND> known;
    waitUntil(
        [&] {
            bool done = until();  // first: a dialog that makes it hold is then listed too
            for (HWND h : topWindows(pid, "#32770")) {
                if (!IsWindowVisible(h) || std::find(known.begin(), known.end(), h) != known.end()) continue;
                known.push_back(h);
                HWND textStatic = GetDlgItem(h, 0xFFFF);
                seen.push_back(show(text(h)) + " " + show(textStatic ? text(textStatic) : std::string()));
            }
            return done;
        },
        timeoutMs, 5);
    return seen;
}

std::string joined(const std::vector<std::string>& items) {
    std::string s;
    for (const auto& i : items) s += (s.empty() ? "" : " | ") + i;
    return s.empty() ? "(none)" : s;
}

int digits(const std::string& s, size_t at, size_t n) {
    int v = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

}  // namespace

// Help, pressed while a short title plays: the box holds the loop (the
// indicators stand still and the title's end waits for the box), and a second
// press shows the same whole text again.
VIREO_E2E_CASE(help_box_twice) {
    Strip strip({{"Court.wav", 2.3}});
    strip.start();
    click(strip.c(PlayButton));
    require(strip.reach(kPlaying, 3000, "after Play"), "the title plays");
    require(waitUntil([&] { return strip.shown(CountDisplay) == "1"; }, 3000, 5), "CountDisplay reaches 1");

    for (int press = 1; press <= 2; ++press) {
        std::string when = format(" (press %d)", press);
        click(strip.c(HelpButton));
        auto box = waitBox(strip.player->pid(), 5000);
        require(box.has_value(), "the Help box appears" + when);
        expectBox(*box, "Utilisation de ce lecteur", kHelpText, IconColour::Blue, caseName() + format("_%d", press));
        check(!IsWindowEnabled(strip.player->main()) && !IsWindowEnabled(strip.player->backdrop()),
              "both windows are disabled while the box is open" + when);
        if (press == 1) {
            std::string count = strip.shown(CountDisplay), elapsed = strip.shown(ElapsedDisplay);
            sleepMs(3000);  // past the title's end
            checkEq(count, strip.shown(CountDisplay), "CountDisplay stands still behind the box");
            checkEq(elapsed, strip.shown(ElapsedDisplay), "ElapsedDisplay stands still behind the box");
            checkEq(kPlaying, strip.states(), "the title's end waits for the box");
        }
        check(pressDialogButton(box->hwnd, IDOK), "OK closes the box" + when);
        if (press == 1) strip.reach(kEnded, 2000, "soon after the box (the title had ended behind it)");
        check(IsWindowEnabled(strip.player->main()) && IsWindowEnabled(strip.player->backdrop()),
              "both windows are enabled again" + when);
    }
    sleepMs(300);
    strip.expectNoBox();
    strip.player->closeAndCheck();
}

// About: its pieces, and the build date as day.month.year and hours:minutes:seconds.
VIREO_E2E_CASE(about_box) {
    Scratch scratch;
    Player player(scratch.exe(), scratch.folder("cwd"));
    require(player.waitWindows(), "both windows are visible");
    click(player.control(AboutButton));
    auto box = waitBox(player.pid(), 5000);
    require(box.has_value(), "the About box appears");
    checkEq("A propos", box->title, "box title");
    if (check(box->icon != nullptr, "the box shows an icon")) {
        IconColour seen = waitIconColour(box->icon, IconColour::Blue, caseName());
        check(seen == IconColour::Blue, std::string("the icon is the information icon (blue), seen as ") +
                                            iconColourName(seen));
    }
    const std::string head = "Vireo Mini ( Mp3 ; Wav ; Wma ; Midi )\r\rCompatible Windows Xp / Vista / 7\r"
                             "Dernière compilation :  le ";
    const std::string& t = box->text;
    note("About text: " + show(t));
    require(checkEq(head, t.substr(0, head.size()), "text up to the date"), "the date line is where it belongs");
    // "DD.MM.YYYY à HH:MM:SS" then a blank line.
    size_t d = head.size();
    std::string date = t.substr(d, 21);
    int day = digits(t, d, 2), month = digits(t, d + 3, 2), year = digits(t, d + 6, 4);
    int hour = digits(t, d + 13, 2), minute = digits(t, d + 16, 2), second = digits(t, d + 19, 2);
    bool form = t.size() > d + 21 && t[d + 2] == '.' && t[d + 5] == '.' && t.compare(d + 10, 3, " à ") == 0 &&
                t[d + 15] == ':' && t[d + 18] == ':';
    check(form, "the date has the form DD.MM.YYYY à HH:MM:SS: " + show(date));
    check(day >= 1 && day <= 31 && month >= 1 && month <= 12 && year >= 2000 && hour >= 0 && hour <= 23 &&
              minute >= 0 && minute <= 59 && second >= 0 && second <= 59,
          "every field of the date is in range: " + show(date));
    if (form && year > 0) {
        SYSTEMTIME built{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                         static_cast<WORD>(hour), static_cast<WORD>(minute), static_cast<WORD>(second), 0};
        SYSTEMTIME now;
        GetLocalTime(&now);
        FILETIME b{}, n{};
        if (SystemTimeToFileTime(&built, &b) && SystemTimeToFileTime(&now, &n)) {
            auto ticks = [](const FILETIME& f) { return (uint64_t{f.dwHighDateTime} << 32) | f.dwLowDateTime; };
            check(ticks(b) <= ticks(n) + 600ULL * 10000000ULL, "the build date is not in the future (local time)");
        }
    }
    std::string rest = t.size() > d + 21 ? t.substr(d + 21) : "";
    require(checkEq("\r\r", rest.substr(0, 2), "a blank line after the date"), "the date line ends");
    rest = rest.substr(2);
    size_t cr = rest.find('\r');
    check(cr != std::string::npos && cr > 0, "an acknowledgement line ending with a carriage return");
    std::string thanks = cr == std::string::npos ? "" : rest.substr(cr + 1);
    check(!thanks.empty() && thanks.find('\r') == std::string::npos,
          "a last thanks line without a final carriage return: " + show(thanks));
    check(pressDialogButton(box->hwnd, IDOK), "OK closes the box");
    player.closeAndCheck();
}

// Play on an empty list: the open of the folder itself fails with the error box;
// Play and UserFolderButton stay enabled (nothing was opened).
VIREO_E2E_CASE(play_empty_list) {
    Strip strip({});
    strip.start();
    checkEq(0, static_cast<int64_t>(comboItems(strip.c(TitleCombo)).size()), "no title listed");
    strip.expectNoBox();
    require(strip.reach(kReady, 1000, "with an empty list"), "Play is enabled on an empty list");
    click(strip.c(PlayButton));
    auto box = waitBox(strip.player->pid(), 5000);
    require(box.has_value(), "a message box appears");
    expectBox(*box, "Erreur!", "Erreur à l'ouverture du fichier !", IconColour::Red, caseName());
    check(pressDialogButton(box->hwnd, IDOK), "OK closes the box");
    strip.reach(kReady, 3000, "after the failed Play");
    require(strip.player->settle(), "the player is back in its loop");
    strip.expectNoBox();
    checkEq("0:00.", strip.shown(DurationDisplay), "DurationDisplay");
    strip.player->closeAndCheck();
}

// Pause, then Stop, then Play: the title starts again from its beginning.
VIREO_E2E_CASE(pause_stop_play_restarts) {
    Strip strip({{"Titre.wav", 3.2}});
    strip.start();
    click(strip.c(PlayButton));
    require(strip.reach(kPlaying, 3000, "after Play"), "the title plays");
    require(waitUntil([&] { return strip.shown(CountDisplay) == "1"; }, 3000, 5), "CountDisplay reaches 1");
    click(strip.c(PauseButton));
    require(strip.reach(kPaused, 2000, "after Pause"), "the title pauses");
    std::string paused = strip.shown(CountDisplay);
    click(strip.c(StopButton));
    require(strip.reach(kReady, 3000, "after Stop"), "the title stops");
    checkEq("0:00.", strip.shown(DurationDisplay), "DurationDisplay after Stop");
    DWORD again = GetTickCount();
    click(strip.c(PlayButton));
    require(strip.reachPlaying("0:03", 3000, "after Play again"), "the title plays again");
    // A resume from the paused place (1 s in) would show 2 within a second; a
    // restart needs 2 s of sound, less the two 333 ms buffers this platform's
    // position runs ahead of it. A busy machine only makes a restart look later.
    check(waitUntil([&] { return strip.shown(CountDisplay) == "2"; }, 4000, 5), "and it plays on: CountDisplay 2");
    DWORD toTwo = GetTickCount() - again;
    check(toTwo >= 1200, format("CountDisplay reached 2 %lu ms after Play again (paused at %s): a restart "
                                "from the start takes at least 1200 ms", toTwo, paused.c_str()));
    strip.player->closeAndCheck();
}

// CloseButton and the close request of either window end the program with 0
// while a title plays, and leave the preferences file as it was.
VIREO_E2E_CASE(close_while_playing) {
    Strip strip({{"Long.wav", 6.0}});
    auto before = modificationTime(strip.scratch.ini());
    auto bytes = readFile(strip.scratch.ini());
    require(before && bytes, "preferences file written");
    const char* ways[] = {"CloseButton", "WM_CLOSE to BackdropWindow", "WM_CLOSE to MainWindow"};
    for (const char* way : ways) {
        note(std::string("-- ") + way);
        strip.start();
        click(strip.c(PlayButton));
        require(strip.reach(kPlaying, 3000, "after Play"), "the title plays");
        sleepMs(300);
        std::string w = way;
        if (w == "CloseButton") click(strip.c(CloseButton));
        else PostMessageA(w.find("Backdrop") != std::string::npos ? strip.player->backdrop() : strip.player->main(),
                          WM_CLOSE, 0, 0);
        strip.player->checkExitsCleanly(5000);
        checkEq(0, static_cast<int64_t>(topWindows(strip.player->pid()).size()), "windows left by the player");
        strip.player.reset();
    }
    checkEq(*bytes, readFile(strip.scratch.ini()).value_or("<missing>"), "preferences file bytes");
    auto after = modificationTime(strip.scratch.ini());
    check(after && sameTime(*before, *after), "preferences file modification time unchanged");
}

// MinimizeButton iconises both windows; restoring the strip brings both back to
// where they were. The restore is not one step: the backdrop comes back first, at
// the place it was dragged to while MainWindow was iconised, and catches up when
// MainWindow follows, so wait for the pair to settle before reading corners.
VIREO_E2E_CASE(minimize_both_windows) {
    Strip strip({{"Un.wav", 1.5}});
    strip.start();
    HWND main = strip.player->main(), backdrop = strip.player->backdrop();
    check(!IsIconic(main) && !IsIconic(backdrop), "neither window is iconic at start");
    const std::string home = describe(screenRect(main));
    checkEq(home, describe(screenRect(backdrop)), "the backdrop lies under MainWindow at start");
    click(strip.c(MinimizeButton));
    bool both = waitUntil([&] { return IsIconic(main) && IsIconic(backdrop); }, 3000);
    check(IsIconic(main) != FALSE, "MainWindow is iconic");
    check(IsIconic(backdrop) != FALSE, "BackdropWindow is iconic");
    check(both, "both windows iconic together");
    check(strip.player->running(), "the player still runs");
    // Restoring the strip (its taskbar button) brings the controls back with it.
    PostMessageA(backdrop, WM_SYSCOMMAND, SC_RESTORE, 0);
    auto settled = [&] {
        return !IsIconic(backdrop) && !IsIconic(main) && describe(screenRect(main)) == home &&
               describe(screenRect(backdrop)) == home;
    };
    DWORD t0 = GetTickCount();
    bool back = waitUntil(settled, 3000);
    note(format("both windows back in place %lu ms after the restore", GetTickCount() - t0));
    check(back, "both windows restored");
    check(!IsIconic(main) && !IsIconic(backdrop), "neither window is iconic after restore");
    check(IsWindowVisible(main) != FALSE, "MainWindow is visible again");
    checkEq(home, describe(screenRect(main)), "MainWindow back where it was");
    checkEq(home, describe(screenRect(backdrop)), "BackdropWindow back under MainWindow");
    strip.expectNoBox();
    strip.player->closeAndCheck();
}

// This platform has no "SndVol.exe": the player's own error box, once, and no
// box of the shell before or after it.
VIREO_E2E_CASE(volume_mixer_box) {
    Strip strip({{"Un.wav", 1.5}});
    strip.start();
    char sys[MAX_PATH] = {};
    GetSystemDirectoryA(sys, MAX_PATH);
    note(std::string("\"") + sys + "\\SndVol.exe\" exists here: " + (exists(std::string(sys) + "\\SndVol.exe") ? "yes" : "no"));
    click(strip.c(VolumeButton));
    auto seen = dialogsSeen(strip.player->pid(), [&] { return findBox(strip.player->pid()).has_value(); }, 8000);
    auto box = findBox(strip.player->pid());
    require(box.has_value(), "a message box appears");
    checkEq(show("ERREUR") + " " + show("Impossible de lancer le réglage du volume"), joined(seen),
            "the dialogs shown, in order");
    expectBox(*box, "ERREUR", "Impossible de lancer le réglage du volume", IconColour::Red, caseName());
    check(pressDialogButton(box->hwnd, IDOK), "OK closes the box");
    auto later = dialogsSeen(strip.player->pid(), [] { return false; }, 1500);
    checkEq("(none)", joined(later), "dialogs in the 1.5 s after the box");
    strip.reach(kReady, 0, "after the box");
    strip.player->closeAndCheck();
}

// The web page: this platform's shell reports success for a web address even
// without a browser, so the player's failure box cannot appear here; nothing
// else may happen either.
VIREO_E2E_CASE(web_button) {
    Strip strip({{"Un.wav", 1.5}});
    strip.start();
    click(strip.c(WebButton));
    auto seen = dialogsSeen(strip.player->pid(), [] { return false; }, 2500);
    checkEq("(none)", joined(seen), "dialogs in the 2.5 s after WebButton");
    check(strip.player->running(), "the player still runs");
    strip.reach(kReady, 0, "after WebButton");
    strip.player->closeAndCheck();
}

// Choosing a title and ticking the mode boxes start nothing; Play then takes the
// chosen title.
VIREO_E2E_CASE(title_choice_and_modes) {
    Strip strip({{"Court.wav", 1.5}, {"Long.wav", 3.2}});
    strip.start();
    int chosen = strip.indexOf("Long.wav");
    strip.choose("Long.wav");
    click(strip.c(PlayAllCheck));
    click(strip.c(ContinuousCheck));
    require(waitUntil([&] { return buttonCheck(strip.c(PlayAllCheck)) == 0 && buttonCheck(strip.c(ContinuousCheck)) == 1; },
                      2000),
            "the check boxes tick and untick themselves");
    sleepMs(500);
    strip.reach(kReady, 0, "after choosing a title and the modes (nothing starts)");
    checkEq("0:00.", strip.shown(DurationDisplay), "DurationDisplay (nothing loaded)");
    checkEq(chosen, comboSelection(strip.c(TitleCombo)), "the chosen title stays selected");
    click(strip.c(PlayAllCheck));
    click(strip.c(ContinuousCheck));
    require(waitUntil([&] { return buttonCheck(strip.c(PlayAllCheck)) == 1 && buttonCheck(strip.c(ContinuousCheck)) == 0; },
                      2000),
            "and back");
    click(strip.c(PlayButton));
    require(strip.reachPlaying("0:03", 3000, "after Play: the chosen title (3.2 s)"), "Play starts");
    checkEq(chosen, comboSelection(strip.c(TitleCombo)), "selection");
    click(strip.c(StopButton));
    strip.reach(kReady, 3000, "after Stop");
    strip.expectNoBox();
    strip.player->closeAndCheck();
}

// SelectFolderButton opens the folder requester, modal for the whole program;
// Cancel lists the folder still shown again.
VIREO_E2E_CASE(select_folder_cancel) {
    Strip strip({{"Un.wav", 1.5}, {"Deux.wav", 1.5}});
    strip.start();
    auto items = comboItems(strip.c(TitleCombo));
    std::string label = strip.shown(ContentLabel);
    click(strip.c(SelectFolderButton));
    HWND browser = waitBrowser(strip.player->pid(), 10000);
    require(browser != nullptr, "the folder requester opens");
    bool prompt = false;
    for (const auto& t : staticTexts(browser))
        prompt = prompt || t == "Sélectionnez le répertoire où se trouvent les musiques que vous voulez écouter :";
    check(prompt, "the requester shows its prompt");
    check(!IsWindowEnabled(strip.player->main()) && !IsWindowEnabled(strip.player->backdrop()),
          "both windows are disabled while the requester is open");
    check(pressDialogButton(browser, IDCANCEL), "Cancel closes the requester");
    // The list is the same before and after the rescan: wait for the player's thread instead.
    require(strip.player->settle(), "the player is back in its loop");
    checkEq(static_cast<int64_t>(items.size()), static_cast<int64_t>(comboItems(strip.c(TitleCombo)).size()),
            "the titles listed again");
    check(comboItems(strip.c(TitleCombo)) == items, "the same titles in the same order");
    checkEq(strip.music, strip.shown(FolderPathField), "FolderPathField");
    checkEq(label, strip.shown(ContentLabel), "ContentLabel");
    checkEq(0, comboSelection(strip.c(TitleCombo)), "selection");
    strip.reach(kReady, 0, "after Cancel");
    check(IsWindowEnabled(strip.player->main()) && IsWindowEnabled(strip.player->backdrop()),
          "both windows are enabled again");
    strip.expectNoBox();
    strip.player->closeAndCheck();
}
