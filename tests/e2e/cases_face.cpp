// The face of the player: the two windows, the 22 controls, tooltips, the hand
// pointer, dragging and what the screen shows.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"

using namespace vireo::e2e;

namespace {

constexpr int kWidth = 795;
constexpr int kHeight = 70;

enum class Kind { Image, Label, Edit, Combo, Check, Bar };

struct ControlSpec {
    int id;
    const char* name;
    Kind kind;
    int x, y, w, h;
    const char* spoken = "";  // a button's or a check box's window text: its name for a screen reader
};

// Creation order.
const ControlSpec kControls[] = {
    {16, "UserFolderButton", Kind::Image, 0, 0, 36, 28, "Préférences Utilisateur"},
    {6, "SelectFolderButton", Kind::Image, 36, 0, 37, 28, "Sélection Répertoire"},
    {15, "ContentLabel", Kind::Label, 74, 12, 110, 18},
    {4, "FolderPathField", Kind::Edit, 185, 12, 415, 18},
    {5, "TitleCombo", Kind::Combo, 600, 12, 195, 19},
    {11, "PlayAllCheck", Kind::Check, 5, 38, 15, 15, "Tout lire"},
    {12, "ContinuousCheck", Kind::Check, 70, 38, 15, 15, "Lecture continue"},
    {2, "PlayButton", Kind::Image, 185, 38, 42, 15, "Play"},
    {13, "PauseButton", Kind::Image, 227, 38, 42, 15, "Pause"},
    {14, "ResumeButton", Kind::Image, 269, 38, 42, 15, "Reprendre"},
    {3, "StopButton", Kind::Image, 311, 38, 42, 15, "Stop"},
    {7, "ElapsedDisplay", Kind::Label, 395, 36, 35, 18},
    {8, "DurationDisplay", Kind::Label, 467, 36, 35, 18},
    {9, "CountDisplay", Kind::Label, 542, 36, 35, 18},
    {10, "SecondsDisplay", Kind::Label, 625, 36, 35, 18},
    {23, "VolumeButton", Kind::Image, 668, 35, 20, 20, "Réglage du volume"},
    {18, "HelpButton", Kind::Image, 688, 35, 20, 20, "Aide"},
    {17, "AboutButton", Kind::Image, 708, 35, 20, 20, "A propos"},
    {20, "MinimizeButton", Kind::Image, 728, 35, 20, 20, "Réduire"},
    {19, "CloseButton", Kind::Image, 748, 35, 20, 20, "Fermer"},
    {21, "WebButton", Kind::Image, 768, 35, 20, 20, "Corvalis on line"},
    {22, "TrackProgressBar", Kind::Bar, 0, 56, 795, 9},
};

const int kHandControls[] = {2, 13, 14, 3, 11, 12, 6, 16, 23, 18, 17, 20, 19, 21};

struct Caption {
    const char* text;
    int x;
    int width;  // generous width of the painted text
};
const int kCaptionTop = 38;
const Caption kCaptions[] = {
    {"Temps", 360, 34},     {"Durée", 435, 32},  {"Count", 507, 34},
    {"Seconds", 582, 44},   {"Tout lire", 25, 44}, {"Lecture continue", 90, 90},
};

const COLORREF kCaptionColour = RGB(57, 112, 177);

// A started player whose current directory holds two titles and no preferences file.
struct FaceRun {
    Scratch scratch;
    std::string cwd;
    std::unique_ptr<Player> player;
    FaceRun() {
        cwd = scratch.folder("cwd");
        writeWav(cwd + "Alpha.wav", 1.5);
        writeWav(cwd + "Beta.wav", 3.2);
        player = std::make_unique<Player>(scratch.exe(), cwd);
        require(player->waitWindows(), "both windows are visible");
        // The loop's first pass writes the idle indicators.
        require(waitUntil([&] { return text(player->control(7)) == "0:00" && text(player->control(9)) == "0"; }, 5000),
                "the main loop has run");
    }
};

std::string bits(LONG v) { return format("0x%08lX", static_cast<unsigned long>(v)); }

void expectBits(LONG value, LONG set, LONG clear, const std::string& what) {
    check((value & set) == set && (value & clear) == 0,
          what + ": " + bits(value) + " has " + bits(set) + " and none of " + bits(clear));
}

RECT expectedStripRect() {
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    int w = std::min(kWidth, sw), h = std::min(kHeight, sh);
    int x = (sw - w) / 2, y = (sh - h) / 2;
    return RECT{x, y, x + w, y + h};
}

bool closeTo(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Counts the pixels of a rectangle (client coordinates of the strip at `origin`) near a colour.
int countColour(const Shot& shot, POINT origin, RECT r, COLORREF colour, int tolerance) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (closeTo(shot.pixel(origin.x + x, origin.y + y), colour, tolerance)) ++n;
    return n;
}

}  // namespace

