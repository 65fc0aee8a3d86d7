#include "playback/media_win32.h"

#include <propidl.h>

#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"

namespace vireo {

namespace {

// Kept here so that the build needs no import library for them.
const GUID kIidPlayerCallback = {0x766c8ffb, 0x5fdb, 0x4fea, {0xa2, 0x8d, 0xb9, 0x12, 0x99, 0x6f, 0x51, 0xbd}};
const GUID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kPosition100ns = {};  // MFP_POSITIONTYPE_100NS

// A title that has not begun to play after this long never will: a decoder
// that hangs must not hold the run.
constexpr DWORD kOpeningLimitMs = 15000;

using CreatePlayerFn = HRESULT(WINAPI*)(LPCWSTR, BOOL, MFP_CREATION_OPTIONS, IMFPMediaPlayerCallback*, HWND,
                                        IMFPMediaPlayer**);

CreatePlayerFn CreatePlayer() {
    // Looked up at the first title that needs it, never at start-up; from the
    // system folder only (a Windows N edition without its Media Feature Pack
    // has none: its titles then fail to open).
    static const auto f = [] {
        HMODULE dll = SystemDll(L"mfplay.dll");
        return dll ? reinterpret_cast<CreatePlayerFn>(reinterpret_cast<void*>(GetProcAddress(dll, "MFPCreateMediaPlayer")))
                   : nullptr;
    }();
    return f;
}

int64_t Milliseconds(const PROPVARIANT& v) {
    if (v.vt == VT_I8) return v.hVal.QuadPart / 10000;
    if (v.vt == VT_UI8) return static_cast<int64_t>(v.uhVal.QuadPart / 10000);
    return -1;
}

}  // namespace

HRESULT Win32Media::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualGUID(iid, kIidPlayerCallback) || IsEqualGUID(iid, kIidUnknown)) {
        *out = static_cast<IMFPMediaPlayerCallback*>(this);
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

bool Win32Media::open(const std::u16string& path) {
    close();
    const CreatePlayerFn create = CreatePlayer();
    if (!create || FAILED(create(nullptr, FALSE, 0, this, nullptr, &player_)) || !player_) {
        player_ = nullptr;
        return false;
    }
    // Synchronous: a file nothing decodes fails here, as an MCI open would.
    IMFPMediaItem* item = nullptr;
    BOOL audio = FALSE, selected = FALSE, isProtected = FALSE;
    bool ok = SUCCEEDED(player_->CreateMediaItemFromURL(Wide(path), TRUE, 0, &item)) && item &&
              SUCCEEDED(item->HasAudio(&audio, &selected)) && audio &&
              !(SUCCEEDED(item->IsProtected(&isProtected)) && isProtected);
    if (ok) {
        PROPVARIANT duration;
        PropVariantInit(&duration);
        if (SUCCEEDED(item->GetDuration(kPosition100ns, &duration))) durationMs_ = Milliseconds(duration);
        PropVariantClear(&duration);
        ok = SUCCEEDED(player_->SetMediaItem(item));
    }
    if (item) item->Release();
    if (!ok) {
        close();
        return false;
    }
    state_ = MediaState::Opening;
    openingSince_ = GetTickCount();
    return true;
}

bool Win32Media::start() {
    if (playFrom_ >= 0) {
        PROPVARIANT at;
        PropVariantInit(&at);
        at.vt = VT_I8;
        at.hVal.QuadPart = playFrom_ * 10000;
        player_->SetPosition(kPosition100ns, &at);
    }
    return SUCCEEDED(player_->Play());
}

bool Win32Media::play(int64_t fromMs) {
    if (!player_ || state_ == MediaState::Failed) return false;
    playFrom_ = fromMs;
    state_ = MediaState::Opening;
    openingSince_ = GetTickCount();
    // The item is set asynchronously: play once it is.
    if (!itemSet_) {
        playWanted_ = true;
        return true;
    }
    return start();
}

bool Win32Media::pause() {
    if (!player_ || FAILED(player_->Pause())) return false;
    state_ = MediaState::Paused;
    return true;
}

int64_t Win32Media::positionMs() {
    if (!player_) return -1;
    PROPVARIANT at;
    PropVariantInit(&at);
    const int64_t ms = SUCCEEDED(player_->GetPosition(kPosition100ns, &at)) ? Milliseconds(at) : -1;
    PropVariantClear(&at);
    return ms;
}

MediaState Win32Media::state() {
    if (state_ == MediaState::Opening && GetTickCount() - openingSince_ > kOpeningLimitMs) state_ = MediaState::Failed;
    return state_;
}

void Win32Media::OnMediaPlayerEvent(MFP_EVENT_HEADER* event) {
    if (!event || !player_ || event->pMediaPlayer != player_) return;
    if (FAILED(event->hrEvent)) {
        state_ = MediaState::Failed;
        return;
    }
    switch (event->eEventType) {
    case MFP_EVENT_TYPE_MEDIAITEM_SET:
        itemSet_ = true;
        if (playWanted_) {
            playWanted_ = false;
            if (!start()) state_ = MediaState::Failed;
        }
        break;
    case MFP_EVENT_TYPE_PLAY:
        if (state_ == MediaState::Opening) state_ = MediaState::Playing;
        break;
    case MFP_EVENT_TYPE_PLAYBACK_ENDED:
        state_ = MediaState::Stopped;
        break;
    case MFP_EVENT_TYPE_ERROR:
        state_ = MediaState::Failed;
        break;
    default:
        break;
    }
}

void Win32Media::close() {
    if (player_) {
        // Shut down first: no event reaches this object afterwards.
        player_->Shutdown();
        player_->Release();
    }
    player_ = nullptr;
    durationMs_ = -1;
    state_ = MediaState::Closed;
    itemSet_ = playWanted_ = false;
    playFrom_ = -1;
}

}  // namespace vireo
