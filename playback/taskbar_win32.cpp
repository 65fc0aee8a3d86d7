#include "playback/taskbar_win32.h"

#include <objbase.h>
#include <shobjidl.h>

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

void Win32Taskbar::setProgress(int state) {
    if (OsVersionClass(QueryOsVersion()) < kTaskbarMinimumClass) return;
    // Nests inside the start-up initialisation (S_FALSE). Only a call that
    // succeeded is balanced: an extra CoUninitialize would undo start-up's.
    const bool initialised = SUCCEEDED(CoInitialize(nullptr));
    ITaskbarList3* list = nullptr;
    if (CoCreateInstance(kClsidTaskbarList, nullptr, CLSCTX_INPROC_SERVER, kIidTaskbarList3,
                         reinterpret_cast<void**>(&list)) == S_OK &&
        list) {
        // Only an initialised list may be told anything.
        if (SUCCEEDED(list->HrInit())) list->SetProgressState(window_, static_cast<TBPFLAG>(state));
        list->Release();
    }
    if (initialised) CoUninitialize();
}

}  // namespace vireo
