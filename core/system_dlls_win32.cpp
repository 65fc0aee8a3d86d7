#include "core/system_dlls_win32.h"

#include <roapi.h>
#include <winstring.h>

#include <cwchar>

namespace vireo {

namespace {

// True once SetDefaultDllDirectories has taken: the LOAD_LIBRARY_SEARCH_* flags
// came with it (Windows 8, or Windows 7 with KB2533623).
bool g_searchFlags = false;

template <typename F>
F Function(const wchar_t* dll, const char* name) {
    HMODULE module = SystemDll(dll);
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

void RestrictDllSearch() {
    // Looked up, not imported: an import Windows 7 without the update lacks would
    // stop the exe from starting there.
    auto setDefault = ImportedFunction<BOOL(WINAPI*)(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories");
    g_searchFlags = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without it the program's folder stays first for the DLLs the system loads by
    // name; the current folder at least leaves the search.
    if (!g_searchFlags) SetDllDirectoryW(L"");
}

HMODULE SystemDll(const wchar_t* name) {
    if (g_searchFlags) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The full path; its own dependencies are then looked for beside it first.
    wchar_t path[MAX_PATH];
    UINT n = GetSystemDirectoryW(path, MAX_PATH);
    size_t length = std::wcslen(name);
    if (n == 0 || n + 1 + length >= MAX_PATH) return nullptr;
    path[n] = L'\\';
    std::wmemcpy(path + n + 1, name, length + 1);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace sys {

MCIERROR mciSendStringA(LPCSTR command, LPSTR reply, UINT replyLength, HWND callback) {
    static const auto f = Function<decltype(&::mciSendStringA)>(L"winmm.dll", "mciSendStringA");
    if (f) return f(command, reply, replyLength, callback);
    if (reply && replyLength) reply[0] = '\0';
    return MCIERR_CANNOT_LOAD_DRIVER;
}

MCIERROR mciSendStringW(LPCWSTR command, LPWSTR reply, UINT replyLength, HWND callback) {
    static const auto f = Function<decltype(&::mciSendStringW)>(L"winmm.dll", "mciSendStringW");
    if (f) return f(command, reply, replyLength, callback);
    if (reply && replyLength) reply[0] = L'\0';
    return MCIERR_CANNOT_LOAD_DRIVER;
}

void InitCommonControls() {
    static const auto f = Function<decltype(&::InitCommonControls)>(L"comctl32.dll", "InitCommonControls");
    if (f) f();
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) {
    static const auto f = Function<decltype(&::InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
    return f ? f(classes) : FALSE;
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
    static const auto f = Function<decltype(&::SetWindowSubclass)>(L"comctl32.dll", "SetWindowSubclass");
    return f ? f(window, proc, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
    static const auto f = Function<decltype(&::RemoveWindowSubclass)>(L"comctl32.dll", "RemoveWindowSubclass");
    return f ? f(window, proc, id) : FALSE;
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    static const auto f = Function<decltype(&::DefSubclassProc)>(L"comctl32.dll", "DefSubclassProc");
    return f ? f(window, message, wp, lp) : DefWindowProcA(window, message, wp, lp);
}

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR name, UINT length) {
    static const auto f = Function<decltype(&::DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
    return f ? f(drop, index, name, length) : 0;
}

void DragFinish(HDROP drop) {
    static const auto f = Function<decltype(&::DragFinish)>(L"shell32.dll", "DragFinish");
    if (f) f(drop);
}

HRESULT GetDpiForMonitor(HMONITOR monitor, int type, UINT* x, UINT* y) {
    static const auto f = Function<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>(L"shcore.dll", "GetDpiForMonitor");
    return f ? f(monitor, type, x, y) : E_NOTIMPL;
}

HRESULT RoGetActivationFactory(HSTRING activatableClassId, REFIID iid, void** factory) {
    static const auto f = Function<decltype(&::RoGetActivationFactory)>(L"combase.dll", "RoGetActivationFactory");
    return f ? f(activatableClassId, iid, factory) : E_NOTIMPL;
}

HRESULT RoActivateInstance(HSTRING activatableClassId, void** instance) {
    static const auto f = Function<decltype(&::RoActivateInstance)>(L"combase.dll", "RoActivateInstance");
    return f ? f(activatableClassId, reinterpret_cast<IInspectable**>(instance)) : E_NOTIMPL;
}

HRESULT WindowsCreateString(LPCWSTR text, UINT32 length, HSTRING* string) {
    static const auto f = Function<decltype(&::WindowsCreateString)>(L"combase.dll", "WindowsCreateString");
    return f ? f(text, length, string) : E_NOTIMPL;
}

HRESULT WindowsDeleteString(HSTRING string) {
    static const auto f = Function<decltype(&::WindowsDeleteString)>(L"combase.dll", "WindowsDeleteString");
    return f ? f(string) : E_NOTIMPL;
}

}  // namespace sys

}  // namespace vireo
