// The strip without a mouse: each control's name as a screen reader reads it,
// Tab and Shift+Tab through the enabled controls in reading order, Space on the
// focused control, Alt+F4, and no other key doing anything. Real key presses
// (SendInput); the focus is read with GetGUIThreadInfo. Under Wine another
// process's accessible objects cannot be read (AccessibleObjectFromWindow gives
// E_NOINTERFACE) and Wine's annotation service is a stub: the names of the
// buttons and check boxes are checked through their window texts, which is
// what the platform's accessibility layer reads for them; the names of the
// field, the list and the displays (dynamic annotation) are not visible here.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"

using namespace vireo::e2e;

namespace {

enum Id { PlayButton = 2, StopButton = 3, FolderPathField = 4, TitleCombo = 5, SelectFolderButton = 6,
          PlayAllCheck = 11, ContinuousCheck = 12, PauseButton = 13, ResumeButton = 14, UserFolderButton = 16,
          AboutButton = 17, HelpButton = 18, CloseButton = 19, MinimizeButton = 20, WebButton = 21,
          VolumeButton = 23 };

const std::vector<int> kStateButtons = {PlayButton, PauseButton, ResumeButton, StopButton, SelectFolderButton,
                                        UserFolderButton};

int focusedId(Player& p) {
    HWND f = focusOf(p.main());
    return f && GetParent(f) == p.main() ? GetDlgCtrlID(f) : 0;
}

// Presses the key and waits for the focus to leave `from`.
int tabFrom(Player& p, int from, std::initializer_list<WORD> held = {}) {
    pressKey(VK_TAB, held);
    waitUntil([&] { return focusedId(p) != from; }, 2000, 10);
    return focusedId(p);
}

std::string ids(const std::vector<int>& v) {
    std::string s;
    for (int id : v) s += (s.empty() ? "" : " ") + std::to_string(id);
    return s;
}

}  // namespace

