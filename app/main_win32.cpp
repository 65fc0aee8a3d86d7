// Entry point: start-up, the platform's side of the ports, shutdown.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "app/main_loop.h"
#include "core/modal_win32.h"
#include "core/player.h"
#include "app/startup.h"
#include "library/folder_scan.h"
#include "library/storage_win32.h"
#include "playback/mci_win32.h"
#include "playback/taskbar_win32.h"
#include "ui/image_store_win32.h"
#include "ui/layout.h"
#include "ui/ui_win32.h"

namespace vireo {
namespace {

class Win32Boxes : public BoxPort {
public:
    void showBox(std::string_view title, std::string_view text, unsigned flags) override {
        std::string t(title), x(text);
        ModalScope modal;
        MessageBoxA(modal.owner(), x.c_str(), t.c_str(), MB_OK | flags);
    }
};

class Win32Events : public EventPort {
public:
    Win32Events(HWND backdrop, HWND main) : backdrop_(backdrop), main_(main) {}
    Event nextEvent() override {
        MSG msg;
        bool got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD) != FALSE;
        if (got) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Sent messages are delivered inside PeekMessageA too, so look even when
        // nothing was posted.
        Event raised = TakeRaisedEvent();
        if (raised.kind != EventKind::None) return raised;
        if (!got) return {};
        // Presses on controls keep their own meaning: only the two windows drag.
        if (msg.message == WM_LBUTTONDOWN && (msg.hwnd == backdrop_ || msg.hwnd == main_))
            return {EventKind::LeftPress, 0};
        return {EventKind::Other, 0};
    }
    void sleepMs(unsigned ms) override { Sleep(ms); }
    uint32_t nowMs() override { return GetTickCount(); }

private:
    HWND backdrop_, main_;
};

class Win32Windows : public WindowPort {
public:
    Win32Windows(HWND backdrop, HWND main) : backdrop_(backdrop), main_(main) {}
    void beginDrag() override { SendMessageA(main_, WM_NCLBUTTONDOWN, HTCAPTION, 0); }
    void minimize() override {
        ShowWindow(main_, SW_MINIMIZE);
        ShowWindow(backdrop_, SW_MINIMIZE);
    }

private:
    HWND backdrop_, main_;
};

class Win32Launcher : public LauncherPort {
public:
    bool launch(std::string_view file) override {
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
        HMODULE shell = LoadLibraryA("SHELL32.DLL");
        if (!shell) return false;
        auto execute = reinterpret_cast<BOOL(WINAPI*)(SHELLEXECUTEINFOA*)>(
            reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteExA")));
        return execute && execute(&sei) != FALSE;
    }
    std::string systemDirectory() override {
        char dir[500];
        UINT n = GetSystemDirectoryA(dir, sizeof dir);
        return n > 0 && n < sizeof dir ? std::string(dir, n) : std::string();
    }
};

constexpr int kBackdropPicture = 20;

int Run(HINSTANCE instance) {
    // 1. Program state starts zeroed; one thread, COM in a single-threaded apartment.
    ProgramState st;
    InitCommonControls();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HRESULT com = CoInitialize(nullptr);

    // 2. CaptionFont.
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HFONT captionFont = CreateFontA(-MulDiv(7, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "Verdana");

    // 3. Platform check, acted on in step 7.
    Win32Directories dirs;
    st.platformTag = CheckPlatform(dirs);

    // 4, 5.
    char path[260];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    st.programPath.assign(path, n < sizeof path ? n : 0);
    st.programDir = ProgramDirOf(st.programPath);
    st.lengthSeconds = 100;

    // 6. Pictures: only those the strip shows. Every other one would cost start
    // time and memory and never reach the screen.
    PlatformImages images;
    images.decode(kBackdropPicture);
    for (const ControlSpec& c : ControlTable())
        if (c.picture >= 0 && !images.bitmap(c.picture) && !images.icon(c.picture)) images.decode(c.picture);

    Win32Boxes boxes;
    HWND backdrop = nullptr, main = nullptr;
    HGLOBAL replyBuffer = nullptr;
    HCURSOR handCursor = nullptr;

    // 7. Refuse a 32-bit system.
    if (st.platformTag == kPlatform32) {
        boxes.showBox(kRefusalTitle, kRefusalText, kRefusalFlags);
        goto S4;
    }

    // 8. BackdropWindow with its alpha picture.
    backdrop = OpenBackdropWindow(instance);
    if (!backdrop) goto S4;
    ApplyAlphaBackdrop(backdrop, images, kBackdropPicture, 255, captionFont);

    // 9. MainWindow, colour-keyed, owned by the backdrop.
    main = OpenMainWindow(instance, backdrop);
    if (!main) goto S3;

    {
        // 10. ReplyBuffer.
        replyBuffer = GlobalAlloc(GMEM_FIXED, kReplyBufferSize);
        st.replyBuffer = static_cast<char*>(replyBuffer);

        // 11, 12. Controls with their tips, then their initial states.
        CreateControls(main, images, st.lengthSeconds);
        SetInitialStates(main);

        Win32Controls controls(main);
        Win32Mci mci;
        Win32Events events(backdrop, main);
        Win32Windows windows(backdrop, main);
        Win32Launcher launcher;
        Win32Taskbar taskbar(backdrop);
        Win32Files files;
        Win32FolderRequester requester;
        Player p{std::move(st), Ports{controls, mci, events, boxes, windows, launcher, taskbar, files, dirs, requester}};

        // 13. The default folder.
        LoadMusicFolder(p);

        // 14, 15.
        InstallFollowMainWindow(main, backdrop);
        ShowWindow(backdrop, SW_SHOWNORMAL);
        ShowWindow(main, SW_SHOWNORMAL);

        // 16. The hand pointer over the clickable controls.
        handCursor = LoadCursorA(nullptr, IDC_HAND);
        for (ControlId id : HandCursorControls()) AttachCursor(GetDlgItem(main, id), handCursor);

        // 17.
        RunMainLoop(p);
    }

    // S1, S2.
    DestroyCursor(handCursor);
    DestroyWindow(backdrop);
    backdrop = nullptr;
S3:
    if (replyBuffer) GlobalFree(replyBuffer);
S4:
    if (backdrop) DestroyWindow(backdrop);
    images.release();
    if (captionFont) DeleteObject(captionFont);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

}  // namespace
}  // namespace vireo

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return vireo::Run(instance); }
