// Windows controls the player: the keyboard's media keys (SendInput), the
// thumbnail buttons' WM_COMMAND and the media controls' posted presses (as
// the taskbar and the handler send them), and drops (WM_DROPFILES, the block
// in the player's memory). Wine shows no thumbnail and no flyout, and its
// media controls never press a button: what they would deliver is posted
// here, and the handler itself runs in the driver (system_controls_adapter).
#include <windows.h>
#include <shlobj.h>

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

// Whether the system's media controls can go live here: the adapter's own start.
bool SystemControlsLive() {
    const HRESULT com = CoInitialize(nullptr);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const bool live = vireo::Win32SystemControls(window, WM_APP, nullptr).start();
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
    s.reach(kReady, 0, "Next and Previous in Ready start nothing");
    pressKey(VK_MEDIA_PLAY_PAUSE);
    s.reach(kPlaying, 3000, "Play/Pause in Ready");
    quiet(p);
    s.reach(kPlaying, 0, "Play/Pause acted once (twice would have paused)");

    // From now on, where the media controls are live, the keyboard's keys go
    // to them, and they press the strip's buttons.
    auto command = [&](WORD key, int button) {
        if (live)
            PostMessageW(p.backdrop(), kSystemButtonMessage, button, 0);
        else
            pressKey(key);
    };
    command(VK_MEDIA_PLAY_PAUSE, SystemPause);
    s.reach(kPaused, 3000, "Pause while playing");
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
    // Wine's taskbar never says it has made the button (again after a shell
    // restart): say it twice, so that the buttons are added, with their icons.
    for (int i = 0; i < 2; ++i) PostMessageW(p.backdrop(), RegisterWindowMessageW(L"TaskbarButtonCreated"), 0, 0);
    HMODULE exe = LoadLibraryExA(s.scratch.exe().c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    for (int id : {PlayButton, PauseButton, ResumeButton, StopButton})
        for (int size : {16, 24, 48}) {  // the small icon at 100, 150 and 300 %, as the taskbar code loads it
            auto icon = static_cast<HICON>(LoadImageW(exe, MAKEINTRESOURCEW(200 + id), IMAGE_ICON, size, size, 0));
            ICONINFO info{};
            BITMAP bits{};
            check(icon && GetIconInfo(icon, &info) && GetObjectW(info.hbmColor, sizeof bits, &bits) &&
                      bits.bmWidth == size,
                  format("the thumbnail icon of %d at %d px", id, size));
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            if (icon) DestroyIcon(icon);
        }
    if (exe) FreeLibrary(exe);
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

    // Ended: Play/Pause plays the last title again, once.
    s.choose("Un.wav");
    command(VK_MEDIA_PLAY_PAUSE, SystemPlay);
    s.reach(kPlaying, 3000, "the last title");
    s.reach(kEnded, 8000, "the run ends");
    command(VK_MEDIA_PLAY_PAUSE, SystemPlay);
    s.reach(kPlaying, 3000, "Play/Pause in Ended");
    quiet(p);
    s.reach(kPlaying, 0, "once");
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
    for (const auto& [iid, want] : {std::pair{&kIidButtonHandler, S_OK}, {&kIidAgileObject, S_OK}, {&kIidUnknown, S_OK},
                                    {&inspectable, E_NOINTERFACE}, {&kIidControls, E_NOINTERFACE}}) {
        void* out = nullptr;
        const HRESULT hr = unknown->vtbl->queryInterface(handler, *iid, &out);
        checkEq(want, hr, "the handler's answer to an interface");
        check((hr == S_OK) == (out == handler), "and the pointer it gives");
        if (out) unknown->vtbl->release(out);
    }
    // Pressed on another thread, as the system does: one message, to the window's thread.
    const ButtonPressedArgsTable argsTable = {{}, ArgsButton};
    FakeArgs args{&argsTable, 6};
    std::thread([&] { static_cast<Object<ButtonHandlerTable>*>(handler)->vtbl->invoke(handler, nullptr, &args); })
        .join();
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
        // A boolean the system may decline to keep (a put that fails), noted.
        auto roundTrip = [](const char* name, auto put, auto get, void* self, bool mayDecline, auto... values) {
            for (auto value : {values...}) {
                decltype(value) back = 7;
                if (mayDecline && FAILED(put(self, value))) return note(format("%s: not kept by this system", name));
                check((mayDecline || SUCCEEDED(put(self, value))) && SUCCEEDED(get(self, &back)) && back == value,
                      format("%s %d read back", name, int(value)));
            }
        };
        roundTrip("IsEnabled", t.putIsEnabled, t.getIsEnabled, c, true, Boolean(1), Boolean(0));
        roundTrip("IsPlayEnabled", t.putIsPlayEnabled, t.getIsPlayEnabled, c, true, Boolean(1), Boolean(0));
        roundTrip("IsStopEnabled", t.putIsStopEnabled, t.getIsStopEnabled, c, true, Boolean(1), Boolean(0));
        roundTrip("IsPauseEnabled", t.putIsPauseEnabled, t.getIsPauseEnabled, c, true, Boolean(1), Boolean(0));
        roundTrip("IsPreviousEnabled", t.putIsPreviousEnabled, t.getIsPreviousEnabled, c, true, Boolean(1), Boolean(0));
        roundTrip("IsNextEnabled", t.putIsNextEnabled, t.getIsNextEnabled, c, true, Boolean(1), Boolean(0));
        roundTrip("PlaybackStatus", t.putPlaybackStatus, t.getPlaybackStatus, c, false,
                  int32_t(vireo::winrt::kPaused), int32_t(vireo::winrt::kStopped));
        DisplayUpdater* display = nullptr;
        if (SUCCEEDED(t.getDisplayUpdater(c, reinterpret_cast<void**>(&display))) && display) {
            roundTrip("the display's type", display->vtbl->putType, display->vtbl->getType, display, false, kMusic);
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
    static int told = 0;
    {
        vireo::Win32SystemControls controls(owner, kPress, [](bool live) { told += live ? 1 : 100; });
        const bool live = controls.start();
        checkEq(registers, live, "the player's controls go live exactly where a handler can be registered");
        controls.setButtons({true, false, true, true, false});
        controls.setStatus(vireo::PlaybackStatus::Playing);
        controls.setDisplay(u"Deux", u"Musique");
        controls.setTimeline(40000, 1000);
        controls.stop();
        checkEq(live ? 101 : 0, told, "told live once, then stopped once");
        controls.setButtons({});  // stopped: nothing reaches the system
    }
    if (SUCCEEDED(com)) CoUninitialize();
    DestroyWindow(owner);
    DestroyWindow(window);
}
