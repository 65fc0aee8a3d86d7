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
    IMFPMediaPlayer*& player = player_.p;
    if (!create || FAILED(create(nullptr, FALSE, 0, this, nullptr, &player)) || !player) {
        player = nullptr;
        return false;
    }
    // Not blocking: resolving a file can wait on its disk or share for as long
    // as that takes, or for ever on a file the source parser loops on; the
    // item comes by its event, through the main loop's passes.
    if (FAILED(player->CreateMediaItemFromURL(Wide(path), FALSE, 0, nullptr))) {
        close();
        return false;
    }
    title_.open(GetTickCount());
    return true;
}

void Win32Media::onItemCreated(IMFPMediaItem* item, bool succeeded) {
    BOOL audio = FALSE, selected = FALSE, isProtected = FALSE;
    MFP_MEDIAITEM_CHARACTERISTICS can = 0;
    const bool ok = succeeded && item && SUCCEEDED(item->HasAudio(&audio, &selected)) && audio &&
                    !(SUCCEEDED(item->IsProtected(&isProtected)) && isProtected);
    if (ok) {
        PROPVARIANT duration;
        PropVariantInit(&duration);
        if (SUCCEEDED(item->GetDuration(kPosition100ns, &duration))) durationMs_ = Milliseconds(duration);
        PropVariantClear(&duration);
        // What the stream allows: Windows' own decoders cannot seek or pause
        // every stream.
        if (FAILED(item->GetCharacteristics(&can))) can = 0;
    }
    player_.item = ok ? item : nullptr;
    title_.created(player_, ok, (can & MFP_MEDIAITEM_CAN_SEEK) != 0, (can & MFP_MEDIAITEM_CAN_PAUSE) != 0,
                   GetTickCount());
    player_.item = nullptr;
}

bool Win32Media::MfpPlayer::setItem() { return item && SUCCEEDED(p->SetMediaItem(item)); }

bool Win32Media::MfpPlayer::setPosition(int64_t ms) {
    PROPVARIANT at;
    PropVariantInit(&at);
    at.vt = VT_I8;
    at.hVal.QuadPart = ms * 10000;
    return SUCCEEDED(p->SetPosition(kPosition100ns, &at));
}

int64_t Win32Media::positionMs() {
    if (!player_.p) return -1;
    PROPVARIANT at;
    PropVariantInit(&at);
    const int64_t ms = SUCCEEDED(player_.p->GetPosition(kPosition100ns, &at)) ? Milliseconds(at) : -1;
    PropVariantClear(&at);
    return ms;
}

void Win32Media::OnMediaPlayerEvent(MFP_EVENT_HEADER* event) {
    if (!event || !player_.p || event->pMediaPlayer != player_.p) return;
    if (event->eEventType == MFP_EVENT_TYPE_MEDIAITEM_CREATED) {
        // The event holds the item for as long as the call lasts; set, the
        // player holds it.
        onItemCreated(reinterpret_cast<MFP_MEDIAITEM_CREATED_EVENT*>(event)->pMediaItem, SUCCEEDED(event->hrEvent));
        return;
    }
    PlayerEvent what = PlayerEvent::Other;
    switch (event->eEventType) {
    case MFP_EVENT_TYPE_MEDIAITEM_SET: what = PlayerEvent::ItemSet; break;
    case MFP_EVENT_TYPE_PLAY: what = PlayerEvent::Play; break;
    case MFP_EVENT_TYPE_PAUSE: what = PlayerEvent::Pause; break;
    case MFP_EVENT_TYPE_POSITION_SET: what = PlayerEvent::PositionSet; break;
    case MFP_EVENT_TYPE_PLAYBACK_ENDED: what = PlayerEvent::Ended; break;
    case MFP_EVENT_TYPE_ERROR: what = PlayerEvent::Error; break;
    default: break;
    }
    title_.onEvent(player_, what, SUCCEEDED(event->hrEvent));
}

void Win32Media::close() {
    if (player_.p) {
        // Shut down first: no event reaches this object afterwards.
        player_.p->Shutdown();
        player_.p->Release();
    }
    player_.p = nullptr;
    durationMs_ = -1;
    title_.close();
}

}  // namespace vireo
