/* A stand-in for a DLL that a web page dropped beside the player: copied under the
   name of a DLL the player loads. If it is ever loaded, it leaves a mark beside
   itself (its own file name with ".mark" added, holding the loading program's path)
   and ends the process with 42. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    WCHAR mark[MAX_PATH + 8];
    WCHAR program[MAX_PATH];
    DWORD n = GetModuleFileNameW(self, mark, MAX_PATH);
    DWORD m = GetModuleFileNameW(NULL, program, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        lstrcpyW(mark + n, L".mark");
        HANDLE h = CreateFileW(mark, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            if (m > 0 && m < MAX_PATH) WriteFile(h, program, m * sizeof(WCHAR), &written, NULL);
            CloseHandle(h);
        }
    }
    ExitProcess(42);
    return FALSE;
}
