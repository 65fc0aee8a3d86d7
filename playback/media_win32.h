// The Media Foundation engine: the platform's MFPlay player object, one per
// open title, from the system folder's mfplay.dll, loaded at the first title
// that needs it.
#pragma once
#include <windows.h>
#include <mfplay.h>

#include "core/media.h"
#include "playback/foundation_title.h"

namespace vireo {

class Win32Media : public MediaPort, private IMFPMediaPlayerCallback {
public:
    Win32Media() = default;
    ~Win32Media() override { close(); }
    Win32Media(const Win32Media&) = delete;
    Win32Media& operator=(const Win32Media&) = delete;

    bool open(const std::u16string& path) override;
    int64_t durationMs() override { return durationMs_; }
    int64_t positionMs() override;
    MediaState state() override { return title_.state(GetTickCount()); }
    bool play(int64_t fromMs) override { return player_.p && title_.play(player_, fromMs, GetTickCount()); }
    bool pause() override { return player_.p && title_.pause(player_); }
    bool pauseRefused() override { return title_.takePauseRefusal(); }
    void close() override;

private:
    // The player's events come through the thread's message loop: the main
    // loop's passes deliver them. The object outlives its player, so the
    // reference count is not kept.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void STDMETHODCALLTYPE OnMediaPlayerEvent(MFP_EVENT_HEADER* event) override;
    void onItemCreated(IMFPMediaItem* item, bool succeeded);

    struct MfpPlayer : PlayerObject {
        IMFPMediaPlayer* p = nullptr;
        IMFPMediaItem* item = nullptr;  // created, until it is set
        bool setItem() override;
        bool setPosition(int64_t ms) override;
        bool play() override { return SUCCEEDED(p->Play()); }
        bool pause() override { return SUCCEEDED(p->Pause()); }
    };

    MfpPlayer player_;
    int64_t durationMs_ = -1;
    FoundationTitle title_;
};

}  // namespace vireo
