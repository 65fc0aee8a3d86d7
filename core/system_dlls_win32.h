// DLLs from the system folder only. People run the player where the browser saved
// it, a folder any web page can fill: a file named like a DLL the program or the
// system loads must never be taken from there. The exe imports only KnownDLLs
// (tests/known_dlls.inc); everything else comes through here.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <hstring.h>
#include <mmsystem.h>
#include <shellapi.h>

namespace vireo {

// Restricts the DLL search of the whole process, the loads the system makes on the
// program's behalf included, to the system folder. The program's first call.
void RestrictDllSearch();

// A DLL of the system folder by file name (L"winmm.dll"), kept loaded; null when
// it cannot be loaded.
HMODULE SystemDll(const wchar_t* name);

// A function of a DLL the program imports (kernel32, user32) that older
// Windows lack: looked up, so that the exe still starts there; null when missing.
template <typename F>
F ImportedFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(dll), name)));
}

// The functions of the non-KnownDLLs the program calls, looked up on first use.
// Each fails as its original does when its DLL or the function is missing.
namespace sys {
MCIERROR mciSendStringA(LPCSTR command, LPSTR reply, UINT replyLength, HWND callback);
MCIERROR mciSendStringW(LPCWSTR command, LPWSTR reply, UINT replyLength, HWND callback);
void InitCommonControls();
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes);
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
// shell32, loaded on first use rather than at start-up.
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR name, UINT length);
void DragFinish(HDROP drop);
// The shell's scaling library: Windows 8.1 and later.
HRESULT GetDpiForMonitor(HMONITOR monitor, int type, UINT* x, UINT* y);
// The Windows Runtime, from combase.dll: Windows 8 and later.
HRESULT RoGetActivationFactory(HSTRING activatableClassId, REFIID iid, void** factory);
HRESULT RoActivateInstance(HSTRING activatableClassId, void** instance);
HRESULT WindowsCreateString(LPCWSTR text, UINT32 length, HSTRING* string);
HRESULT WindowsDeleteString(HSTRING string);
}  // namespace sys

}  // namespace vireo
