// The strip, pixel for pixel, in its four states (Ready, Playing, Paused, Ended)
// against golden images, for a mouse user: no tooltip, the pointer away from
// the strip.
//
// The goldens are tests/e2e/golden/strip-<state>.png; wine-env.sh names that
// folder in VIREO_E2E_GOLDEN. To record them again from the exe of this build:
//
//   tests/e2e/wine-env.sh run build/windows/bin/vireo_driver.exe strip_pixels_record
//   for s in ready playing paused ended; do
//     convert build/e2e/shots/strip-$s.bmp -strip -define png:exclude-chunks=date,time PNG24:tests/e2e/golden/strip-$s.png
//   done
//
// and the same with strip_pixels_record_150 (_200) for strip-150-$s (strip-200-$s).
//   tests/e2e/wine-env.sh stop
//
// (-strip and the excluded chunks keep dates and times out of the file, so the
// same capture always gives the same PNG bytes; PNG24 keeps plain 8-bit RGB.)
// Look at each image before committing it.
//
// The images hold for this environment only: Wine 8 with a fresh prefix in the
// classic look, the fonts of Debian 12 as tools/setup.sh leaves them, a 24-bit
// 1920x1200 Xvfb screen. A host with other fonts (a real Verdana, say) draws the
// captions and texts differently; the case notes which faces it got.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"
#include "ui/picture.h"

using namespace vireo::e2e;

namespace {

// The scale of the run; every place below is of the 96-dpi layout, through sc().
int g_dpi = 96;
int sc(int length) { return (length * g_dpi + 48) / 96; }

enum Id { PlayButton = 2, StopButton = 3, FolderPathField = 4, TitleCombo = 5, SelectFolderButton = 6,
          ElapsedDisplay = 7, DurationDisplay = 8, CountDisplay = 9, SecondsDisplay = 10, PauseButton = 13,
          ResumeButton = 14, ContentLabel = 15, UserFolderButton = 16, TrackProgressBar = 22 };

const std::vector<int> kStateButtons = {PlayButton, PauseButton, ResumeButton, StopButton, SelectFolderButton,
                                        UserFolderButton};

// See-through pixels show this; no pixel of the strip itself has it.
const COLORREF kBehind = RGB(0, 150, 90);

// What the strip must show when it is captured: the enabled states and all
// that moves while a title plays.
struct Shown {
    const char* state;
    const char* buttons;  // Play, Pause, Resume, Stop, SelectFolder, UserFolder
    const char* elapsed;
    const char* duration;
    const char* count;
    const char* seconds;
    int selection;
    int barPos;
    int barHigh;
};

// The titles list in name order (Wine lists a folder sorted), so "Titre.wav"
// (3.2 s) comes first and "Un.wav" (1.5 s) last.
const Shown kShown[] = {
    {"ready", "EDDDEE", "0:00", "0:00.", "0", "", 0, 0, 100},
    {"playing", "DEDEDD", "0:01", "0:03", "1", "3", 0, 1, 3},
    {"paused", "DDEEDD", "0:01", "0:03", "1", "3", 0, 1, 3},
    {"ended", "EDDDED", "0:00", "0:01", "0", "1", 1, 0, 1},
};

std::string expected(const Shown& s) {
    return format("%s | %s | %s | %s | %s | title %d | bar %d/%d", s.buttons, s.elapsed, s.duration, s.count, s.seconds,
                  s.selection, s.barPos, s.barHigh);
}

struct Strip {
    Scratch scratch{"strip_pixels"};  // the recording shows the same folder path
    std::string music;
    std::unique_ptr<Player> player;
    RECT rect{};

