/* The remedy alone, to compare the player with: imports what Vireo.exe imports,
   restricts the DLL search to the system folder first, then loads the common
   controls from there and makes one of their windows, and loads the multimedia
   library from there and asks it for its sound devices (which loads the sound
   drivers the MCI devices use). A planted DLL that loads
   even here is loaded by the platform on its own terms (as a known DLL's
   dependency, or through a lookup that ignores the restriction), not by anything
   a program does. Exits with 0 when every step worked. */
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);
typedef BOOL(WINAPI* InitCommonControlsExFn)(const INITCOMMONCONTROLSEX*);
typedef UINT(WINAPI* DeviceCountFn)(void);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
    (void)previous, (void)command;
    SetDefaultDllDirectoriesFn restrictSearch = (SetDefaultDllDirectoriesFn)(void*)GetProcAddress(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (!restrictSearch || !restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32)) return 2;
    HMODULE controls = LoadLibraryExW(L"comctl32.dll", NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    InitCommonControlsExFn init =
        controls ? (InitCommonControlsExFn)(void*)GetProcAddress(controls, "InitCommonControlsEx") : NULL;
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    if (!init || !init(&classes)) return 3;
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, NULL, NULL, instance, NULL);
    if (bar) DestroyWindow(bar);
    HMODULE multimedia = LoadLibraryExW(L"winmm.dll", NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    DeviceCountFn waveOut = multimedia ? (DeviceCountFn)(void*)GetProcAddress(multimedia, "waveOutGetNumDevs") : NULL;
    DeviceCountFn midiOut = multimedia ? (DeviceCountFn)(void*)GetProcAddress(multimedia, "midiOutGetNumDevs") : NULL;
    if (!waveOut || !midiOut) return 4;
    waveOut();
    midiOut();
    /* Never run: keeps the imports the player has. */
    if (show == -1) CoTaskMemFree(GetStockObject(WHITE_BRUSH));
    return 0;
}