VIREO_E2E_CASE(keyboard_names_and_focus) {
    Scratch scratch;
    const std::string music = scratch.folder("Musique");
    writeWav(music + "Un.wav", 3.2);
    writeWav(music + "Deux.wav", 3.2);
    scratch.writeIni(preferencesLine(music));
    Player p(scratch.exe(), scratch.folder("cwd"));
    require(p.waitWindows(), "both windows are visible");
    // The strip shows before the loop runs: reads that come too early are
    // refused as by a hung window.
    require(p.settle(10000), "the player is in its loop");

    // The names a screen reader reads: what the tips and captions show.
    const std::vector<std::pair<int, const char*>> names = {
        {UserFolderButton, "Préférences Utilisateur"}, {SelectFolderButton, "Sélection Répertoire"},
        {PlayButton, "Play"}, {PauseButton, "Pause"}, {ResumeButton, "Reprendre"}, {StopButton, "Stop"},
        {VolumeButton, "Réglage du volume"}, {HelpButton, "Aide"}, {AboutButton, "A propos"},
        {MinimizeButton, "Réduire"}, {CloseButton, "Fermer"}, {WebButton, "Corvalis on line"},
        {PlayAllCheck, "Tout lire"}, {ContinuousCheck, "Lecture continue"},
    };
    for (const auto& [id, name] : names) checkEq(name, text(p.control(id)), format("window text of control %d", id));
    // Focus cues wait for the keyboard, unless the system shows them always
    // (a Windows setting for users who want them, and Wine's default).
    BOOL alwaysCues = FALSE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &alwaysCues, 0);
    if (alwaysCues)
        note("the system shows keyboard cues always: the hidden start state cannot be seen here");
    else
        checkEq(UISF_HIDEFOCUS, sendA(p.control(HelpButton), WM_QUERYUISTATE).value_or(-1) & UISF_HIDEFOCUS,
                "no focus cue before the keyboard is used");

    // A click in the path field gives the strip the keyboard.
    require(clickIn(p.control(FolderPathField)), "the pointer over the path field");
    require(waitUntil([&] { return focusedId(p) == FolderPathField; }, 3000), "the click focuses the path field");

    // Ready: Pause, Reprendre and Stop are disabled and skipped.
    const std::vector<int> ready = {TitleCombo, PlayAllCheck, ContinuousCheck, PlayButton, VolumeButton,
                                    HelpButton, AboutButton, MinimizeButton, CloseButton, WebButton,
                                    UserFolderButton, SelectFolderButton, FolderPathField};
    std::vector<int> visited;
    int at = FolderPathField;
    for (size_t i = 0; i < ready.size(); ++i) visited.push_back(at = tabFrom(p, at));
    checkEq(ids(ready), ids(visited), "Tab visits the enabled controls in reading order and wraps");
    std::vector<int> back;
    for (size_t i = 0; i < 3; ++i) back.push_back(at = tabFrom(p, at, {VK_SHIFT}));
    checkEq(ids({SelectFolderButton, UserFolderButton, WebButton}), ids(back), "Shift+Tab goes back");

    for (int i = 0; i < 20 && at != HelpButton; ++i) at = tabFrom(p, at, {VK_SHIFT});
    require(at == HelpButton, "Shift+Tab reaches Aide");
    // The focus rectangle of Aide three pixels inside its edge, of a check box
    // around its box: every other pixel dark on the face. The screen shows
    // what the player drew a moment later.
    auto expectDots = [&](int id, int inset, int want, const std::string& what) {
        const RECT r = screenRect(p.control(id));
        auto count = [&](const Shot& shot) {
            int dark = 0;
            for (int x = r.left + inset; x < r.right - inset; ++x) {
                const COLORREF c = shot.pixel(x, r.top + inset);
                dark += GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
            }
            return dark;
        };
        std::optional<Shot> shot;
        waitUntil([&] { return (shot = captureScreen()) && count(*shot) == want; }, 3000, 100);
        if (!check(shot.has_value(), "a screenshot")) return;
        check(count(*shot) == want, format("%s shows its dotted focus rectangle (%d dark dots on its top edge)",
                                           what.c_str(), count(*shot)));
        shot->save(shotPath(caseName() + "-focus-" + std::to_string(id)));
    };
    expectDots(HelpButton, 3, 7, "the focused Aide button");

    // Space presses the focused button as a click does.
    pressKey(VK_SPACE);
    auto box = waitBox(p.pid(), 5000);
    if (check(box.has_value(), "Space on Aide opens the Help box")) {
        checkEq("Utilisation de ce lecteur", box->title, "its title");
        check(pressDialogButton(box->hwnd, IDOK), "OK closes it");
    }
    require(p.settle(), "the player is back in its loop");

    // Back from the box, the focus is where it was.
    check(waitUntil([&] { return focusedId(p) == HelpButton; }, 2000), "the focus is back on Aide after the box");
    at = focusedId(p);

    // Space ticks the focused box.
    for (int i = 0; i < 20 && at != PlayAllCheck; ++i) at = tabFrom(p, at);
    require(at == PlayAllCheck, "Tab reaches Tout lire");
    expectDots(PlayAllCheck, 0, 8, "the focused Tout lire box");
    pressKey(VK_SPACE);
    check(waitUntil([&] { return buttonCheck(p.control(PlayAllCheck)) == BST_UNCHECKED; }, 2000),
          "Space unticks Tout lire");
    pressKey(VK_SPACE);
    check(waitUntil([&] { return buttonCheck(p.control(PlayAllCheck)) == BST_CHECKED; }, 2000),
          "Space ticks it again");

    // No shortcut: Enter and Escape on the focused Play do nothing, nor do
    // letters on a button.
    for (int i = 0; i < 20 && at != PlayButton; ++i) at = tabFrom(p, at);
    require(at == PlayButton, "Tab reaches Play");
    const std::string states = enabledStates(p.main(), kStateButtons);
    for (WORD key : {WORD(VK_RETURN), WORD(VK_ESCAPE), WORD('P'), WORD(VK_F1)}) pressKey(key);
    sleepMs(300);
    require(p.settle(), "the player is back in its loop");
    checkEq(states, enabledStates(p.main(), kStateButtons), "Enter, Escape, P and F1 change nothing");
    check(!findBox(p.pid()), "and open no box");
    checkEq(PlayButton, focusedId(p), "the focus stays on Play");

    // The keyboard never goes dead: Space on a transport button disables it,
    // and the focus moves on to the next enabled control in reading order.
    auto spaceOn = [&](int from, const char* states, int focus, const std::string& what) {
        pressKey(VK_SPACE);
        check(waitUntil([&] { return enabledStates(p.main(), kStateButtons) == states; }, 3000), what);
        waitUntil([&] { return focusedId(p) != from; }, 2000, 10);
        checkEq(focus, focusedId(p), what + ": the focus moves on");
        return focusedId(p);
    };
    at = spaceOn(PlayButton, "DEDEDD", PauseButton, "Space on Play plays");
    checkEq(StopButton, at = tabFrom(p, at), "Tab from Pause, past the disabled Reprendre");
    at = tabFrom(p, at, {VK_SHIFT});
    at = spaceOn(PauseButton, "DDEEDD", ResumeButton, "Space on Pause pauses");
    at = spaceOn(ResumeButton, "DEDEDD", StopButton, "Space on Reprendre plays on");
    {
        ColourCurtain other(RECT{10, 10, 310, 210}, RGB(90, 90, 90), true);  // another program, in front
        check(waitUntil([&] { return focusedId(p) == 0; }, 2000), "another program has the keyboard");
    }
    SetForegroundWindow(p.backdrop());  // back through the taskbar
    check(waitUntil([&] { return focusedId(p) == StopButton; }, 3000),
          format("back on the strip, the focus is on Stop again (on %d)", focusedId(p)));
    at = spaceOn(StopButton, "EDDDEE", VolumeButton, "Space on Stop stops");
    // The end of a run disables Pause and Stop under the focus.
    for (int i = 0; i < 20 && at != PlayButton; ++i) at = tabFrom(p, at, {VK_SHIFT});
    at = spaceOn(PlayButton, "DEDEDD", PauseButton, "Space on Play plays again");
    check(waitUntil([&] { return enabledStates(p.main(), kStateButtons) == "EDDDED"; }, 15000), "the run ends");
    checkEq(VolumeButton, focusedId(p), "at the end of the run the focus is on the next enabled control");
    checkEq(HelpButton, tabFrom(p, VolumeButton), "and Tab moves on");

    // Alt+F4 closes the player as its close button does.
    pressKey(VK_F4, {VK_MENU});
    p.checkExitsCleanly(5000);
}