VIREO_E2E_CASE(face_windows) {
    FaceRun run;
    Player& p = *run.player;
    RECT want = expectedStripRect();
    struct Win {
        HWND h;
        const char* name;
        const char* cls;
        const char* title;
        HWND owner;
    } wins[] = {{p.backdrop(), "BackdropWindow", "VireoBackdrop", "Vireo", nullptr},
                {p.main(), "MainWindow", "VireoMain", "", p.backdrop()}};
    for (const Win& w : wins) {
        std::string n = w.name;
        checkEq(w.cls, className(w.h), n + " class");
        checkEq(describe(want), describe(screenRect(w.h)), n + " rectangle on the screen");
        RECT client{};
        GetClientRect(w.h, &client);
        checkEq(describe(RECT{0, 0, kWidth, kHeight}), describe(client), n + " client area");
        checkEq(w.title, text(w.h), n + " title");
        check(GetWindow(w.h, GW_OWNER) == w.owner, n + (w.owner ? " is owned by BackdropWindow" : " has no owner"));
        expectBits(style(w.h), WS_POPUP | WS_VISIBLE, WS_CHILD | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, n + " style");
        expectBits(exStyle(w.h), WS_EX_LAYERED, WS_EX_TOOLWINDOW, n + " extended style");
        check(IsWindowEnabled(w.h), n + " enabled");
    }
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (check(GetLayeredWindowAttributes(p.main(), &key, &alpha, &flags), "MainWindow layered attributes readable")) {
        checkEq(describeColour(RGB(255, 0, 255)), describeColour(key), "MainWindow colour key");
        checkEq(LWA_COLORKEY, flags, "MainWindow layered mode (colour key only)");
    }
    // Only BackdropWindow stands in the task bar: MainWindow is owned, BackdropWindow is not a tool window.
    check(GetWindow(p.main(), GW_OWNER) == p.backdrop(), "MainWindow owned (no task bar button of its own)");
    p.closeAndCheck();
}

