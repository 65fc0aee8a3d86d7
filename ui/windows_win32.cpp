#include <windows.h>

#include "core/modal_win32.h"
#include "ui/layout.h"
#include "ui/ui_win32.h"

namespace vireo {

namespace {

constexpr char kBackdropClass[] = "VireoBackdrop";
constexpr char kMainClass[] = "VireoMain";
constexpr UINT kRaiseMainWindow = WM_APP + 1;
// The controls paint their own places: the strip does not paint under them first.
constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;

Event g_raised;
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

void AddLayeredStyle(HWND h) {
    SetWindowLongPtrA(h, GWL_EXSTYLE, GetWindowLongPtrA(h, GWL_EXSTYLE) | WS_EX_LAYERED);
}

LRESULT CALLBACK BackdropProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
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
    return CreateWindowExA(0, cls, title, kStyle, at.x, at.y, r.right - r.left, r.bottom - r.top, owner, nullptr, inst,
                           nullptr);
}

}  // namespace

void RaiseEvent(const Event& e) { g_raised = e; }

Event TakeRaisedEvent() {
    Event e = g_raised;
    g_raised = {};
    return e;
}

HWND OpenBackdropWindow(HINSTANCE inst) {
    if (!Register(inst, kBackdropClass, BackdropProc, nullptr)) return nullptr;
    HWND h = Open(inst, kBackdropClass, "Vireo", nullptr);
    if (h) AddLayeredStyle(h);
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
