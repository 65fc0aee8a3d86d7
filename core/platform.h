// Ports to the platform that the application frame needs besides the controls.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vireo {

// Message box flags, the platform's values.
constexpr unsigned kBoxNoIcon = 0x00;
constexpr unsigned kBoxError = 0x10;
constexpr unsigned kBoxWarning = 0x30;
constexpr unsigned kBoxInformation = 0x40;

class BoxPort {
public:
    virtual ~BoxPort() = default;
    // Modal for the whole program, one OK button; returns when it is closed.
    virtual void showBox(std::string_view title, std::string_view text, unsigned flags) = 0;
    // The same for a text that carries a name Windows-1252 cannot spell.
    virtual void showWideBox(std::string_view title, std::u16string_view text, unsigned flags) = 0;
};

// What Windows asks of the transport: the media keys, the system's media
// controls and the taskbar's thumbnail buttons. PlayOrResume is a key's or
// the system's Play, which also plays on after a pause; Play is the Play
// button itself.
enum class TransportCommand { PlayPause, PlayOrResume, Play, Pause, Resume, Stop, Next, Previous };

enum class EventKind {
    None,
    Control,
    LeftPress,
    Close,
    Transport,      // a command from Windows (above)
    Drop,           // files and folders dropped on the strip
    TaskbarButton,  // the taskbar has made the program's button (again)
    Other,
};

struct Event {
    Event() = default;
    Event(EventKind k, int id = 0) : kind(k), control(id) {}
    EventKind kind = EventKind::None;
    int control = 0;  // for EventKind::Control
    TransportCommand command = TransportCommand::PlayPause;  // for EventKind::Transport
    // Transport and Drop: it came while a box or the folder requester had
    // disabled the strip. The loop runs it only after the box, when it no
    // longer means anything.
    bool blocked = false;
    std::vector<std::u16string> paths;  // for EventKind::Drop
};

class EventPort {
public:
    virtual ~EventPort() = default;
    // Takes at most one pending event without waiting.
    virtual Event nextEvent() = 0;
    virtual void sleepMs(unsigned ms) = 0;
    // Milliseconds of a clock that only moves on; it wraps, so compare differences.
    virtual uint32_t nowMs() = 0;
};

class WindowPort {
public:
    virtual ~WindowPort() = default;
    virtual void beginDrag() = 0;  // caption drag of MainWindow
    virtual void minimize() = 0;   // MainWindow, then BackdropWindow
};

class LauncherPort {
public:
    virtual ~LauncherPort() = default;
    // Process start, then the shell's default action; false when both fail.
    virtual bool launch(std::string_view file) = 0;
    virtual std::string systemDirectory() = 0;
};

// Which of Play, Pause, Reprendre and Stop are enabled.
struct TransportButtons {
    bool play = false, pause = false, resume = false, stop = false;
    bool operator==(const TransportButtons&) const = default;
};

class TaskbarPort {
public:
    virtual ~TaskbarPort() = default;
    virtual void setProgress(int state) = 0;  // on BackdropWindow
    // The four buttons under the taskbar's thumbnail, with the strip's ids and
    // names: added (`add`, once the taskbar has made the program's button,
    // again after the shell restarts) or brought in step.
    virtual void showThumbButtons(const TransportButtons& buttons, bool add) = 0;
};

// What the system's media controls (the volume flyout, the lock screen, the
// keyboard's and a headset's media keys) are told.
enum class PlaybackStatus { Closed, Stopped, Playing, Paused };

struct SystemButtons {
    bool play = false, pause = false, stop = false, next = false, previous = false;
    bool operator==(const SystemButtons&) const = default;
};

class SystemControlsPort {
public:
    virtual ~SystemControlsPort() = default;
    // Registers the program with the system's media controls; false where it
    // cannot (before Windows 10, or any step refused). Asked once.
    virtual bool start() = 0;
    virtual void setButtons(const SystemButtons& buttons) = 0;
    virtual void setStatus(PlaybackStatus status) = 0;
    // The title as its first line, the folder as its second.
    virtual void setDisplay(std::u16string_view title, std::u16string_view folder) = 0;
    virtual void setTimeline(int64_t endMs, int64_t positionMs) = 0;
    // Unregisters, before the windows go.
    virtual void stop() = 0;
};

constexpr int kTaskbarNoProgress = 0;     // TBPF_NOPROGRESS
constexpr int kTaskbarIndeterminate = 1;  // TBPF_INDETERMINATE

}  // namespace vireo
