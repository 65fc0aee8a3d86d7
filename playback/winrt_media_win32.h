// The few Windows Runtime interfaces of the system's media transport controls
// the player calls, declared by hand: the toolchain's headers have none of
// them. Each object is a pointer to its table of functions, in the order the
// platform's metadata gives; the slot of every function the player calls is
// checked below, so that a table written wrong does not build.
#pragma once
#include <windows.h>
#include <hstring.h>

#include <cstddef>
#include <cstdint>

namespace vireo::winrt {

using HString = HSTRING;
// A Windows Runtime boolean is one byte.
using Boolean = unsigned char;
// TimeSpan is a struct of one 64-bit count of 100 ns, passed as that count.
using TimeSpan = int64_t;
using EventToken = int64_t;

template <typename... A>
using Fn = HRESULT(STDMETHODCALLTYPE*)(void* self, A...);
using Unused = void*;  // a function the player never calls

struct UnknownTable {
    Fn<REFIID, void**> queryInterface;
    ULONG(STDMETHODCALLTYPE* addRef)(void* self);
    ULONG(STDMETHODCALLTYPE* release)(void* self);
};
struct InspectableTable {
    UnknownTable unknown;
    Unused getIids, getRuntimeClassName, getTrustLevel;
};
template <typename Table>
struct Object {
    const Table* vtbl;
};

// Windows.Media.SystemMediaTransportControls' activation factory.
struct InteropTable {
    InspectableTable inspectable;
    Fn<HWND, REFIID, void**> getForWindow;
};

enum PlaybackStatusValue : int32_t { kClosed = 0, kChanging = 1, kStopped = 2, kPlaying = 3, kPaused = 4 };
constexpr int32_t kMusic = 1;  // MediaPlaybackType

// The getters are for the tests, which read back what was put.
struct ControlsTable {
    InspectableTable inspectable;
    Fn<int32_t*> getPlaybackStatus;
    Fn<int32_t> putPlaybackStatus;
    Fn<void**> getDisplayUpdater;
    Unused getSoundLevel;
    Fn<Boolean*> getIsEnabled;
    Fn<Boolean> putIsEnabled;
    Fn<Boolean*> getIsPlayEnabled;
    Fn<Boolean> putIsPlayEnabled;
    Fn<Boolean*> getIsStopEnabled;
    Fn<Boolean> putIsStopEnabled;
    Fn<Boolean*> getIsPauseEnabled;
    Fn<Boolean> putIsPauseEnabled;
    Unused getIsRecordEnabled, putIsRecordEnabled, getIsFastForwardEnabled, putIsFastForwardEnabled,
        getIsRewindEnabled, putIsRewindEnabled;
    Fn<Boolean*> getIsPreviousEnabled;
    Fn<Boolean> putIsPreviousEnabled;
    Fn<Boolean*> getIsNextEnabled;
    Fn<Boolean> putIsNextEnabled;
    Unused getIsChannelUpEnabled, putIsChannelUpEnabled, getIsChannelDownEnabled, putIsChannelDownEnabled;
    Fn<void*, EventToken*> addButtonPressed;
    Fn<EventToken> removeButtonPressed;
    Unused addPropertyChanged, removePropertyChanged;
};

struct Controls2Table {
    InspectableTable inspectable;
    Unused getAutoRepeatMode, putAutoRepeatMode, getShuffleEnabled, putShuffleEnabled, getPlaybackRate,
        putPlaybackRate;
    Fn<void*> updateTimelineProperties;
};

struct DisplayUpdaterTable {
    InspectableTable inspectable;
    Fn<int32_t*> getType;
    Fn<int32_t> putType;
    Unused getAppMediaId, putAppMediaId, getThumbnail, putThumbnail;
    Fn<void**> getMusicProperties;
    Unused getVideoProperties, getImageProperties, copyFromFileAsync, clearAll;
    Fn<> update;
};

struct MusicPropertiesTable {
    InspectableTable inspectable;
    Unused getTitle;
    Fn<HString> putTitle;
    Unused getAlbumArtist, putAlbumArtist, getArtist;
    Fn<HString> putArtist;
};

struct TimelineTable {
    InspectableTable inspectable;
    Unused getStartTime;
    Fn<TimeSpan> putStartTime;
    Unused getEndTime;
    Fn<TimeSpan> putEndTime;
    Unused getMinSeekTime, putMinSeekTime, getMaxSeekTime, putMaxSeekTime, getPosition;
    Fn<TimeSpan> putPosition;
};

struct ButtonPressedArgsTable {
    InspectableTable inspectable;
    Fn<int32_t*> getButton;
};

// TypedEventHandler<SystemMediaTransportControls, ...ButtonPressedEventArgs>:
// a delegate, IUnknown and Invoke.
struct ButtonHandlerTable {
    UnknownTable unknown;
    Fn<void*, void*> invoke;
};

constexpr size_t Slot(size_t offset) { return offset / sizeof(void*); }
#define VIREO_SLOT(table, member, slot) \
    static_assert(Slot(offsetof(table, member)) == (slot), #table "::" #member " is not in slot " #slot)
VIREO_SLOT(UnknownTable, release, 2);
VIREO_SLOT(InteropTable, getForWindow, 6);
VIREO_SLOT(ControlsTable, getPlaybackStatus, 6);
VIREO_SLOT(ControlsTable, putPlaybackStatus, 7);
VIREO_SLOT(ControlsTable, getDisplayUpdater, 8);
VIREO_SLOT(ControlsTable, getIsEnabled, 10);
VIREO_SLOT(ControlsTable, putIsEnabled, 11);
VIREO_SLOT(ControlsTable, getIsPlayEnabled, 12);
VIREO_SLOT(ControlsTable, putIsPlayEnabled, 13);
VIREO_SLOT(ControlsTable, getIsStopEnabled, 14);
VIREO_SLOT(ControlsTable, putIsStopEnabled, 15);
VIREO_SLOT(ControlsTable, getIsPauseEnabled, 16);
VIREO_SLOT(ControlsTable, putIsPauseEnabled, 17);
VIREO_SLOT(ControlsTable, getIsPreviousEnabled, 24);
VIREO_SLOT(ControlsTable, putIsPreviousEnabled, 25);
VIREO_SLOT(ControlsTable, getIsNextEnabled, 26);
VIREO_SLOT(ControlsTable, putIsNextEnabled, 27);
VIREO_SLOT(ControlsTable, addButtonPressed, 32);
VIREO_SLOT(ControlsTable, removeButtonPressed, 33);
VIREO_SLOT(Controls2Table, updateTimelineProperties, 12);
VIREO_SLOT(DisplayUpdaterTable, getType, 6);
VIREO_SLOT(DisplayUpdaterTable, putType, 7);
VIREO_SLOT(DisplayUpdaterTable, getMusicProperties, 12);
VIREO_SLOT(DisplayUpdaterTable, update, 17);
VIREO_SLOT(MusicPropertiesTable, putTitle, 7);
VIREO_SLOT(MusicPropertiesTable, putArtist, 11);
VIREO_SLOT(TimelineTable, putStartTime, 7);
VIREO_SLOT(TimelineTable, putEndTime, 9);
VIREO_SLOT(TimelineTable, putPosition, 15);
VIREO_SLOT(ButtonPressedArgsTable, getButton, 6);
VIREO_SLOT(ButtonHandlerTable, invoke, 3);
#undef VIREO_SLOT
static_assert(sizeof(Boolean) == 1 && sizeof(TimeSpan) == 8, "the platform's sizes");

using Interop = Object<InteropTable>;
using Controls = Object<ControlsTable>;
using Controls2 = Object<Controls2Table>;
using DisplayUpdater = Object<DisplayUpdaterTable>;
using MusicProperties = Object<MusicPropertiesTable>;
using Timeline = Object<TimelineTable>;
using ButtonPressedArgs = Object<ButtonPressedArgsTable>;

// The interfaces' identifiers, as the platform's metadata gives them.
inline constexpr GUID kIidInterop = {0xddb0472d, 0xc911, 0x4a1f, {0x86, 0xd9, 0xdc, 0x3d, 0x71, 0xa9, 0x5f, 0x5a}};
inline constexpr GUID kIidControls = {0x99fa3ff4, 0x1742, 0x42a6, {0x90, 0x2e, 0x08, 0x7d, 0x41, 0xf9, 0x65, 0xec}};
inline constexpr GUID kIidControls2 = {0xea98d2f6, 0x7f3c, 0x4af2, {0xa5, 0x86, 0x72, 0x88, 0x98, 0x08, 0xef, 0xb1}};
inline constexpr GUID kIidDisplayUpdater = {0x8abbc53e, 0xfa55, 0x4ecf, {0xad, 0x8e, 0xc9, 0x84, 0xe5, 0xdd, 0x15, 0x50}};
inline constexpr GUID kIidMusicProperties = {0x6bbf0c59, 0xd0a0, 0x4d26, {0x92, 0xa0, 0xf9, 0x78, 0xe1, 0xd1, 0x8e, 0x7b}};
inline constexpr GUID kIidTimeline = {0x5125316a, 0xc3a2, 0x475b, {0x85, 0x07, 0x93, 0x53, 0x4d, 0xc8, 0x8f, 0x15}};
inline constexpr GUID kIidButtonPressedArgs = {
    0xb7f47116, 0xa56f, 0x4dc8, {0x9e, 0x11, 0x92, 0x03, 0x1f, 0x4a, 0x87, 0xc2}};
inline constexpr GUID kIidButtonHandler = {0x0557e996, 0x7b23, 0x5bae, {0xaa, 0x81, 0xea, 0x0d, 0x67, 0x11, 0x43, 0xa4}};
inline constexpr GUID kIidAgileObject = {0x94ea2b94, 0xe9cc, 0x49e0, {0xc0, 0xff, 0xee, 0x64, 0xca, 0x8f, 0x5b, 0x90}};
inline constexpr GUID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace vireo::winrt
