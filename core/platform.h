// Ports to the platform that the application frame needs besides the controls.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

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

enum class EventKind { None, Control, LeftPress, Close, Other };

struct Event {
    EventKind kind = EventKind::None;
    int control = 0;  // for EventKind::Control
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

class TaskbarPort {
public:
    virtual ~TaskbarPort() = default;
    virtual void setProgress(int state) = 0;  // on BackdropWindow
};

constexpr int kTaskbarNoProgress = 0;     // TBPF_NOPROGRESS
constexpr int kTaskbarIndeterminate = 1;  // TBPF_INDETERMINATE

}  // namespace vireo
