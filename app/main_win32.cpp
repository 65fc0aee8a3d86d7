// Entry point: start-up, the wiring of the adapters into the player, shutdown.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <array>
#include <string>

#include "app/main_loop.h"
#include "app/ports_win32.h"
#include "app/startup.h"
#include "core/modal_win32.h"
#include "core/names.h"
#include "core/player.h"
#include "core/thumb_buttons.h"
#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"
#include "library/folder_scan.h"
#include "library/storage_win32.h"
#include "playback/media_win32.h"
#include "playback/mci_win32.h"
#include "playback/system_controls_win32.h"
#include "playback/taskbar_win32.h"
#include "ui/image_store_win32.h"
#include "ui/layout.h"
#include "ui/ui_win32.h"

namespace vireo {
namespace {

// The folder 64-bit Windows keeps for 32-bit programs, wherever it is
// installed; "" when the system names none.
std::u16string ProgramFilesX86() {
    wchar_t folder[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"ProgramFiles(x86)", folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? FromWide(folder, n) : std::u16string();
}

int Run(HINSTANCE instance) {
    // 1. Program state starts zeroed; one thread, COM in a single-threaded apartment.
    ProgramState st;
    sys::InitCommonControls();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    sys::InitCommonControlsEx(&icc);
    HRESULT com = CoInitialize(nullptr);

    // 3. Platform check, acted on in step 7.
    Win32Directories dirs;
    st.platformTag = CheckPlatform(dirs, ProgramFilesX86());

    // 4, 5. Wide: the program's folder may be one the code page cannot spell.
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    st.programPath = FromWide(path, n < MAX_PATH ? n : 0);
    st.programDir = ProgramDirOf(st.programPath);
    st.lengthSeconds = 100;

    // 2, 6. CaptionFont and the pictures, for the display's scale: only the
    // pictures the strip shows. Every other one would cost start time and
    // memory and never reach the screen.
    PlatformImages images;
    StartStripScale(images);

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
    ApplyAlphaBackdrop(backdrop, images, kBackdropPicture, 255, StripCaptionFont());

    // 9. MainWindow, colour-keyed, owned by the backdrop.
    main = OpenMainWindow(instance, backdrop);
    if (!main) goto S3;
    SetModalStrip(main);

    {
        // 10. ReplyBuffer.
        replyBuffer = GlobalAlloc(GMEM_FIXED, kReplyBufferSize);
        st.replyBuffer = static_cast<char*>(replyBuffer);

        // 11, 12. Controls with their tips, then their initial states.
        CreateControls(main, images, st.lengthSeconds);
        SetInitialStates(main);
        // Focus cues stay hidden until the keyboard is used (Tab shows them),
        // as in a dialog opened with the mouse.
        SendMessageA(main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);

        Win32Controls controls(main);
        Win32Mci mci;
        Win32Events events(backdrop, main);
        Win32Windows windows(backdrop, main);
        Win32Launcher launcher;
        std::array<std::u16string, 4> thumbTips;
        for (size_t i = 0; i < thumbTips.size(); ++i) thumbTips[i] = WidenCp1252(FindControl(kThumbButtons[i])->spoken);
        Win32Taskbar taskbar(backdrop, std::move(thumbTips));
        Win32Files files;
        Win32FolderRequester requester;
        Win32Media media;
        Win32SystemControls system(backdrop, SystemButtonMessage(), LeaveMediaKeysToSystem);
        Player p{std::move(st), Ports{controls, mci, events, boxes, windows, launcher, taskbar, files, dirs,
                                      requester, media, system}};

        // 13. The default folder.
        LoadMusicFolder(p);

        // 14, 15. Windows 10 knows the scale of the monitor the strip is on,
        // which may not be the system's.
        InstallFollowMainWindow(main, backdrop);
        InstallStripScaling(backdrop, main);
        ScaleStrip(WindowDpi(main), nullptr);
        ShowWindow(backdrop, SW_SHOWNORMAL);
        ShowWindow(main, SW_SHOWNORMAL);

        // 16. The hand pointer over the clickable controls.
        handCursor = LoadCursorA(nullptr, IDC_HAND);
        for (ControlId id : HandCursorControls()) AttachCursor(GetDlgItem(main, id), handCursor);
        // Once the strip shows: the names cost a library load nobody waits for.
        NameForScreenReaders(main);

        // 17.
        RunMainLoop(p);
    }

    // S1, S2.
    DestroyCursor(handCursor);
    ForgetScreenReaderNames(main);
    DestroyWindow(backdrop);
    backdrop = nullptr;
    ReleaseControlResources();
S3:
    if (replyBuffer) GlobalFree(replyBuffer);
S4:
    if (backdrop) DestroyWindow(backdrop);
    images.release();
    ReleaseStripScale();
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

}  // namespace
}  // namespace vireo

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    vireo::RestrictDllSearch();
    return vireo::Run(instance);
}
