#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/names.h"
#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"
#include "ui/layout.h"
#include "ui/picture.h"
#include "ui/ui_win32.h"

namespace vireo {

namespace {

constexpr char kPlainTipProp[] = "VireoPlainTip";
constexpr UINT_PTR kTopSubclass = 1;
constexpr int kBalloonWidth = 200;

// Every tip window, for a change of scale.
std::vector<HWND> g_balloons, g_plain;

// The plain tip window keeps itself on top of everything each time it paints.
LRESULT CALLBACK RaiseOnPaint(HWND h, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (m == WM_PAINT) SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m == WM_NCDESTROY) sys::RemoveWindowSubclass(h, RaiseOnPaint, kTopSubclass);
    return sys::DefSubclassProc(h, m, wp, lp);
}

// A tool that the tip window finds by the control's own window. The version-2
// size (without the trailing reserved pointer) is the one every version of the
// common controls accepts. Wide, so that the system's code page never reads the
// text.
TOOLINFOW ToolFor(HWND window, HWND control, std::u16string& text) {
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = window;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = Wide(text);
    return ti;
}

}  // namespace

int AddBalloonTip(HWND owner, HWND control, const char* title, const char* text) {
    std::u16string wideTitle = WidenCp1252(title), wideText = WidenCp1252(text);
    HWND tip = CreateWindowExW(0, L"ToolTips_Class32", nullptr, WS_POPUP | TTS_NOPREFIX | TTS_BALLOON, 0, 0, 0, 0,
                               owner, nullptr, nullptr, nullptr);
    SendMessageA(tip, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
    SendMessageA(tip, TTM_SETTIPBKCOLOR, GetSysColor(COLOR_INFOBK), 0);
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, ScaledLength(kBalloonWidth, StripDpi()));
    g_balloons.push_back(tip);
    TOOLINFOW ti = ToolFor(control, control, wideText);
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (!wideTitle.empty()) SendMessageW(tip, TTM_SETTITLEW, 0, reinterpret_cast<LPARAM>(Wide(wideTitle)));
    return 0;
}

void SetPlainTip(HWND control, const char* text) {
    HWND parent = GetParent(control);
    auto tip = static_cast<HWND>(GetPropA(parent, kPlainTipProp));
    if (!tip) {
        tip = CreateWindowExW(WS_EX_TOPMOST, L"tooltips_class32", nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr,
                              nullptr);
        if (!tip) return;
        sys::SetWindowSubclass(tip, RaiseOnPaint, kTopSubclass, 0);
        SetPropA(parent, kPlainTipProp, tip);
            g_plain.push_back(tip);
    }
    std::u16string wide = WidenCp1252(text);
    TOOLINFOW ti = ToolFor(parent, control, wide);
    SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void ScaleTips(unsigned dpi, HFONT font) {
    for (HWND tip : g_balloons) SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, ScaledLength(kBalloonWidth, dpi));
    if (!font) return;
    for (const auto* tips : {&g_balloons, &g_plain})
        for (HWND tip : *tips) SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace vireo
