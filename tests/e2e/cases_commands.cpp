// Windows controls the player: the keyboard's media keys (SendInput, as a
// keyboard types them), the taskbar's thumbnail buttons (their WM_COMMAND,
// posted to the backdrop as the taskbar sends it), the system's media
// controls (the message their handler posts to the backdrop), and a folder or
// a title dropped on the strip (WM_DROPFILES with the drop's block in the
// player's memory). Each command acts once, in every state, and not at all
// while a box is open or with no title listed.
//
// What Wine cannot show: Wine 8 has no system media controls (their
// activation fails) and a taskbar that shows no thumbnail, never clicks one
// and never says "TaskbarButtonCreated"; Wine 10's media controls are a stub
// that takes everything and never presses a button. There the keyboard's
// media keys, once a title has played, are left to the system (as on
// Windows), so the case presses the media controls' buttons instead. The
// handler that posts those presses runs here in the driver's own process,
// against the real system objects (system_controls_adapter).
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "playback/system_controls_win32.h"
#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/e2e/probe.h"
#include "tests/e2e/strip.h"

using namespace vireo::e2e;

namespace {

enum Id { PlayButton = 2, StopButton = 3, FolderPathField = 4, TitleCombo = 5, HelpButton = 18, PauseButton = 13,
          ResumeButton = 14, ContentLabel = 15, CountDisplay = 9 };
const std::string kPlaying = "DEDEDD", kPaused = "DDEEDD", kReady = "EDDDEE", kEnded = "EDDDED";
// The media controls' buttons, and the message their handler posts.
enum SystemButton { SystemPlay = 0, SystemPause = 1, SystemStop = 2, SystemNext = 6, SystemPrevious = 7 };
constexpr UINT kSystemButtonMessage = WM_APP + 2;

// Whether the system's media controls can go live here: the adapter's own
// start, in the driver.
bool SystemControlsLive() {
    const HRESULT com = CoInitialize(nullptr);
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    bool live = false;
    {
        vireo::Win32SystemControls controls(window, WM_APP, nullptr);
        live = controls.start();
    }
    DestroyWindow(window);
    if (SUCCEEDED(com)) CoUninitialize();
    return live;
}

// Nothing more will happen: what was typed or posted has been taken and
// dispatched (the second answer comes from a later pass than the first).
void quiet(const Player& p) {
    sleepMs(300);
    p.settle();
    p.settle();
}

// A drop as the shell hands it over: a DROPFILES block, wide names, in the
// player's own memory.
bool drop(Player& p, const std::vector<std::wstring>& paths) {
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    names += L'\0';
    DROPFILES block{};
    block.pFiles = sizeof block;
    block.fWide = TRUE;
    RemoteMemory memory(p.process(), sizeof block + names.size() * sizeof(wchar_t));
    if (!memory.write(0, &block, sizeof block) ||
        !memory.write(sizeof block, names.data(), names.size() * sizeof(wchar_t)))
        return false;
    return sendW(p.main(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory.at(0)), 0).has_value();
}

}  // namespace

