#include <windows.h>

#include "ui/ui_win32.h"

namespace vireo {

namespace {
constexpr char kCursor[] = "cursor";
constexpr char kOldProc[] = "oldproc";
}  // namespace

int AttachCursor(HWND h, HCURSOR cursor) {
    if (!h) return 0;
    if (GetPropA(h, kCursor)) RemovePropA(h, kCursor);
    SetPropA(h, kCursor, cursor);
    if (!GetPropA(h, kOldProc)) {
        // The W form keeps the control a Unicode window: the A form would pass
        // its texts through the system's code page.
        LONG_PTR previous = SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CursorSubclassProc));
        SetPropA(h, kOldProc, reinterpret_cast<HANDLE>(previous));
    }
    SendMessageA(h, WM_SETCURSOR, 0, 0);
    return 0;
}

LRESULT CALLBACK CursorSubclassProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(h, kOldProc));
    switch (m) {
    case WM_NCDESTROY:
        RemovePropA(h, kOldProc);
        RemovePropA(h, kCursor);
        return CallWindowProcW(previous, h, m, wp, lp);
    case WM_SETCURSOR:
        SetCursor(static_cast<HCURSOR>(GetPropA(h, kCursor)));
        return 0;
    }
    return CallWindowProcW(previous, h, m, wp, lp);
}

}  // namespace vireo
