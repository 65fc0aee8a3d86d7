/* The floor the player is measured against: what its design cannot do without,
 * written as plainly as possible.
 *   floor windows            two layered 795x70 windows, then the idle pass
 *   floor play FILE          the same, with FILE open under the alias and playing
 *   floor list FOLDER        the same, after listing FOLDER twice (count, then fill a list)
 *   floor titles FILE...     no window: plays the files one after another, polling every 20 ms
 *   floor foundation FILE    the windows, with FILE playing through Media Foundation's MFPlay
 *                            player object, its position polled instead of MCI's
 * Built a second time with FLOOR_COMMON_CONTROLS, it also loads the common
 * controls library, as any program with a progress bar or tooltips must. */
 /* The idle pass: take one message, or sleep 20 ms; then one position poll. */
#define COBJMACROS
#include <windows.h>
#include <mmsystem.h>
#include <mfplay.h>
#ifdef FLOOR_COMMON_CONTROLS
#include <commctrl.h>
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int g_quit;

static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_CLOSE) {
        g_quit = 1;
        return 0;
    }
    return DefWindowProcA(h, m, wp, lp);
}

static int IsTitle(const char* name) {
    size_t n = strlen(name);
    if (n < 4) return 0;
    return _stricmp(name + n - 4, ".wav") == 0 || _stricmp(name + n - 4, ".mp3") == 0 ||
           _stricmp(name + n - 4, ".mid") == 0 || _stricmp(name + n - 4, ".wma") == 0;
}

static void ListFolder(const char* folder, HWND combo) {
    char pattern[MAX_PATH + 8];
    WIN32_FIND_DATAA fd;
    HANDLE f;
    int count = 0, pass;
    snprintf(pattern, sizeof pattern, "%s\\*.*", folder);
    for (pass = 0; pass < 2; ++pass) {
        f = FindFirstFileA(pattern, &fd);
        if (f == INVALID_HANDLE_VALUE) return;
        do {
            if (!IsTitle(fd.cFileName)) continue;
            if (pass == 0)
                ++count;
            else
                SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)fd.cFileName);
        } while (FindNextFileA(f, &fd));
        FindClose(f);
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

/* The player's commands in the player's order, and its end test: the whole
 * seconds played equal the whole seconds of the length. */
static int PlayTitles(int count, char** files) {
    char command[MAX_PATH + 64], reply[256];
    long length;
    int i;
    for (i = 0; i < count; ++i) {
        snprintf(command, sizeof command, "open \"%s\" alias Morceau", files[i]);
        if (mciSendStringA(command, reply, sizeof reply, NULL) != 0) return 1;
        mciSendStringA("set Morceau time format ms", reply, sizeof reply, NULL);
        if (mciSendStringA("seek Morceau to end wait", reply, sizeof reply, NULL) == 0)
            mciSendStringA("status Morceau position wait", reply, sizeof reply, NULL);
        else
            mciSendStringA("status Morceau length wait", reply, sizeof reply, NULL);
        length = atol(reply) / 1000;
        mciSendStringA("seek Morceau to start", reply, sizeof reply, NULL);
        mciSendStringA("play Morceau from 1 notify", reply, sizeof reply, NULL);
        for (;;) {
            Sleep(20);
            if (mciSendStringA("status Morceau position", reply, sizeof reply, NULL) == 0 && atol(reply) / 1000 == length)
                break;
        }
        mciSendStringA("close Morceau", reply, sizeof reply, NULL);
    }
    return 0;
}

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "windows";
    HINSTANCE inst = GetModuleHandleA(NULL);
    WNDCLASSA wc;
    HWND back, front;
    MSG msg;
    char reply[256];

    if (strcmp(mode, "titles") == 0) return PlayTitles(argc - 2, argv + 2);

#ifdef FLOOR_COMMON_CONTROLS
    InitCommonControls();
#endif
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = "FloorStrip";
    RegisterClassA(&wc);
    back = CreateWindowExA(WS_EX_LAYERED, "FloorStrip", "Floor", WS_POPUP, 240, 470, 795, 70, NULL, NULL, inst, NULL);
    front = CreateWindowExA(WS_EX_LAYERED, "FloorStrip", "", WS_POPUP, 240, 470, 795, 70, back, NULL, inst, NULL);
    SetLayeredWindowAttributes(back, 0, 255, LWA_ALPHA);
    SetLayeredWindowAttributes(front, RGB(255, 0, 255), 0, LWA_COLORKEY);

    if (strcmp(mode, "list") == 0 && argc > 2) {
        HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, 10,
                                     10, 300, 350, front, NULL, inst, NULL);
        ListFolder(argv[2], combo);
    }
    if (strcmp(mode, "play") == 0 && argc > 2) {
        char command[MAX_PATH + 64];
        snprintf(command, sizeof command, "open \"%s\" alias Morceau", argv[2]);
        mciSendStringA(command, reply, sizeof reply, NULL);
        mciSendStringA("set Morceau time format milliseconds", reply, sizeof reply, NULL);
        mciSendStringA("play Morceau from 1", reply, sizeof reply, NULL);
    }
    IMFPMediaPlayer* player = NULL;
    static const GUID position100ns = {0};  /* MFP_POSITIONTYPE_100NS */
    if (strcmp(mode, "foundation") == 0 && argc > 2) {
        /* Loaded here, as the player does: the other floors never pay for it. */
        typedef HRESULT(WINAPI * CreatePlayer)(LPCWSTR, BOOL, MFP_CREATION_OPTIONS, IMFPMediaPlayerCallback*, HWND,
                                               IMFPMediaPlayer**);
        typedef HRESULT(WINAPI * Initialize)(LPVOID);
        HMODULE mfplay = LoadLibraryA("mfplay.dll"), ole32 = LoadLibraryA("ole32.dll");
        CreatePlayer create = mfplay ? (CreatePlayer)(void*)GetProcAddress(mfplay, "MFPCreateMediaPlayer") : NULL;
        Initialize initialize = ole32 ? (Initialize)(void*)GetProcAddress(ole32, "CoInitialize") : NULL;
        WCHAR url[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, argv[2], -1, url, MAX_PATH);
        if (!create || !initialize || FAILED(initialize(NULL)) || FAILED(create(url, TRUE, 0, NULL, NULL, &player)))
            return 1;
    }
    ShowWindow(back, SW_SHOWNORMAL);
    ShowWindow(front, SW_SHOWNORMAL);

    while (!g_quit) {
        if (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE | PM_NOYIELD)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            Sleep(20);
        }
        if (player) {
            PROPVARIANT at; /* a VT_I8: nothing to clear */
            memset(&at, 0, sizeof at);
            IMFPMediaPlayer_GetPosition(player, &position100ns, &at);
        } else {
            mciSendStringA("status Morceau position", reply, sizeof reply, NULL);
        }
    }
    if (player) {
        IMFPMediaPlayer_Shutdown(player);
        IMFPMediaPlayer_Release(player);
    }
    mciSendStringA("close Morceau", reply, sizeof reply, NULL);
    DestroyWindow(back);
    return 0;
}