VIREO_E2E_CASE(commands_from_windows) {
    Strip s({{"Un.wav", 2.2}, {"Deux.wav", 2.2}, {"Trois.wav", 2.2}});
    s.start();
    Player& p = *s.player;
    require(p.settle(10000), "the player is in its loop");
    const bool live = SystemControlsLive();
    note(live ? "the system's media controls go live here: once a title has played, the keys are theirs"
              : "no system media controls here: the keys reach the strip");
    // Listed in the order Explorer shows: Deux, Trois, Un.
    constexpr int first = 0, second = 1, last = 2;
    s.choose("Deux.wav");
    require(clickIn(s.c(FolderPathField)), "the pointer over the path field");
    require(waitUntil([&] { return focusOf(p.main()) == s.c(FolderPathField); }, 3000), "the strip has the keyboard");

    // Before any title the keys are the strip's, with or without the media controls.
    auto selected = [&] { return comboSelection(s.c(TitleCombo)); };
    pressKey(VK_MEDIA_NEXT_TRACK);
    check(waitUntil([&] { return selected() == second; }, 3000), "Ready: Next selects the next title");
    pressKey(VK_MEDIA_PREV_TRACK);
    check(waitUntil([&] { return selected() == first; }, 3000), "Previous, the one before");
    pressKey(VK_MEDIA_PREV_TRACK);
    quiet(p);
    checkEq(first, selected(), "Previous on the first title, no Lecture continue: nothing");
    s.reach(kReady, 0, "Next and Previous in Ready start nothing");
    pressKey(VK_MEDIA_PLAY_PAUSE);
    s.reach(kPlaying, 3000, "Play/Pause in Ready");
    quiet(p);
    s.reach(kPlaying, 0, "Play/Pause acted once (twice would have paused)");

    // From now on, where the media controls are live, the keyboard's keys go
    // to them and they press the strip's buttons; the strip takes none itself.
    if (live) {
        pressKey(VK_MEDIA_PLAY_PAUSE);
        pressKey(VK_MEDIA_NEXT_TRACK);
        quiet(p);
        s.reach(kPlaying, 0, "with the media controls live, a key is theirs: the strip does not act on it");
        checkEq(first, selected(), "nor on Next");
    }
    auto command = [&](WORD key, int button) {
        if (live)
            PostMessageW(p.backdrop(), kSystemButtonMessage, button, 0);
        else
            pressKey(key);
    };
    command(VK_MEDIA_PLAY_PAUSE, SystemPause);
    s.reach(kPaused, 3000, "Pause while playing");
    quiet(p);
    s.reach(kPaused, 0, "once");
    command(VK_MEDIA_PLAY_PAUSE, SystemPlay);
    s.reach(kPlaying, 3000, "Reprendre while paused");
    command(VK_MEDIA_NEXT_TRACK, SystemNext);
    check(waitUntil([&] { return selected() == second && text(s.c(CountDisplay)) == "0"; }, 3000),
          "Next while playing: the next title from its start");
    s.reach(kPlaying, 3000, "and it plays");
    command(VK_MEDIA_PREV_TRACK, SystemPrevious);
    check(waitUntil([&] { return selected() == first; }, 3000), "Previous while playing");
    s.reach(kPlaying, 3000, "and it plays");

    // The thumbnail's buttons are the strip's: a disabled one does nothing.
    // Wine's taskbar never says it has made the button: say it as the shell
    // does (again after a restart), so that the buttons are added (Wine's
    // taskbar list takes them and shows nothing).
    PostMessageW(p.backdrop(), RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
    PostMessageW(p.backdrop(), RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
    // Their icons, as the taskbar code loads them, at the small-icon size of 100, 150 and 300 %.
    if (HMODULE exe = LoadLibraryExA(s.scratch.exe().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
        for (int id : {PlayButton, PauseButton, ResumeButton, StopButton})
            for (int size : {16, 24, 48}) {
                HICON icon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(200 + id), IMAGE_ICON, size, size, 0));
                ICONINFO info{};
                BITMAP bits{};
                const bool got = icon && GetIconInfo(icon, &info) && GetObjectW(info.hbmColor, sizeof bits, &bits);
                check(got && bits.bmWidth == size, format("the thumbnail icon of %d at %d px", id, size));
                if (info.hbmColor) DeleteObject(info.hbmColor);
                if (info.hbmMask) DeleteObject(info.hbmMask);
                if (icon) DestroyIcon(icon);
            }
        FreeLibrary(exe);
    } else {
        check(false, "the exe's resources can be read");
    }
    auto thumb = [&](int id) { PostMessageW(p.backdrop(), WM_COMMAND, MAKEWPARAM(id, THBN_CLICKED), 0); };
    thumb(PauseButton);
    s.reach(kPaused, 3000, "the thumbnail's Pause");
    thumb(PauseButton);
    thumb(PlayButton);
    quiet(p);
    s.reach(kPaused, 0, "its Pause and Play, disabled, do nothing");
    thumb(ResumeButton);
    s.reach(kPlaying, 3000, "its Reprendre");
    thumb(StopButton);
    s.reach(kReady, 3000, "its Stop");
    thumb(PlayButton);
    s.reach(kPlaying, 3000, "its Play");
    command(VK_MEDIA_STOP, SystemStop);
    s.reach(kReady, 3000, "Stop");

    // While a box is open the strip is disabled: nothing of any source acts,
    // then or after the box.
    click(s.c(HelpButton));
    auto box = waitBox(p.pid(), 5000);
    require(box.has_value(), "the Help box opens");
    pressKey(VK_MEDIA_PLAY_PAUSE);
    PostMessageW(p.backdrop(), kSystemButtonMessage, SystemPlay, 0);
    thumb(PlayButton);
    sleepMs(300);
    require(pressDialogButton(box->hwnd, IDOK), "OK closes it");
    quiet(p);
    s.reach(kReady, 0, "after the box: nothing played");

    // Ended: Play/Pause plays the last title again.
    s.choose("Un.wav");
    command(VK_MEDIA_PLAY_PAUSE, SystemPlay);
    s.reach(kPlaying, 3000, "the last title");
    s.reach(kEnded, 8000, "the run ends");
    command(VK_MEDIA_PLAY_PAUSE, SystemPlay);
    s.reach(kPlaying, 3000, "Play/Pause in Ended");
    checkEq(last, selected(), "on the last title");
    command(VK_MEDIA_STOP, SystemStop);
    s.reach(kReady, 3000, "Stop");

    // A title dropped lists its folder and selects it; a folder with no title
    // leaves nothing for any command, and no box.
    std::string vide = s.scratch.folder("Vide");
    vide.pop_back();  // as Explorer names a folder
    writeFile(s.music + "notes.txt", "x");
    require(drop(p, {widen(s.music + "Trois.wav")}), "a title dropped");
    check(waitUntil([&] { return selected() == second; }, 3000), "the dropped title is selected");
    checkEq(s.music, text(s.c(FolderPathField)), "its folder in the field");
    require(drop(p, {widen(s.music + "notes.txt"), widen(vide)}), "a file that is no title and an empty folder dropped");
    check(waitUntil([&] { return text(s.c(FolderPathField)) == vide + "\\"; }, 3000), "the empty folder is listed");
    checkEq(0, int(comboItems(s.c(TitleCombo)).size()), "no title");
    checkEq(" Contenu : 0 titres", text(s.c(ContentLabel)), "the count");
    command(VK_MEDIA_PLAY_PAUSE, SystemPlay);
    thumb(PlayButton);
    quiet(p);
    check(!findBox(p.pid()), "with no title, Play/Pause and the thumbnail's Play show no box");
    s.reach(kReady, 0, "and start nothing");
    check(!exists(s.scratch.ini() + ".new"), "no Vireo.ini.new");
    checkEq(preferencesLine(s.music), readFile(s.scratch.ini()).value_or(""), "Vireo.ini untouched by the drops");
    p.closeAndCheck();
}

namespace {

// Stands for the system's ButtonPressedEventArgs.
struct FakeArgs {
    const vireo::winrt::ButtonPressedArgsTable* vtbl;
    int32_t button;
};
HRESULT STDMETHODCALLTYPE ArgsButton(void* self, int32_t* out) {
    *out = static_cast<FakeArgs*>(self)->button;
    return S_OK;
}

}  // namespace

// The media controls' adapter in this process: the handler answers what the
// system asks of a delegate and posts each press once, from the thread that
// delivers it; the controls start, take every call and stop where the system
// has them (Wine 10's stub), and fail harmlessly where it has none (Wine 8).
VIREO_E2E_CASE(system_controls_adapter) {
    using namespace vireo::winrt;
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    require(window != nullptr, "a window for the presses");
    constexpr UINT kPress = WM_APP + 9;
    void* handler = vireo::NewButtonHandler(window, kPress);
    require(handler != nullptr, "the handler");
    auto* unknown = static_cast<Object<UnknownTable>*>(handler);
    const GUID inspectable = {0xaf86e2e0, 0xb12d, 0x4c6a, {0x9c, 0x5a, 0xd7, 0xaa, 0x65, 0x10, 0x1e, 0x90}};
    const std::pair<const GUID*, HRESULT> asked[] = {{&kIidButtonHandler, S_OK}, {&kIidAgileObject, S_OK},
                                                     {&kIidUnknown, S_OK}, {&inspectable, E_NOINTERFACE},
                                                     {&kIidControls, E_NOINTERFACE}};
    for (const auto& [iid, want] : asked) {
        void* out = nullptr;
        const HRESULT hr = unknown->vtbl->queryInterface(handler, *iid, &out);
        checkEq(want, hr, "the handler's answer to an interface");
        check((hr == S_OK) == (out == handler), "and the pointer it gives");
        if (out) unknown->vtbl->release(out);
    }
    // Pressed on another thread, as the system does: one message, to the window's thread.
    const ButtonPressedArgsTable argsTable = {{}, ArgsButton};
    FakeArgs args{&argsTable, 6};
    std::thread system([&] {
        static_cast<Object<ButtonHandlerTable>*>(handler)->vtbl->invoke(handler, nullptr, &args);
    });
    system.join();
    // PostMessage queues at once: what the handler posted is there by now.
    int presses = 0;
    WPARAM button = 0;
    for (MSG m; PeekMessageW(&m, window, kPress, kPress, PM_REMOVE); button = m.wParam) ++presses;
    checkEq(1, presses, "one press posted");
    checkEq(6, int64_t(button), "the button (Next)");
    checkEq(0, int64_t(unknown->vtbl->release(handler)), "the last reference frees it");

    // Where the system has the controls (Wine 10: a stub that keeps what it
    // is told), each declared slot answers as the platform's own: what is
    // put is read back through the getter of the slot before it. A table
    // written wrong would crash here or read back something else.
    const HRESULT com = CoInitialize(nullptr);
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    bool registers = false;
    if (Controls* c = vireo::ControlsForWindow(owner)) {
        const ControlsTable& t = *c->vtbl;
        struct Pair {
            const char* name;
            Fn<Boolean> put;
            Fn<Boolean*> get;
        };
        const Pair pairs[] = {{"IsEnabled", t.putIsEnabled, t.getIsEnabled},
                              {"IsPlayEnabled", t.putIsPlayEnabled, t.getIsPlayEnabled},
                              {"IsStopEnabled", t.putIsStopEnabled, t.getIsStopEnabled},
                              {"IsPauseEnabled", t.putIsPauseEnabled, t.getIsPauseEnabled},
                              {"IsPreviousEnabled", t.putIsPreviousEnabled, t.getIsPreviousEnabled},
                              {"IsNextEnabled", t.putIsNextEnabled, t.getIsNextEnabled}};
        for (const Pair& pair : pairs) {
            for (Boolean value : {Boolean(1), Boolean(0)}) {
                Boolean back = 7;
                if (FAILED(pair.put(c, value))) {
                    note(format("%s: not kept by this system", pair.name));
                    break;
                }
                check(SUCCEEDED(pair.get(c, &back)) && back == value, format("%s %d read back", pair.name, value));
            }
        }
        for (int32_t status : {int32_t(vireo::winrt::kPaused), int32_t(vireo::winrt::kStopped)}) {
            int32_t back = -1;
            check(SUCCEEDED(t.putPlaybackStatus(c, status)) && SUCCEEDED(t.getPlaybackStatus(c, &back)) &&
                      back == status,
                  format("PlaybackStatus %d read back", status));
        }
        DisplayUpdater* display = nullptr;
        if (SUCCEEDED(t.getDisplayUpdater(c, reinterpret_cast<void**>(&display))) && display) {
            int32_t type = -1;
            check(SUCCEEDED(display->vtbl->putType(display, kMusic)) && SUCCEEDED(display->vtbl->getType(display, &type)) &&
                      type == kMusic,
                  "the display's type read back");
            display->vtbl->inspectable.unknown.release(display);
        }
        void* probeHandler = vireo::NewButtonHandler(owner, kPress);
        EventToken token = 0;
        registers = SUCCEEDED(t.addButtonPressed(c, probeHandler, &token));
        if (registers) t.removeButtonPressed(c, token);
        note(registers ? "this system takes a ButtonPressed handler"
                       : "this system refuses a ButtonPressed handler: the player stays unregistered here");
        static_cast<Object<UnknownTable>*>(probeHandler)->vtbl->release(probeHandler);
        t.inspectable.unknown.release(c);
    } else {
        note("no system media controls here");
    }
    int liveCalls = 0;
    static int* calls = nullptr;
    calls = &liveCalls;
    {
        vireo::Win32SystemControls controls(owner, kPress, [](bool live) { *calls += live ? 1 : 100; });
        const bool live = controls.start();
        checkEq(registers, live, "the player's controls go live exactly where a handler can be registered");
        controls.setButtons({true, false, true, true, false});
        controls.setStatus(vireo::PlaybackStatus::Playing);
        controls.setDisplay(u"Deux", u"Musique");
        controls.setTimeline(40000, 1000);
        controls.stop();
        checkEq(live ? 101 : 0, liveCalls, "told live once, then stopped once");
        controls.setButtons({});  // stopped: nothing reaches the system
    }
    if (SUCCEEDED(com)) CoUninitialize();
    DestroyWindow(owner);
    DestroyWindow(window);
}