    HWND c(int id) const { return player->control(id); }
    std::string seen() const {
        auto bar = [&](UINT m, WPARAM w) { return static_cast<int>(sendA(c(TrackProgressBar), m, w).value_or(-1)); };
        return format("%s | %s | %s | %s | %s | title %d | bar %d/%d", enabledStates(player->main(), kStateButtons).c_str(),
                      text(c(ElapsedDisplay)).c_str(), text(c(DurationDisplay)).c_str(), text(c(CountDisplay)).c_str(),
                      text(c(SecondsDisplay)).c_str(), comboSelection(c(TitleCombo)), bar(PBM_GETPOS, 0),
                      bar(PBM_GETRANGE, FALSE));
    }
};

// The backdrop reaches the screen well after the windows turn visible, and a
// changed text some passes after it was set: an image is complete once the
// backdrop's row 9 and the field and display backgrounds are drawn.
bool drawn(const Shot& s) {
    int covered = 0;
    for (int x = sc(80); x < sc(795 - 5); ++x) covered += s.pixel(x, sc(9)) != kBehind;
    // The label's background at its right end, past " Contenu : 2 titres".
    return covered > (sc(795 - 5) - sc(80)) * 9 / 10 && s.pixel(sc(184) - sc(3), sc(12 + 9)) == RGB(41, 119, 202) &&
           s.pixel(sc(185 + 400), sc(12 + 9)) == RGB(41, 119, 202) && s.pixel(sc(625 + 30), sc(36 + 9)) == RGB(0, 0, 0);
}

// The golden image's name: strip-<state>, or strip-<percent>-<state> at another scale.
std::string goldenName(const char* state) {
    return g_dpi == 96 ? std::string("strip-") + state : format("strip-%d-%s", g_dpi * 100 / 96, state);
}

// What would spoil a capture: a window over the strip (a tooltip, a box, a
// window another case left), or the pointer over it.
void expectNothingOver(const Strip& s) {
    std::string over;
    for (HWND h = GetWindow(s.player->main(), GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV)) {
        RECT r = screenRect(h), both;
        if (IsWindowVisible(h) && IntersectRect(&both, &r, &s.rect)) over += " " + className(h) + " " + describe(r);
    }
    check(over.empty(), "no window over the strip" + (over.empty() ? "" : ":" + over));
    POINT at{};
    GetCursorPos(&at);
    check(!PtInRect(&s.rect, at) && at.x < s.rect.left - 100 && at.y < s.rect.top - 100,
          format("the pointer stays away from the strip (at %ld,%ld)", at.x, at.y));
}

std::string focusText(const Strip& s) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(s.player->main(), nullptr), &gui)) return "unreadable";
    auto name = [&](HWND h) -> std::string {
        if (!h) return "none";
        if (h == s.player->main()) return "MainWindow";
        if (h == s.player->backdrop()) return "BackdropWindow";
        return className(h) + format(" %d", GetDlgCtrlID(h));
    };
    return "active " + name(gui.hwndActive) + ", focus " + name(gui.hwndFocus) + ", caret " + name(gui.hwndCaret);
}

// The strip once it shows `want` and has stopped changing: two complete
// captures alike, the texts the same before, between and after them. Nothing
// when the texts leave `want` first (a playing title moved on) or time is up.
// A reading of the texts is seven messages, which the player answers one a
// pass: about 140 ms, the pause between captures, so that a playing state (a
// second) leaves time for three readings and two captures.
std::optional<Shot> settledStrip(const Strip& s, const Shown& want, DWORD timeoutMs) {
    const std::string w = expected(want);
    std::optional<Shot> last;
    bool alike = false;
    const DWORD start = GetTickCount();
    while (s.seen() == w) {
        if (alike) return last;
        if (GetTickCount() - start >= timeoutMs) break;
        auto shot = captureScreen(&s.rect);
        if (!shot) abortCase("the screen cannot be captured");
        if (!drawn(*shot)) shot.reset();
        alike = shot && last && last->bgr == shot->bgr;
        last = std::move(shot);
    }
    return std::nullopt;
}

std::wstring goldenPath(const char* state) {
    wchar_t dir[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"VIREO_E2E_GOLDEN", dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) abortCase("VIREO_E2E_GOLDEN is not set (tests/e2e/wine-env.sh sets it)");
    std::wstring path(dir, n);
    if (path.back() != L'\\') path += L'\\';
    return path + widen(goldenName(state)) + L".png";
}

// The golden image as a top-down capture, through the player's own PNG decoder.
std::optional<Shot> loadGolden(const std::wstring& path, std::string& why) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        why = "cannot be opened";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(GetFileSize(h, nullptr));
    DWORD got = 0;
    BOOL read = ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    vireo::Picture pic;
    if (!read || got != bytes.size() || !vireo::DecodePng(bytes.data(), bytes.size(), pic)) {
        why = "is not a PNG the player's decoder reads";
        return std::nullopt;
    }
    Shot g;
    g.width = pic.width;
    g.height = pic.height;
    g.bgr.resize(static_cast<size_t>(g.width) * g.height * 3);
    const int step = pic.depth / 8;
    for (int y = 0; y < g.height; ++y) {
        const uint8_t* row = pic.pixels.data() + static_cast<size_t>(g.height - 1 - y) * pic.stride();
        for (int x = 0; x < g.width; ++x) {
            if (step == 4 && row[4 * x + 3] != 255) {
                why = format("has a see-through pixel at %d,%d", x, y);
                return std::nullopt;
            }
            std::copy_n(row + step * x, 3, &g.bgr[(static_cast<size_t>(y) * g.width + x) * 3]);
        }
    }
    return g;
}

