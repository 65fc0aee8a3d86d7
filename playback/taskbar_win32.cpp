#include "playback/taskbar_win32.h"

#include <objbase.h>
#include <shobjidl.h>

#include <cwchar>

#include "core/system_dlls_win32.h"
#include "core/thumb_buttons.h"
#include "core/wide_win32.h"

namespace vireo {
namespace {

// The taskbar list class, then ITaskbarList3, one after the other; kept here so
// that the build needs no import library for them.
const GUID kTaskbarGuids[2] = {
    {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}},
    {0xEA1AFB91, 0x9E28, 0x4B86, {0x90, 0xE9, 0x9E, 0x9F, 0x8A, 0x5E, 0xEF, 0xAF}},
};
const GUID& kClsidTaskbarList = kTaskbarGuids[0];
const GUID& kIidTaskbarList3 = kTaskbarGuids[1];

static_assert(sizeof(OSVERSIONINFOA) == 148, "plain version record");
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record");

}  // namespace

OsVersion QueryOsVersion() {
    OsVersion v;
    OSVERSIONINFOA plain = {};
    plain.dwOSVersionInfoSize = sizeof plain;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    v.ok = GetVersionExA(&plain) != FALSE;
    if (!v.ok) return v;
    v.platformId = plain.dwPlatformId;
    v.major = plain.dwMajorVersion;
    v.minor = plain.dwMinorVersion;
    if (v.platformId == kPlatformNt) {
        OSVERSIONINFOEXA extended = {};
        extended.dwOSVersionInfoSize = sizeof extended;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
        v.exOk = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended)) != FALSE;
        if (v.exOk) v.productType = extended.wProductType;
    }
    return v;
}

namespace {

// Runs `use` with an initialised taskbar list, on Windows 7 and later.
template <typename Use>
void WithTaskbarList(Use use) {
    if (OsVersionClass(QueryOsVersion()) < kTaskbarMinimumClass) return;
    // Nests inside the start-up initialisation (S_FALSE). Only a call that
    // succeeded is balanced: an extra CoUninitialize would undo start-up's.
    const bool initialised = SUCCEEDED(CoInitialize(nullptr));
    ITaskbarList3* list = nullptr;
    if (CoCreateInstance(kClsidTaskbarList, nullptr, CLSCTX_INPROC_SERVER, kIidTaskbarList3,
                         reinterpret_cast<void**>(&list)) == S_OK &&
        list) {
        // Only an initialised list may be told anything.
        if (SUCCEEDED(list->HrInit())) use(*list);
        list->Release();
    }
    if (initialised) CoUninitialize();
}

int SmallIconSize(HWND window) {
    // Windows 10 1607 knows the window's own scale.
    static const auto dpiOf = ImportedFunction<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
    static const auto metric = ImportedFunction<int(WINAPI*)(int, UINT)>(L"user32.dll", "GetSystemMetricsForDpi");
    if (dpiOf && metric)
        if (const UINT dpi = dpiOf(window)) return metric(SM_CXSMICON, dpi);
    return GetSystemMetrics(SM_CXSMICON);
}

}  // namespace

Win32Taskbar::~Win32Taskbar() {
    for (HICON& icon : icons_) {
        if (icon) DestroyIcon(icon);
        icon = nullptr;
    }
}

void Win32Taskbar::setProgress(int state) {
    WithTaskbarList([&](ITaskbarList3& list) { list.SetProgressState(window_, static_cast<TBPFLAG>(state)); });
}

void Win32Taskbar::loadIcons() {
    const int size = SmallIconSize(window_);
    if (size == iconSize_ && icons_[0]) return;
    HINSTANCE self = GetModuleHandleW(nullptr);
    for (int i = 0; i < 4; ++i) {
        HICON icon = static_cast<HICON>(
            LoadImageW(self, MAKEINTRESOURCEW(ThumbIconResource(kThumbButtons[i])), IMAGE_ICON, size, size, 0));
        // The taskbar, another process, holds its own copy.
        if (icons_[i]) DestroyIcon(icons_[i]);
        icons_[i] = icon;
    }
    iconSize_ = size;
}

void Win32Taskbar::showThumbButtons(const TransportButtons& b, bool add) {
    const bool enabled[4] = {b.play, b.pause, b.resume, b.stop};
    WithTaskbarList([&](ITaskbarList3& list) {
        loadIcons();
        THUMBBUTTON buttons[4] = {};
        for (int i = 0; i < 4; ++i) {
            buttons[i].dwMask = THB_ICON | THB_TOOLTIP | THB_FLAGS;
            buttons[i].iId = static_cast<UINT>(kThumbButtons[i]);
            buttons[i].hIcon = icons_[i];
            std::wcsncpy(buttons[i].szTip, Wide(tips_[i]), ARRAYSIZE(buttons[i].szTip) - 1);
            buttons[i].dwFlags = enabled[i] ? THBF_ENABLED : THBF_DISABLED;
        }
        // Added once for each button the taskbar makes; then only brought in step.
        if (add)
            list.ThumbBarAddButtons(window_, 4, buttons);
        else
            list.ThumbBarUpdateButtons(window_, 4, buttons);
    });
}

}  // namespace vireo
