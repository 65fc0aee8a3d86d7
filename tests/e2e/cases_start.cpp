// Start-up and shutdown: the platform refusal, a normal run, the exit code.
#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"

using namespace vireo::e2e;

namespace {

void expectNoPlayerWindows(DWORD pid, const char* when) {
    checkEq(0, static_cast<int64_t>(topWindows(pid, "VireoBackdrop").size()),
            std::string("VireoBackdrop windows ") + when);
    checkEq(0, static_cast<int64_t>(topWindows(pid, "VireoMain").size()), std::string("VireoMain windows ") + when);
}

void refusal(PlatformFolderGuard::Mode mode) {
    Scratch scratch;
    PlatformFolderGuard guard(mode);
    Player player(scratch.exe());
    auto box = waitBox(player.pid(), 10000);
    require(box.has_value(), "the refusal box appears");
    checkEq("Erreur!", box->title, "box title");
    checkEq("Votre version de Windows est incompatible.\rCe programme ne peut fonctionner que sur une plateforme 64 bits",
            box->text, "box text");
    require(box->icon != nullptr, "the box shows an icon");
    IconColour colour = waitIconColour(box->icon, IconColour::Red, caseName());
    check(colour == IconColour::Red, std::string("the icon is the error icon (red), seen as ") + iconColourName(colour));
    expectNoPlayerWindows(player.pid(), "while the box is open");
    check(pressDialogButton(box->hwnd, IDOK), "OK closes the box");
    player.checkExitsCleanly(5000);
    expectNoPlayerWindows(player.pid(), "after the box");
}

}  // namespace

VIREO_E2E_CASE(refusal_missing_folder) { refusal(PlatformFolderGuard::Mode::Missing); }

VIREO_E2E_CASE(refusal_plain_file) { refusal(PlatformFolderGuard::Mode::PlainFile); }

// A run with a stored folder: both windows appear without any box, nothing starts
// playing on its own, and closing ends the process with 0 without touching the
// preferences file.
VIREO_E2E_CASE(start_and_close) {
    Scratch scratch;
    std::string music = scratch.folder("Musique");
    writeWav(music + "Un.wav", 1.5);
    writeWav(music + "Deux.wav", 3.2);
    scratch.writeIni(preferencesLine(music));
    auto before = modificationTime(scratch.ini());
    require(before.has_value(), "preferences file written");

    Player player(scratch.exe());
    require(player.waitWindows(), "both windows are visible");
    check(!findBox(player.pid()).has_value(), "no message box at start");
    sleepMs(800);  // some passes of the main loop
    check(player.running(), "still running after 0.8 s");
    checkEq("0:00.", text(player.control(8)), "DurationDisplay after the first passes");
    check(IsWindowEnabled(player.control(2)), "PlayButton enabled (nothing playing)");
    check(!IsWindowEnabled(player.control(3)), "StopButton disabled (nothing playing)");
    checkEq(1, buttonCheck(player.control(11)), "PlayAllCheck ticked");
    player.closeAndCheck();

    auto bytes = readFile(scratch.ini());
    checkEq(preferencesLine(music), bytes.value_or("<missing>"), "preferences file after the run");
    auto after = modificationTime(scratch.ini());
    check(after && sameTime(*before, *after), "preferences file modification time unchanged");
}

VIREO_E2E_CASE(close_button) {
    Scratch scratch;
    Player player(scratch.exe(), scratch.folder("cwd"));
    require(player.waitWindows(), "both windows are visible");
    HWND close = player.control(19);
    require(close != nullptr, "CloseButton exists");
    click(close);
    player.checkExitsCleanly(5000);
    check(!exists(scratch.ini()), "no preferences file written");
}
