#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <deque>

#include "core/commands.h"
#include "core/modal_win32.h"
#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"
#include "ui/layout.h"
#include "ui/ui_win32.h"

namespace vireo {

namespace {

constexpr char kBackdropClass[] = "VireoBackdrop";
constexpr char kMainClass[] = "VireoMain";
constexpr UINT kRaiseMainWindow = WM_APP + 1;
constexpr UINT kSystemButton = WM_APP + 2;
// The controls paint their own places: the strip does not paint under them first.
constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;
// Dropped folders and titles reach both windows: the colour-keyed parts of
// the main window let the backdrop have them.
constexpr DWORD kExStyle = WS_EX_ACCEPTFILES;

// Two may come in one delivery (a sent message inside a posted one): none may be lost.
std::deque<Event> g_raised;
UINT g_taskbarButtonCreated = 0;
bool g_keysToSystem = false;
HWND g_follower = nullptr;  // BackdropWindow once FollowMainWindow is installed
HWND g_main = nullptr;
HWND g_lastFocus = nullptr;  // the control that had the keyboard when the strip went inactive

// As a dialog does: the strip remembers its focused control when another
// window comes in front, and gives it the keyboard back when it is active
// again (or the next control, when that one was disabled meanwhile).
void RememberFocus() {
    HWND f = GetFocus();
    if (f && g_main && IsChild(g_main, f)) g_lastFocus = f;
}
void RestoreFocus() {
    HWND f = GetFocus();
    if (g_lastFocus && !(f && IsChild(g_main, f))) FocusOrNext(g_lastFocus);
}

// A box or the folder requester has disabled the strip: what Windows sends
// meanwhile reaches the windows through the box's own loop.
bool StripBlocked() { return g_main && !IsWindowEnabled(g_main); }

void RaiseCommand(TransportCommand command) {
    Event e;
    e.kind = EventKind::Transport;
    e.command = command;
    e.blocked = StripBlocked();
    RaiseEvent(e);
}

// True when the command was taken; every other one (the volume keys, a
// browser's) goes on to DefWindowProc, which hands it to the parent or, from
// a top-level window, to the shell.
bool OnAppCommand(LPARAM lp) {
    const std::optional<TransportCommand> command = CommandForAppCommand(GET_APPCOMMAND_LPARAM(lp));
    if (!command) return false;
    // Windows routes a keyboard's media keys to the system's media controls
    // once the player is registered there: it hears them from there, once.
    if (g_keysToSystem && GET_DEVICE_LPARAM(lp) == FAPPCOMMAND_KEY) return false;
    RaiseCommand(*command);
    return true;
}

void OnDropFiles(HDROP drop) {
    Event e;
    e.kind = EventKind::Drop;
    e.blocked = StripBlocked();
    const UINT count = sys::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(sys::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        const UINT n = sys::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size()));
        if (n > 0) e.paths.push_back(FromWide(path.c_str(), n));
    }
    sys::DragFinish(drop);
    RaiseEvent(e);
}

// What both windows answer alike; true when `m` was one of them.
bool StripMessage(UINT m, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (m) {
    case WM_APPCOMMAND:
        if (!OnAppCommand(lp)) return false;
        result = TRUE;
        return true;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wp));
        result = 0;
        return true;
    }
    return false;
}

void AddLayeredStyle(HWND h) {
    SetWindowLongPtrA(h, GWL_EXSTYLE, GetWindowLongPtrA(h, GWL_EXSTYLE) | WS_EX_LAYERED);
}

