#include "app/ports_win32.h"

#include <shellapi.h>

#include "core/modal_win32.h"
#include "core/names.h"
#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"
#include "ui/ui_win32.h"

namespace vireo {

// Every text reaches the system in UTF-16: a single-byte call would read the
// program's Windows-1252 texts in the system's own code page.
void Win32Boxes::showBox(std::string_view title, std::string_view text, unsigned flags) {
    showWideBox(title, WidenCp1252(text), flags);
}

void Win32Boxes::showWideBox(std::string_view title, std::u16string_view text, unsigned flags) {
    std::u16string t = WidenCp1252(title), x(text);
    ModalScope modal;
    MessageBoxW(modal.owner(), Wide(x), Wide(t), MB_OK | flags);
}

bool Win32Events::moveFocus(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
    if (msg.hwnd != main_ && msg.hwnd != backdrop_ && !IsChild(main_, msg.hwnd)) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    HWND from = GetFocus();
    if (from && !IsChild(main_, from)) from = nullptr;
    if (HWND to = GetNextDlgTabItem(main_, from, GetKeyState(VK_SHIFT) < 0)) {
        // From now on the focused button shows its focus rectangle.
        SendMessageA(main_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        SetFocus(to);
    }
    return true;
}

bool Win32Events::silentKey(const MSG& msg) const {
    // A single-line edit beeps at Enter and Escape, which mean nothing in the
    // path field; a dialog's field would never see them.
    if (msg.message != WM_CHAR || (msg.wParam != '\r' && msg.wParam != '\n' && msg.wParam != 0x1B)) return false;
    return GetParent(msg.hwnd) == main_ && GetDlgCtrlID(msg.hwnd) == FolderPathField;
}

Event Win32Events::nextEvent() {
    MSG msg;
    // Wide, so that a character typed into the path field is not first squeezed
    // into the system's code page.
    bool got = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD) != FALSE;
    if (got && !moveFocus(msg) && !silentKey(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Sent messages are delivered inside PeekMessageW too, so look even when
    // nothing was posted.
    Event raised = TakeRaisedEvent();
    if (raised.kind != EventKind::None) return raised;
    if (!got) return {};
    // Presses on controls keep their own meaning: only the two windows drag.
    if (msg.message == WM_LBUTTONDOWN && (msg.hwnd == backdrop_ || msg.hwnd == main_))
        return {EventKind::LeftPress, 0};
    return {EventKind::Other, 0};
}

void Win32Windows::beginDrag() { SendMessageA(main_, WM_NCLBUTTONDOWN, HTCAPTION, 0); }

void Win32Windows::minimize() {
    ShowWindow(main_, SW_MINIMIZE);
    ShowWindow(backdrop_, SW_MINIMIZE);
}

bool Win32Launcher::launch(std::string_view file) {
    std::string path(file);
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return true;
    }
    // The player shows its own box when both fail: no second box from the shell.
    SHELLEXECUTEINFOA sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = "";
    sei.lpFile = path.c_str();
    sei.nShow = SW_SHOWNORMAL;
    // Loaded on first use, then kept (the shell may still be working for the
    // launch): loading it at start would cost every start time and memory.
    HMODULE shell = SystemDll(L"shell32.dll");
    if (!shell) return false;
    auto execute = reinterpret_cast<BOOL(WINAPI*)(SHELLEXECUTEINFOA*)>(
        reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteExA")));
    return execute && execute(&sei) != FALSE;
}

std::string Win32Launcher::systemDirectory() {
    char dir[500];
    UINT n = GetSystemDirectoryA(dir, sizeof dir);
    return n > 0 && n < sizeof dir ? std::string(dir, n) : std::string();
}

}  // namespace vireo