VIREO_E2E_CASE(face_controls) {
    FaceRun run;
    Player& p = *run.player;
    HWND main = p.main();

    // Direct children in z-order are the creation order.
    std::vector<int> order;
    for (HWND c = GetWindow(main, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(GetDlgCtrlID(c));
    std::string want, got;
    for (const ControlSpec& s : kControls) want += std::to_string(s.id) + " ";
    for (int id : order) got += std::to_string(id) + " ";
    checkEq(want, got, "control ids in creation order");

    std::vector<std::string> titles = musicEntries(run.cwd);
    // Every pass of the main loop writes the idle position (an empty reply reads 0)
    // into ElapsedDisplay and CountDisplay; SecondsDisplay waits for a first track.
    std::map<int, std::string> texts = {{15, " Contenu : Vide"}, {4, ""}, {8, "0:00."}, {7, "0:00"}, {9, "0"},
                                        {10, ""}, {5, titles.empty() ? "" : titles[0]}};
    const std::map<int, bool> disabled = {{13, true}, {14, true}, {3, true}};
    // The font cannot be checked here: under Wine WM_GETFONT gives 0 across processes.

    for (const ControlSpec& s : kControls) {
        std::string n = std::string(s.name) + " (" + std::to_string(s.id) + ")";
        HWND h = GetDlgItem(main, s.id);
        if (!check(h != nullptr, n + " exists")) continue;
        check(GetParent(h) == main, n + " is a child of MainWindow");
        checkEq(describe(RECT{s.x, s.y, s.x + s.w, s.y + s.h}), describe(rectIn(h, main)), n + " rectangle");
        LONG st = style(h), ex = exStyle(h);
        check((st & (WS_CHILD | WS_VISIBLE)) == (WS_CHILD | WS_VISIBLE), n + " visible child " + bits(st));
        bool wantEnabled = !disabled.count(s.id);
        checkEq(wantEnabled, IsWindowEnabled(h) != 0, n + " enabled");
        switch (s.kind) {
            case Kind::Image:
                checkEq("Button", className(h), n + " class");
                checkEq(BS_PUSHBUTTON, st & BS_TYPEMASK, n + " push button type");
                // A picture button: its window text names it and is never drawn,
                // since it holds an image (a BS_BITMAP button without one draws its text).
                expectBits(st, WS_TABSTOP | BS_BITMAP, 0, n + " style");
                checkEq(s.spoken, text(h), n + " text");
                check(sendA(h, BM_GETIMAGE, IMAGE_BITMAP).value_or(0) != 0, n + " holds an image");
                break;
            case Kind::Check:
                checkEq("Button", className(h), n + " class");
                checkEq(BS_AUTOCHECKBOX, st & BS_TYPEMASK, n + " automatic check box type");
                expectBits(st, WS_TABSTOP, 0, n + " style");
                checkEq(s.spoken, text(h), n + " text");
                check(sendA(h, BM_GETIMAGE, IMAGE_BITMAP).value_or(0) != 0, n + " holds an image, drawn for its text");
                checkEq(s.id == 11 ? BST_CHECKED : BST_UNCHECKED, buttonCheck(h), n + " tick");
                break;
            case Kind::Label:
                checkEq("Static", className(h), n + " class");
                checkEq(SS_LEFT, st & SS_TYPEMASK, n + " left-aligned text");
                expectBits(ex, WS_EX_CLIENTEDGE, 0, n + " extended style");
                checkEq(texts[s.id], text(h), n + " text");
                break;
            case Kind::Edit:
                checkEq("Edit", className(h), n + " class");
                expectBits(st, ES_AUTOHSCROLL | WS_TABSTOP, ES_READONLY | ES_MULTILINE, n + " style");
                expectBits(ex, WS_EX_CLIENTEDGE, 0, n + " extended style");
                checkEq(texts[s.id], text(h), n + " text");
                break;
            case Kind::Combo: {
                checkEq("ComboBox", className(h), n + " class");
                checkEq(CBS_DROPDOWNLIST, st & 3, n + " drop-down list");
                // WS_VSCROLL cannot be read back: the platform takes it off the combo box and
                // its drop-down list shows the scroll bar only when the titles overflow.
                expectBits(st, WS_TABSTOP, CBS_SORT, n + " style");
                RECT r = screenRect(h);
                checkEq(19, r.bottom - r.top, n + " closed height");
                auto items = comboItems(h);
                checkEq(static_cast<int64_t>(titles.size()), static_cast<int64_t>(items.size()), n + " item count");
                checkEq(titles.empty() ? -1 : 0, comboSelection(h), n + " selection");
                checkEq(texts[s.id], text(h), n + " text (selected title)");
                break;
            }
            case Kind::Bar: {
                checkEq("msctls_progress32", className(h), n + " class");
                expectBits(st, PBS_SMOOTH, PBS_VERTICAL, n + " style");
                checkEq(0, sendA(h, PBM_GETRANGE, TRUE).value_or(-1), n + " range low");
                checkEq(100, sendA(h, PBM_GETRANGE, FALSE).value_or(-1), n + " range high");
                checkEq(0, sendA(h, PBM_GETPOS).value_or(-1), n + " position");
                checkEq(describeColour(RGB(205, 211, 211)),
                        describeColour(static_cast<COLORREF>(sendA(h, PBM_GETBKCOLOR).value_or(0))),
                        n + " background colour");
                break;
            }
        }
    }
    p.closeAndCheck();
}

// Tip colours unlike any other system colour for this case, so that a tip in
// another system colour (or a fixed one) shows. The player sets the two info
// colours, which are also what a tip starts with: that the two settings are sent
// at all cannot be seen from outside, only which colours they give.
struct InfoColours {
    int index[2] = {COLOR_INFOTEXT, COLOR_INFOBK};
    COLORREF before[2] = {GetSysColor(COLOR_INFOTEXT), GetSysColor(COLOR_INFOBK)};
    COLORREF wanted[2] = {RGB(30, 20, 10), RGB(100, 210, 200)};
    Cleanup restore{[this] { SetSysColors(2, index, before); }};
    InfoColours() {
        SetSysColors(2, index, wanted);
        require(GetSysColor(COLOR_INFOTEXT) == wanted[0] && GetSysColor(COLOR_INFOBK) == wanted[1],
                "distinct tip colours set for this case");
        for (int other = 0; other <= COLOR_MENUBAR; ++other)
            if (other != COLOR_INFOTEXT && other != COLOR_INFOBK)
                require(GetSysColor(other) != wanted[0] && GetSysColor(other) != wanted[1],
                        format("system colour %d differs from the tip colours", other));
    }
};

VIREO_E2E_CASE(face_tooltips) {
    InfoColours colours;
    FaceRun run;
    Player& p = *run.player;
    auto tips = readTooltips(p.process(), p.pid());
    std::vector<TipWindow> balloons, plain;
    for (auto& t : tips) (t.style & TTS_BALLOON ? balloons : plain).push_back(t);
    checkEq(2, static_cast<int64_t>(balloons.size()), "balloon tooltip windows");
    checkEq(1, static_cast<int64_t>(plain.size()), "plain tooltip windows");

    struct BalloonSpec {
        int id;
        const char* title;
        const char* text;
    } balloonSpecs[] = {
        {16, "Préférences Utilisateur",
         "Présélectionnez un répertoire qui sera chargé automatiquement à chaque démarrage."},
        {6, "Sélection Répertoire",
         "Naviguez sur votre système pour y trouver un répertoire contenant des fichiers musicaux et le charger "
         "pour l'écoute ."},
    };
    for (const auto& b : balloonSpecs) {
        HWND control = p.control(b.id);
        std::string n = format("balloon of control %d", b.id);
        auto it = std::find_if(balloons.begin(), balloons.end(), [&](const TipWindow& t) {
            return t.tools.size() == 1 && t.tools[0].id == reinterpret_cast<UINT_PTR>(control);
        });
        if (!check(it != balloons.end(), n + " found")) continue;
        const TipWindow& t = *it;
        expectBits(t.style, WS_POPUP | TTS_NOPREFIX | TTS_BALLOON, TTS_ALWAYSTIP, n + " style");
        expectBits(t.exStyle, 0, WS_EX_TOPMOST, n + " extended style");
        check(t.owner == nullptr, n + " has no owner");
        checkEq(1, t.toolCount, n + " tool count");
        checkEq(200, t.maxTipWidth, n + " wrap width");
        checkEq(describeColour(colours.wanted[0]), describeColour(t.textColour), n + " text colour (COLOR_INFOTEXT)");
        checkEq(describeColour(colours.wanted[1]), describeColour(t.backColour), n + " background colour (COLOR_INFOBK)");
        const Tool& tool = t.tools[0];
        expectBits(static_cast<LONG>(tool.flags), TTF_IDISHWND | TTF_SUBCLASS, 0, n + " tool flags");
        check(tool.hwnd == control, n + " tool window is the control");
        checkEq(b.text, tool.text, n + " text");
        if (t.title.empty() && underWine()) {
            check(tipStateHoldsString(p.process(), t.hwnd, widen(b.title)),
                  n + " title " + show(b.title) + " (found in the tooltip's state: Wine has no TTM_GETTITLE)");
            check(!tipStateHoldsString(p.process(), t.hwnd, widen(std::string(b.title) + "s")),
                  n + " title search tells a different text apart");
        } else {
            checkEq(b.title, t.title, n + " title");
            checkEq(0, t.titleIcon, n + " title icon");
        }
    }

    if (!plain.empty()) {
        const TipWindow& t = plain[0];
        expectBits(t.style, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, TTS_BALLOON, "plain tooltip style");
        expectBits(t.exStyle, WS_EX_TOPMOST, 0, "plain tooltip extended style");
        check(t.owner == nullptr, "plain tooltip has no owner");
        checkEq(10, t.toolCount, "plain tooltip tool count");
        if (!underWine()) checkEq("", t.title, "plain tooltip title");
        struct PlainSpec {
            int id;
            const char* text;
        } plainSpecs[] = {{2, "Play"},  {13, "Pause"},  {14, "Reprendre"},  {3, "Stop"},    {23, "Réglage du volume"},
                          {18, "Aide"}, {17, "A propos"}, {20, "Réduire"}, {19, "Fermer"}, {21, "Corvalis on line"}};
        for (size_t i = 0; i < std::size(plainSpecs); ++i) {
            const auto& s = plainSpecs[i];
            std::string n = format("plain tip %zu (control %d)", i, s.id);
            if (!check(i < t.tools.size(), n + " present")) continue;
            const Tool& tool = t.tools[i];
            check(tool.id == reinterpret_cast<UINT_PTR>(p.control(s.id)), n + " is for the control");
            check(tool.hwnd == p.main(), n + " window is MainWindow");
            expectBits(static_cast<LONG>(tool.flags), TTF_IDISHWND | TTF_SUBCLASS, 0, n + " flags");
            checkEq(s.text, tool.text, n + " text");
        }
    }
    p.closeAndCheck();
}

VIREO_E2E_CASE(face_cursor) {
    FaceRun run;
    Player& p = *run.player;
    HANDLE hand = nullptr;
    for (const ControlSpec& s : kControls) {
        HWND h = p.control(s.id);
        if (!h) continue;
        bool wants = std::find(std::begin(kHandControls), std::end(kHandControls), s.id) != std::end(kHandControls);
        HANDLE cursor = GetPropA(h, "cursor");
        HANDLE oldproc = GetPropA(h, "oldproc");
        std::string n = std::string(s.name) + " (" + std::to_string(s.id) + ")";
        if (wants) {
            check(cursor != nullptr, n + " has the \"cursor\" property");
            check(oldproc != nullptr, n + " has the \"oldproc\" property");
            if (!hand) hand = cursor;
            check(cursor == hand, n + " shows the same pointer as the others");
        } else {
            check(cursor == nullptr && oldproc == nullptr, n + " has neither property");
        }
    }
    check(GetPropA(p.main(), "cursor") == nullptr && GetPropA(p.backdrop(), "cursor") == nullptr,
          "the windows themselves carry no pointer property");

    // What the user sees, read from the X server: the platform's own hand over
    // each hand control, and its arrow again once the mouse leaves for the strip.
    const std::string handRef = systemPointer(IDC_HAND, POINT{60, 60});
    const std::string arrowRef = systemPointer(IDC_ARROW, POINT{60, 60});
    const std::string beamRef = systemPointer(IDC_IBEAM, POINT{60, 60});
    note("hand: " + handRef + "; arrow: " + arrowRef + "; text beam: " + beamRef);
    require(!handRef.empty() && !arrowRef.empty() && !beamRef.empty() && beamRef != arrowRef,
            "the screen's pointer can be read (x_cursor, built by tests/e2e/wine-env.sh)");
    require(handRef != arrowRef, "the hand and the arrow look different");
    RECT strip = screenRect(p.main());
    // MainWindow's free area is keyed out, so the mouse there is over the
    // backdrop: one point between the captions, one above FolderPathField.
    const std::pair<POINT, const char*> away[] = {{POINT{strip.left + 450, strip.top + 33}, "the strip between the captions"},
                                                  {POINT{strip.left + 400, strip.top + 9}, "the strip above the path"}};
    int nudge = 0;
    auto pointerAt = [&](POINT pt, const std::string& want) {
        std::string seen;
        waitUntil([&] {
            mouseTo(pt.x + (nudge++ % 2), pt.y);
            return (seen = screenPointer()) == want;
        }, 3000, 10);
        return seen;
    };
    // A disabled button leaves the mouse to its parent, so each hand control is
    // tried while it is enabled: at rest, playing (Pause, Stop), paused (Reprendre).
    auto tryControls = [&](const std::vector<int>& ids) {
        for (int id : ids) {
            const ControlSpec& s = *std::find_if(std::begin(kControls), std::end(kControls),
                                                 [&](const ControlSpec& c) { return c.id == id; });
            bool wants = std::find(std::begin(kHandControls), std::end(kHandControls), id) != std::end(kHandControls);
            HWND h = p.control(id);
            RECT r = screenRect(h);
            POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            std::string n = std::string(s.name) + " (" + std::to_string(id) + ")";
            if (wants) {
                check(IsWindowEnabled(h) != FALSE, n + " is enabled for the pointer check");
                checkEq(handRef, pointerAt(centre, handRef), "the hand over " + n);
                const auto& to = away[id % 2];
                checkEq(arrowRef, pointerAt(to.first, arrowRef), std::string("the arrow over ") + to.second +
                                                                     " after leaving " + n);
            } else {
                // The field shows the text beam, the others the arrow; come from
                // a place with the other pointer, so that a stale one cannot pass.
                bool field = s.kind == Kind::Edit;
                RECT e = screenRect(p.control(4));
                POINT before = field ? away[0].first : POINT{(e.left + e.right) / 2, (e.top + e.bottom) / 2};
                pointerAt(before, field ? arrowRef : beamRef);
                const std::string& want = field ? beamRef : arrowRef;
                checkEq(want, pointerAt(centre, want), "no hand over " + n);
            }
        }
    };
    tryControls({16, 6, 15, 4, 5, 11, 12, 2, 23, 18, 17, 20, 19, 21});
    HWND combo = p.control(5);
    sendA(combo, CB_SETCURSEL, 1);  // Beta.wav, 3.2 s: long enough for the checks while it plays
    click(p.control(2));
    require(waitUntil([&] { return IsWindowEnabled(p.control(13)) && IsWindowEnabled(p.control(3)); }, 3000),
            "Play enables Pause and Stop");
    tryControls({13, 3});
    click(p.control(13));
    require(waitUntil([&] { return IsWindowEnabled(p.control(14)) != FALSE; }, 3000), "Pause enables Reprendre");
    tryControls({14});
    click(p.control(3));
    checkEq(arrowRef, pointerAt(away[0].first, arrowRef), std::string("the arrow over ") + away[0].second + " at the end");
    p.closeAndCheck();
}

// What a strip at this scale must show, its top-left corner at `origin`: both
// windows and every control at their places scaled (edges, halves up); no
// label's text cut or wrapped (its ink on one line, ending inside). The
// captions are the goldens' (strip_pixels_150, _200).
void expectScaledStrip(Player& p, const DisplayScale& sc, POINT origin, const std::string& at) {
    const RECT strip{origin.x, origin.y, origin.x + sc(kWidth), origin.y + sc(kHeight)};
    checkEq(describe(strip), describe(screenRect(p.main())), "MainWindow" + at);
    checkEq(describe(strip), describe(screenRect(p.backdrop())), "BackdropWindow" + at);
    for (const ControlSpec& c : kControls)
        checkEq(describe(RECT{sc(c.x), sc(c.y), sc(c.x + c.w), sc(c.y + c.h)}), describe(rectIn(p.control(c.id), p.main())),
                std::string(c.name) + at);
    // Drawn, and still: two captures alike.
    std::optional<Shot> shot, last;
    auto same = [&] {
        for (int y = strip.top; y < strip.bottom; ++y)
            for (int x = strip.left; x < strip.right; ++x)
                if (shot->pixel(x, y) != last->pixel(x, y)) return false;
        return true;
    };
    waitUntil([&] {
        last = std::move(shot);
        shot = captureScreen();
        return shot && last && shot->pixel(origin.x + sc(625 + 30), origin.y + sc(36 + 9)) == RGB(0, 0, 0) && same();
    }, 5000, 150);
    if (!check(shot.has_value() && last.has_value(), "a still capture" + at)) return;
    shot->save(shotPath(caseName() + format("-%d-%ld", sc.dpi(), strip.left)));
    struct Label {
        int id;
        COLORREF back;
    };
    for (const Label& l : {Label{15, RGB(41, 119, 202)}, Label{7, 0}, Label{8, 0}, Label{9, 0}}) {
        RECT r = screenRect(p.control(l.id));
        InflateRect(&r, -2, -2);  // the sunken edge
        int right = -1, lines = 0;
        bool inked = false;  // the row above
        for (int y = r.top; y < r.bottom; ++y) {
            bool row = false;
            for (int x = r.left; x < r.right; ++x)
                if (!closeTo(shot->pixel(x, y), l.back, 40)) {
                    right = std::max(right, x);
                    row = true;
                }
            lines += row && !inked;
            inked = row;
        }
        // A text too wide wraps: a second line shows below the first, or the
        // first runs to the edge.
        check(right >= 0 && right < r.right - 1 && lines == 1,
              format("%s whole on one line%s: ink to column %ld of %ld, %d line(s)", show(text(p.control(l.id))).c_str(),
                     at.c_str(), right - r.left, r.right - r.left, lines));
    }
}

// The strip at 150 % and 200 % of the display, as the system hands the scale
// to the program (100 %: face_windows, face_controls). Then, at 100 %, a move
// onto a monitor of another scale, as Windows reports it (WM_DPICHANGED, with
// the place it suggests) while a title plays: the strip takes the new scale
// there and back, and the title plays on.
VIREO_E2E_CASE(face_scales) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    for (int dpi : {144, 192}) {
        DisplayScale sc(dpi);
        FaceRun run;
        if (!startsAtTheMonitorsScale(*run.player, dpi))
            expectScaledStrip(*run.player, sc, POINT{(sw - sc(kWidth)) / 2, (sh - sc(kHeight)) / 2},
                              format(" at %d dpi", dpi));
        run.player->closeAndCheck();
    }
    DisplayScale plain(96);
    FaceRun run;
    Player& p = *run.player;
    click(p.control(2));
    require(waitUntil([&] { return IsWindowEnabled(p.control(13)) != FALSE; }, 5000), "a title plays");
    RemoteMemory place(p.process(), sizeof(RECT));
    for (int dpi : {144, 96}) {
        const DisplayScale sc(dpi);
        const RECT now = screenRect(p.main());
        const RECT suggested{now.left - 30, now.top - 20, now.left - 30 + sc(kWidth), now.top - 20 + sc(kHeight)};
        require(place.write(0, &suggested, sizeof suggested), "the suggested place in the player's memory");
        PostMessageA(p.main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(place.at(0)));
        waitUntil([&] { return describe(screenRect(p.backdrop())) == describe(suggested) &&
                               describe(screenRect(p.main())) == describe(suggested); }, 3000);
        expectScaledStrip(p, sc, POINT{suggested.left, suggested.top}, format(" moved to a %d dpi monitor", dpi));
        const std::string count = text(p.control(9));
        check(IsWindowEnabled(p.control(13)) && waitUntil([&] { return text(p.control(9)) != count; }, 3000),
              format("the title plays on at %d dpi (count %s, then %s)", dpi, count.c_str(), text(p.control(9)).c_str()));
    }
    p.closeAndCheck();
}

// Presses a backdrop pixel (not a control, not keyed out) and drags the strip.
VIREO_E2E_CASE(face_drag) {
    FaceRun run;
    Player& p = *run.player;
    RECT b0 = screenRect(p.backdrop()), m0 = screenRect(p.main());
    POINT from{m0.left + 450, m0.top + 33};
    POINT to{from.x - 120, from.y - 200};
    dragMouse(from, to, 12);
    // The backdrop follows MainWindow's moves one step behind: wait for both.
    RECT want{m0.left - 120, m0.top - 200, m0.right - 120, m0.bottom - 200};
    waitUntil([&] { return describe(screenRect(p.main())) == describe(want) &&
                           describe(screenRect(p.backdrop())) == describe(want); }, 3000);
    RECT b1 = screenRect(p.backdrop()), m1 = screenRect(p.main());
    checkEq(describe(want), describe(m1), "MainWindow moved with the mouse");
    checkEq(describe(m1), describe(b1), "BackdropWindow lies exactly under MainWindow");
    check(b0.left != b1.left, "BackdropWindow moved");

    // The press activated the backdrop; the controls must come back on top of it
    // (the raise is posted, so wait for it).
    POINT o{m1.left, m1.top};
    std::optional<Shot> shot;
    auto controlsOnTop = [&] {
        shot = captureScreen();
        return shot && shot->pixel(o.x + 74 + 100, o.y + 12 + 9) == RGB(41, 119, 202) &&
               shot->pixel(o.x + 185 + 400, o.y + 12 + 9) == RGB(41, 119, 202);
    };
    waitUntil(controlsOnTop, 3000, 100);
    if (check(shot.has_value(), "screen capture works")) {
        shot->save(shotPath(caseName()));
        checkEq(describeColour(RGB(41, 119, 202)), describeColour(shot->pixel(o.x + 74 + 100, o.y + 12 + 9)),
                "ContentLabel background visible after the drag");
        checkEq(describeColour(RGB(41, 119, 202)), describeColour(shot->pixel(o.x + 185 + 400, o.y + 12 + 9)),
                "FolderPathField background visible after the drag");
    }
    p.closeAndCheck();
}

VIREO_E2E_CASE(face_screenshot) {
    RECT strip = expectedStripRect();
    // A known colour behind the strip, so that see-through pixels can be told apart.
    const COLORREF behind = RGB(0, 150, 90);
    ColourCurtain curtain(RECT{strip.left - 20, strip.top - 20, strip.right + 20, strip.bottom + 20}, behind);
    require(curtain.shown(), "a coloured window behind the strip");
    auto before = captureScreen();
    require(before.has_value(), "screen capture works");
    checkEq(describeColour(behind), describeColour(before->pixel(strip.left + 100, strip.top + 3)),
            "the colour behind the strip before the start");
    FaceRun run;
    Player& p = *run.player;
    POINT o{strip.left, strip.top};
    // Under Wine the layered backdrop reaches the screen about a second after the
    // windows turn visible: wait for row 9 to be drawn.
    std::optional<Shot> shot;
    DWORD start = GetTickCount();
    auto rowDrawn = [&](const Shot& s, int y) {
        int changed = 0;
        for (int x = 80; x < kWidth - 5; ++x)
            if (s.pixel(o.x + x, o.y + y) != before->pixel(o.x + x, o.y + y)) ++changed;
        return changed;
    };
    waitUntil([&] { return (shot = captureScreen()) && rowDrawn(*shot, 9) > (kWidth - 85) * 9 / 10; }, 5000, 100);
    require(shot.has_value(), "screen capture works with the player up");
    note(format("backdrop on the screen %lu ms after the windows were visible", GetTickCount() - start));
    // The controls paint in their own window: wait for the label, field and display backgrounds too.
    waitUntil([&] {
        return (shot = captureScreen()) && shot->pixel(o.x + 74 + 100, o.y + 12 + 9) == RGB(41, 119, 202) &&
               shot->pixel(o.x + 185 + 400, o.y + 12 + 9) == RGB(41, 119, 202) &&
               shot->pixel(o.x + 625 + 30, o.y + 36 + 9) == RGB(0, 0, 0);
    }, 5000, 100);
    require(shot.has_value(), "screen capture works with the player up");
    std::string path = shotPath(caseName());
    check(shot->save(path), "screenshot saved to " + path);

    // Top band: see-through outside the two folder buttons.
    int same = 0, total = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 73; x < kWidth; ++x) {
            ++total;
            if (shot->pixel(o.x + x, o.y + y) == before->pixel(o.x + x, o.y + y)) ++same;
        }
    checkEq(total, same, "pixels of rows 0-7 right of the folder buttons that show what lies behind");
    checkEq(total, countColour(*shot, o, RECT{73, 0, kWidth, 8}, behind, 0),
            "pixels of rows 0-7 right of the folder buttons in the colour behind the strip");
    int changed = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 2; x < 70; ++x)
            if (shot->pixel(o.x + x, o.y + y) != before->pixel(o.x + x, o.y + y)) ++changed;
    check(changed > 8 * 68 * 9 / 10, format("the folder buttons cover rows 0-7 (%d of %d pixels changed)", changed, 8 * 68));
    int opaque = rowDrawn(*shot, 9);
    check(opaque > (kWidth - 85) * 9 / 10, format("row 9 is drawn by the backdrop (%d of %d pixels changed)", opaque, kWidth - 85));
    checkEq(0, countColour(*shot, o, RECT{0, 0, kWidth, kHeight}, RGB(255, 0, 255), 0), "magenta pixels visible");

    for (const Caption& c : kCaptions) {
        RECT box{c.x - 1, kCaptionTop - 1, c.x + c.width, kCaptionTop + 13};
        int exact = countColour(*shot, o, box, kCaptionColour, 8);
        int blended = 0;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) {
                COLORREF px = shot->pixel(o.x + x, o.y + y);
                // Blended toward the drawing colour: blue clearly above red.
                if (GetBValue(px) > GetRValue(px) + 40) ++blended;
            }
        check(exact >= 4 && blended >= 12,
              format("caption \"%s\" painted in RGB 57,112,177 near x %d: %d pixels in the colour, %d blended",
                     show(c.text).c_str(), c.x, exact, blended));
    }
    // Control colours.
    checkEq(describeColour(RGB(41, 119, 202)), describeColour(shot->pixel(o.x + 74 + 100, o.y + 12 + 9)),
            "ContentLabel background");
    checkEq(describeColour(RGB(41, 119, 202)), describeColour(shot->pixel(o.x + 185 + 400, o.y + 12 + 9)),
            "FolderPathField background");
    checkEq(describeColour(RGB(0, 0, 0)), describeColour(shot->pixel(o.x + 625 + 30, o.y + 36 + 9)),
            "SecondsDisplay background");
    int digits = countColour(*shot, o, RECT{467, 36, 467 + 35, 36 + 18}, RGB(127, 238, 128), 40);
    check(digits >= 6, format("DurationDisplay shows \"0:00.\" in RGB 127,238,128 (%d pixels)", digits));
    checkEq(describeColour(RGB(205, 211, 211)), describeColour(shot->pixel(o.x + 400, o.y + 60)),
            "TrackProgressBar background");
    p.closeAndCheck();
}