LRESULT CALLBACK BackdropProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (StripMessage(m, wp, lp, result)) return result;
    // Again whenever the shell restarts.
    if (m == g_taskbarButtonCreated && m != 0) {
        RaiseEvent({EventKind::TaskbarButton});
        return 0;
    }
    switch (m) {
    case WM_COMMAND:
        // A thumbnail button, clicked on the taskbar.
        if (HIWORD(wp) == THBN_CLICKED) {
            if (std::optional<TransportCommand> command = CommandForThumbButton(LOWORD(wp))) RaiseCommand(*command);
            return 0;
        }
        break;
    case kSystemButton:
        if (std::optional<TransportCommand> command = CommandForSystemButton(static_cast<int>(wp)))
            RaiseCommand(*command);
        return 0;
    case WM_CLOSE:
        RaiseEvent({EventKind::Close, 0});
        return 0;
    case WM_ACTIVATE:
        // An owned window stays above its owner; some window managers raise the
        // activated owner over it anyway, so put MainWindow back on top.
        if (LOWORD(wp) != WA_INACTIVE) PostMessageA(h, kRaiseMainWindow, 0, 0);
        break;
    case WM_SIZE:
        // MainWindow was minimised first and has no taskbar button of its own:
        // bring it back with the strip, or the controls would stay iconic.
        if (wp == SIZE_RESTORED && g_main && IsIconic(g_main)) ShowWindow(g_main, SW_SHOWNOACTIVATE);
        break;
    case WM_DPICHANGED:
        ScaleStrip(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
        return 0;
    case kRaiseMainWindow:
        if (g_main && GetWindow(g_main, GW_OWNER) == h)
            SetWindowPos(g_main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        // Back through the taskbar or Alt+Tab, which activate this window.
        if (GetActiveWindow() == h) RestoreFocus();
        return 0;
    }
    return DefWindowProcA(h, m, wp, lp);
}

LRESULT CALLBACK MainProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (g_follower && (m == WM_MOVE || m == WM_SIZE || m == WM_PAINT)) FollowMainWindow(h, m, wp, lp);
    LRESULT result = 0;
    if (StripMessage(m, wp, lp, result)) return result;
    switch (m) {
    case WM_CLOSE:
        RaiseEvent({EventKind::Close, 0});
        return 0;
    case WM_DPICHANGED:
        // Onto a monitor of another scale: the strip takes it, where Windows suggests.
        ScaleStrip(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            RememberFocus();
            break;
        }
        if (HIWORD(wp) || !g_lastFocus) break;  // minimised, or nothing to give back
        RestoreFocus();
        return 0;
    case WM_COMMAND: {
        int id = LOWORD(wp);
        int code = HIWORD(wp);
        bool isClick = code == BN_CLICKED && id != TitleCombo;
        if (lp && (isClick || (id == TitleCombo && code == CBN_SELCHANGE))) RaiseEvent({EventKind::Control, id});
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
        const ControlSpec* c = FindControl(GetDlgCtrlID(reinterpret_cast<HWND>(lp)));
        if (!c || !c->textColour || !c->background) break;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(c->textColour->r, c->textColour->g, c->textColour->b));
        COLORREF back = RGB(c->background->r, c->background->g, c->background->b);
        SetBkColor(dc, back);
        SetDCBrushColor(dc, back);
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    }
    return DefWindowProcA(h, m, wp, lp);
}

bool Register(HINSTANCE inst, const char* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(1));
    wc.hIconSm = static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND Open(HINSTANCE inst, const char* cls, const char* title, HWND owner) {
    RECT r{0, 0, StripWidth(StripDpi()), StripHeight(StripDpi())};
    AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    Point at = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), r.right - r.left,
                             r.bottom - r.top);
    return CreateWindowExA(kExStyle, cls, title, kStyle, at.x, at.y, r.right - r.left, r.bottom - r.top, owner,
                           nullptr, inst, nullptr);
}

// A program run as administrator hears nothing from the shell's lower
// integrity unless it lets these through (Windows 7 and later).
void AllowFromShell(HWND h, UINT message) {
    static const auto filter =
        ImportedFunction<BOOL(WINAPI*)(HWND, UINT, DWORD, void*)>(L"user32.dll", "ChangeWindowMessageFilterEx");
    if (filter) filter(h, message, 1 /* MSGFLT_ALLOW */, nullptr);
}

}  // namespace

void RaiseEvent(const Event& e) { g_raised.push_back(e); }

Event TakeRaisedEvent() {
    if (g_raised.empty()) return {};
    Event e = std::move(g_raised.front());
    g_raised.pop_front();
    return e;
}

void LeaveMediaKeysToSystem(bool leave) { g_keysToSystem = leave; }

UINT SystemButtonMessage() { return kSystemButton; }

HWND OpenBackdropWindow(HINSTANCE inst) {
    if (!Register(inst, kBackdropClass, BackdropProc, nullptr)) return nullptr;
    HWND h = Open(inst, kBackdropClass, "Vireo", nullptr);
    if (!h) return nullptr;
    AddLayeredStyle(h);
    // The backdrop carries the taskbar button.
    g_taskbarButtonCreated = RegisterWindowMessageW(L"TaskbarButtonCreated");
    AllowFromShell(h, g_taskbarButtonCreated);
    AllowFromShell(h, WM_COMMAND);
    return h;
}

HWND OpenMainWindow(HINSTANCE inst, HWND backdrop) {
    if (!Register(inst, kMainClass, MainProc, nullptr)) return nullptr;
    HWND h = Open(inst, kMainClass, "", backdrop);
    if (!h) return nullptr;
    g_main = h;
    SetClassLongPtrA(h, GCLP_HBRBACKGROUND,
                     reinterpret_cast<LONG_PTR>(CreateSolidBrush(RGB(kKeyColour.r, kKeyColour.g, kKeyColour.b))));
    InvalidateRect(h, nullptr, TRUE);
    AddLayeredStyle(h);
    SetLayeredWindowAttributes(h, RGB(kKeyColour.r, kKeyColour.g, kKeyColour.b), 0, LWA_COLORKEY);
    return h;
}

void InstallFollowMainWindow(HWND, HWND backdrop) { g_follower = backdrop; }

void FollowMainWindow(HWND main, UINT, WPARAM, LPARAM) {
    RECT r;
    if (!g_follower || !GetWindowRect(main, &r)) return;
    RECT size{0, 0, StripWidth(StripDpi()), StripHeight(StripDpi())};
    AdjustWindowRectEx(&size, static_cast<DWORD>(GetWindowLongPtrA(g_follower, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(g_follower, GWL_EXSTYLE)));
    SetWindowPos(g_follower, nullptr, r.left, r.top, size.right - size.left, size.bottom - size.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vireo
