#include <windows.h>
#include <commctrl.h>

#include <string>

#include "core/system_dlls_win32.h"
#include "ui/ui_win32.h"

namespace vireo {

namespace {

constexpr char kPlainTipProp[] = "VireoPlainTip";
constexpr UINT_PTR kTopSubclass = 1;

// The plain tip window keeps itself on top of everything each time it paints.
LRESULT CALLBACK RaiseOnPaint(HWND h, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (m == WM_PAINT) SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m == WM_NCDESTROY) sys::RemoveWindowSubclass(h, RaiseOnPaint, kTopSubclass);
    return sys::DefSubclassProc(h, m, wp, lp);
}

// A tool that the tip window finds by the control's own window. The version-2
// size (without the trailing reserved pointer) is the one every version of the
// common controls accepts.
TOOLINFOA ToolFor(HWND window, HWND control, char* text) {
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = window;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text;
    return ti;
}

}  // namespace

int AddBalloonTip(HWND owner, HWND control, const char* title, const char* text) {
    std::string titleCopy(title), textCopy(text);
    HWND tip = CreateWindowExA(0, "ToolTips_Class32", nullptr, WS_POPUP | TTS_NOPREFIX | TTS_BALLOON, 0, 0, 0, 0,
                               owner, nullptr, nullptr, nullptr);
    SendMessageA(tip, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
    SendMessageA(tip, TTM_SETTIPBKCOLOR, GetSysColor(COLOR_INFOBK), 0);
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 200);
    TOOLINFOA ti = ToolFor(control, control, textCopy.data());
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    if (!titleCopy.empty()) SendMessageA(tip, TTM_SETTITLEA, 0, reinterpret_cast<LPARAM>(titleCopy.c_str()));
    return 0;
}

void SetPlainTip(HWND control, const char* text) {
    HWND parent = GetParent(control);
    auto tip = static_cast<HWND>(GetPropA(parent, kPlainTipProp));
    if (!tip) {
        tip = CreateWindowExA(WS_EX_TOPMOST, "tooltips_class32", nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr,
                              nullptr);
        if (!tip) return;
        sys::SetWindowSubclass(tip, RaiseOnPaint, kTopSubclass, 0);
        SetPropA(parent, kPlainTipProp, tip);
    }
    std::string copy(text);
    TOOLINFOA ti = ToolFor(parent, control, copy.data());
    SendMessageA(tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

}  // namespace vireo