void compare(const Shot& got, const Shown& want) {
    const std::string name = goldenName(want.state);
    // The key colour never shows: no pink fringe around what the strip draws.
    int pink = 0;
    for (int y = 0; y < got.height; ++y)
        for (int x = 0; x < got.width; ++x) {
            const COLORREF c = got.pixel(x, y);
            pink += GetRValue(c) > 200 && GetGValue(c) < 90 && GetBValue(c) > 200;
        }
    checkEq(0, pink, name + ": pixels of the key colour");
    const std::wstring path = goldenPath(want.state);
    std::string why;
    auto golden = loadGolden(path, why);
    bool same = false;
    if (!golden) {
        check(false, name + ".png " + why + ": " + show(narrow(path)));
    } else if (!checkEq(format("%dx%d", got.width, got.height), format("%dx%d", golden->width, golden->height),
                        name + ".png size")) {
    } else {
        int differing = 0;
        RECT box{got.width, got.height, -1, -1};
        std::string first;
        for (int y = 0; y < got.height; ++y)
            for (int x = 0; x < got.width; ++x) {
                COLORREF e = golden->pixel(x, y), g = got.pixel(x, y);
                if (e == g) continue;
                if (++differing <= 5)
                    first += format(" (%d,%d) %s %s", x, y, describeColour(e).c_str(), describeColour(g).c_str());
                box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                           std::max<LONG>(box.bottom, y + 1)};
            }
        same = check(differing == 0,
                     differing == 0
                         ? name + ": every pixel as in the golden image"
                         : format("%s: %d of %d pixels differ from the golden image, within %s (x,y wxh in the strip); "
                                  "first (x,y) expected got:%s",
                                  name.c_str(), differing, got.width * got.height, describe(box).c_str(), first.c_str()));
    }
    if (!same) {
        std::string saved = shotPath(caseName() + "-" + want.state);
        if (got.save(saved)) note("the capture is in " + saved);
    }
}

enum class Mode { Compare, Record };

void shoot(Strip& s, const Shown& want, Mode mode, const std::function<void()>& again = nullptr) {
    const std::string what = std::string("the ") + want.state + " state";
    std::optional<Shot> shot;
    // A playing title leaves its count within the second: start it again then.
    for (int attempt = 0; attempt < 6 && !shot; ++attempt) {
        if (attempt > 0) {
            if (!again) break;
            note(what + " went by before a still capture: again");
            again();
        }
        if (!waitUntil([&] { return s.seen() == expected(want); }, 8000, 5)) continue;
        expectNothingOver(s);
        shot = settledStrip(s, want, 5000);
    }
    // A capture is taken only while the texts show `want`; read them again only
    // without one, since a playing title moves on after it.
    checkEq(expected(want), shot ? expected(want) : s.seen(), "the strip shows " + what +
                                          " (Play Pause Resume Stop SelectFolder UserFolder | Elapsed | Duration | Count | "
                                          "Seconds | title | bar)");
    if (!check(shot.has_value(), "a complete and still capture of " + what)) {
        if (auto strip = captureScreen(&s.rect)) {
            const std::string saved = shotPath(goldenName(want.state) + "-unsettled");
            if (strip->save(saved)) note("what the screen showed is in " + saved);
        }
        return;
    }
    note(std::string(want.state) + ": " + focusText(s));
    if (mode == Mode::Record) {
        std::string path = shotPath(goldenName(want.state));
        check(shot->save(path), "recorded " + path);
    } else {
        compare(*shot, want);
    }
}

std::string fontFace(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return face;
}

