#include "playback/system_controls_win32.h"

#include <atomic>
#include <new>
#include <string>

#include "core/system_dlls_win32.h"
#include "core/wide_win32.h"

namespace vireo {

namespace {

using namespace winrt;

// A string of the runtime for the length of one call.
class String {
public:
    // combase.dll is loaded from the system folder by the first: imported,
    // it would keep the exe from starting on Windows 7.
    explicit String(std::u16string_view text) {
        std::u16string copy(text);
        if (FAILED(sys::WindowsCreateString(Wide(copy), static_cast<UINT32>(copy.size()), &h_))) h_ = nullptr;
    }
    ~String() {
        if (h_) sys::WindowsDeleteString(h_);
    }
    String(const String&) = delete;
    String& operator=(const String&) = delete;
    HString get() const { return h_; }

private:
    HString h_ = nullptr;
};

// Every object starts with the unknown's slots.
void Release(void* object) {
    if (object) static_cast<Object<UnknownTable>*>(object)->vtbl->release(object);
}
template <typename T>
T* Query(void* object, const GUID& iid) {
    void* out = nullptr;
    if (!object || FAILED(static_cast<Object<UnknownTable>*>(object)->vtbl->queryInterface(object, iid, &out)))
        return nullptr;
    return static_cast<T*>(out);
}

constexpr TimeSpan Ticks(int64_t ms) { return ms * 10000; }

int32_t StatusValue(PlaybackStatus s) {
    switch (s) {
        case PlaybackStatus::Closed: return kClosed;
        case PlaybackStatus::Stopped: return kStopped;
        case PlaybackStatus::Playing: return kPlaying;
        case PlaybackStatus::Paused: return kPaused;
    }
    return kClosed;
}

// The handler: called on one of the system's threads, it never touches a
// window; the strip's loop takes the posted button as the button's press.
struct ButtonHandler {
    const ButtonHandlerTable* vtbl;
    std::atomic<ULONG> refs;
    HWND window;
    UINT message;
};

HRESULT STDMETHODCALLTYPE HandlerQuery(void* self, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    // Agile: the system calls it on its own threads, without marshalling.
    if (IsEqualGUID(iid, kIidButtonHandler) || IsEqualGUID(iid, kIidUnknown) || IsEqualGUID(iid, kIidAgileObject)) {
        static_cast<ButtonHandler*>(self)->refs.fetch_add(1);
        *out = self;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE HandlerAddRef(void* self) { return static_cast<ButtonHandler*>(self)->refs.fetch_add(1) + 1; }

ULONG STDMETHODCALLTYPE HandlerRelease(void* self) {
    auto* h = static_cast<ButtonHandler*>(self);
    const ULONG left = h->refs.fetch_sub(1) - 1;
    if (left == 0) delete h;
    return left;
}

HRESULT STDMETHODCALLTYPE HandlerInvoke(void* self, void*, void* args) {
    auto* h = static_cast<ButtonHandler*>(self);
    int32_t button = -1;
    auto* a = static_cast<ButtonPressedArgs*>(args);
    if (a && SUCCEEDED(a->vtbl->getButton(a, &button))) PostMessageW(h->window, h->message, WPARAM(button), 0);
    return S_OK;
}

const ButtonHandlerTable kHandlerTable = {{HandlerQuery, HandlerAddRef, HandlerRelease}, HandlerInvoke};

}  // namespace

void* NewButtonHandler(HWND window, UINT message) {
    return new (std::nothrow) ButtonHandler{&kHandlerTable, {1}, window, message};
}

Win32SystemControls::Win32SystemControls(HWND window, UINT message, void (*onLive)(bool))
    : window_(window), message_(message), onLive_(onLive) {}

Win32SystemControls::~Win32SystemControls() { stop(); }

winrt::Controls* ControlsForWindow(HWND window) {
    Interop* interop = nullptr;
    {
        String name(u"Windows.Media.SystemMediaTransportControls");
        if (!name.get() ||
            FAILED(sys::RoGetActivationFactory(name.get(), kIidInterop, reinterpret_cast<void**>(&interop))))
            return nullptr;
    }
    Controls* controls = nullptr;
    if (!interop ||
        FAILED(interop->vtbl->getForWindow(interop, window, kIidControls, reinterpret_cast<void**>(&controls))))
        controls = nullptr;
    Release(interop);
    return controls;
}

bool Win32SystemControls::start() {
    // Before Windows 10 (no combase.dll on Windows 7, no such class on 8.x),
    // under a policy that forbids it, or anywhere a step fails: the player
    // goes on without it. Registered without its handler it would take the
    // media keys and answer none of them: all or nothing.
    if (controls_) return true;
    // The window that owns the taskbar button.
    controls_ = ControlsForWindow(window_);
    if (!controls_) return false;
    void* handler = NewButtonHandler(window_, message_);
    const bool live = handler && SUCCEEDED(controls_->vtbl->putIsEnabled(controls_, 1)) &&
                      SUCCEEDED(controls_->vtbl->addButtonPressed(controls_, handler, &token_));
    Release(handler);  // the controls hold their own reference
    if (!live) {
        controls_->vtbl->putIsEnabled(controls_, 0);
        Release(controls_);
        controls_ = nullptr;
        return false;
    }
    // The timeline is a nicety: the buttons work without it.
    controls2_ = Query<Controls2>(controls_, kIidControls2);
    void* instance = nullptr;
    String timelineClass(u"Windows.Media.SystemMediaTransportControlsTimelineProperties");
    if (controls2_ && timelineClass.get() && SUCCEEDED(sys::RoActivateInstance(timelineClass.get(), &instance)))
        timeline_ = Query<Timeline>(instance, kIidTimeline);
    Release(instance);
    if (onLive_) onLive_(true);
    return true;
}

void Win32SystemControls::setButtons(const SystemButtons& b) {
    if (!controls_) return;
    const ControlsTable& t = *controls_->vtbl;
    t.putIsPlayEnabled(controls_, b.play);
    t.putIsPauseEnabled(controls_, b.pause);
    t.putIsStopEnabled(controls_, b.stop);
    t.putIsNextEnabled(controls_, b.next);
    t.putIsPreviousEnabled(controls_, b.previous);
}

void Win32SystemControls::setStatus(PlaybackStatus status) {
    if (controls_) controls_->vtbl->putPlaybackStatus(controls_, StatusValue(status));
}

void Win32SystemControls::setDisplay(std::u16string_view title, std::u16string_view folder) {
    if (!controls_) return;
    DisplayUpdater* display = nullptr;
    if (FAILED(controls_->vtbl->getDisplayUpdater(controls_, reinterpret_cast<void**>(&display))) || !display) return;
    MusicProperties* music = nullptr;
    display->vtbl->putType(display, kMusic);
    if (SUCCEEDED(display->vtbl->getMusicProperties(display, reinterpret_cast<void**>(&music))) && music) {
        String t(title), f(folder);
        music->vtbl->putTitle(music, t.get());
        music->vtbl->putArtist(music, f.get());
        Release(music);
    }
    display->vtbl->update(display);
    Release(display);
}

void Win32SystemControls::setTimeline(int64_t endMs, int64_t positionMs) {
    if (!controls2_ || !timeline_) return;
    const TimelineTable& t = *timeline_->vtbl;
    t.putStartTime(timeline_, 0);
    t.putEndTime(timeline_, Ticks(endMs));
    t.putPosition(timeline_, Ticks(positionMs));
    controls2_->vtbl->updateTimelineProperties(controls2_, timeline_);
}

void Win32SystemControls::stop() {
    if (!controls_) return;
    // No press may come in once the windows are gone.
    controls_->vtbl->removeButtonPressed(controls_, token_);
    controls_->vtbl->putIsEnabled(controls_, 0);
    Release(timeline_);
    Release(controls2_);
    Release(controls_);
    timeline_ = nullptr;
    controls2_ = nullptr;
    controls_ = nullptr;
    if (onLive_) onLive_(false);
}

}  // namespace vireo