void runStrip(Mode mode, int dpi = 96) {
    DisplayScale scale(dpi);
    g_dpi = dpi;
    {
        HDC screen = GetDC(nullptr);
        int dpi = GetDeviceCaps(screen, LOGPIXELSY), depth = GetDeviceCaps(screen, BITSPIXEL);
        ReleaseDC(nullptr, screen);
        HFONT captions = CreateFontA(-MulDiv(7, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "Verdana");
        note(format("fonts: captions \"Verdana\" drawn as \"%s\", controls as \"%s\"; %d dpi, %d bits a pixel",
                    fontFace(captions).c_str(), fontFace(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))).c_str(),
                    dpi, depth));
        DeleteObject(captions);
    }
    Strip s;
    s.music = s.scratch.folder("Musique");
    writeWav(s.music + "Un.wav", 1.5);
    writeWav(s.music + "Titre.wav", 3.2);
    require(musicEntries(s.music) == std::vector<std::string>{"Titre.wav", "Un.wav"},
            "the folder lists Titre.wav, then Un.wav, as when the images were recorded");
    s.scratch.writeIni(preferencesLine(s.music));

    // The pointer far from the strip before it appears, so that no tip shows.
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    require(sw == 1920 && sh == 1200, format("a 1920x1200 screen, as when the images were recorded (%dx%d)", sw, sh));
    require(mouseTo(4, 4), "the pointer in the screen's corner");
    const int w = sc(795), h = sc(70);
    s.rect = RECT{(sw - w) / 2, (sh - h) / 2, (sw - w) / 2 + w, (sh - h) / 2 + h};
    ColourCurtain curtain(RECT{s.rect.left - 20, s.rect.top - 20, s.rect.right + 20, s.rect.bottom + 20}, kBehind);
    require(curtain.shown(), "a window of one colour behind the strip");

    s.player = std::make_unique<Player>(s.scratch.exe(), s.scratch.folder("cwd"));
    require(s.player->waitWindows(), "both windows are visible");
    if (startsAtTheMonitorsScale(*s.player, dpi)) {
        s.player->closeAndCheck();
        return;
    }
    require(waitUntil([&] { return comboItems(s.c(TitleCombo)).size() == 2; }, 5000), "two titles listed");
    checkEq(describe(s.rect), describe(screenRect(s.player->backdrop())), "BackdropWindow centred on the screen");
    checkEq(describe(s.rect), describe(screenRect(s.player->main())), "MainWindow over it");
    checkEq(" Contenu : 2 titres", text(s.c(ContentLabel)), "ContentLabel");
    checkEq(s.music, text(s.c(FolderPathField)), "FolderPathField");

    // At the start the focus is on MainWindow itself; a click focuses the button
    // it presses, and the command that disables that button moves the focus on
    // to the next enabled one: Pause while playing, Reprendre while paused, the
    // volume button once the run has ended. Windows hides its dotted rectangle
    // from a mouse user; Wine keeps no such state and shows it, so the images do.
    const Shown& ready = kShown[0];
    const Shown& playing = kShown[1];
    const Shown& paused = kShown[2];
    const Shown& ended = kShown[3];
    shoot(s, ready, mode);

    auto playFromStart = [&] {
        if (s.seen().rfind(ready.buttons, 0) != 0) {
            click(s.c(StopButton));
            waitUntil([&] { return enabledStates(s.player->main(), kStateButtons) == ready.buttons; }, 8000, 5);
        }
        click(s.c(PlayButton));
    };
    playFromStart();
    shoot(s, playing, mode, playFromStart);

    // Pause while the count shows 1; should the second have passed meanwhile,
    // the title starts again.
    auto pauseAtOne = [&] {
        if (s.seen() != expected(playing)) {
            playFromStart();
            waitUntil([&] { return s.seen() == expected(playing); }, 8000, 5);
        }
        click(s.c(PauseButton));
    };
    pauseAtOne();
    shoot(s, paused, mode, pauseAtOne);

    // The run goes on through the last title and ends by itself.
    click(s.c(ResumeButton));
    waitUntil([&] { return enabledStates(s.player->main(), kStateButtons) == ended.buttons; }, 15000, 20);
    shoot(s, ended, mode);
    s.player->closeAndCheck();
}

}  // namespace

VIREO_E2E_CASE(strip_pixels) { runStrip(Mode::Compare); }
// At 150 % and 200 %: every picture drawn for the scale, the fonts at their size.
VIREO_E2E_CASE(strip_pixels_150) { runStrip(Mode::Compare, 144); }
VIREO_E2E_CASE(strip_pixels_200) { runStrip(Mode::Compare, 192); }

// Writes build/e2e/shots/strip[-<percent>]-<state>.bmp from this build (see the top of the file).
VIREO_E2E_MANUAL_CASE(strip_pixels_record) { runStrip(Mode::Record); }
VIREO_E2E_MANUAL_CASE(strip_pixels_record_150) { runStrip(Mode::Record, 144); }
VIREO_E2E_MANUAL_CASE(strip_pixels_record_200) { runStrip(Mode::Record, 192); }
