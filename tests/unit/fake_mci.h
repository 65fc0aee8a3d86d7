// A fake MCI service on a fake clock, behaving as Wine's was measured to:
// the reply buffer is cleared before every command, so a failed command leaves
// an empty reply; WAV positions advance in 333 ms steps of real time, stay put
// while paused and stay at the length after the natural end; the MPEG driver
// cannot seek to the end (277) and falls back to the last start position after
// the end; a MIDI file's position reads -1 and never advances.
#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/mci.h"
#include "core/media.h"
#include "core/names.h"
#include "playback/foundation_title.h"

namespace vireo::test {

struct FakeClock {
    int64_t nowMs = 0;
    void advance(int64_t ms) { nowMs += ms; }
};

enum class TrackKind { Wav, Mp3, Midi };

struct FakeTrack {
    int32_t lengthMs = 0;
    TrackKind kind = TrackKind::Wav;
    // Where the sound really ends, when the file holds less than its header
    // promises (a cut download): playing stops there and the position stays.
    int32_t soundMs = -1;
    // How often the position moves while playing; a slow device moves rarely.
    int32_t stepMs = 333;
    // The length the device measures, when not the real one (a VBR file).
    int32_t measuredMs = -1;
    // Past its end the position runs on and the mode stays "playing" (seen
    // from one MPEG device).
    bool runsOn = false;
};

// MCI error codes as the service gives them.
constexpr int32_t kMciUnrecognizedCommand = 261;
constexpr int32_t kMciInvalidDevice = 263;
constexpr int32_t kMciFileNotFound = 275;
constexpr int32_t kMciCannotSeek = 277;
constexpr int32_t kMciNotOpen = 281;
constexpr int32_t kMciOutOfRange = 282;
constexpr int32_t kMciDuplicateAlias = 289;

class FakeMci : public MciPort {
public:
    explicit FakeMci(FakeClock& clock) : clock_(clock) {}

    static constexpr int64_t kStepMs = 333;

    std::map<std::string, FakeTrack> files;  // full path in UTF-8 -> track
    // Every command, in order; a wide one as "W " and its text in UTF-8.
    std::vector<std::string> commands;
    std::vector<std::string>* journal = nullptr;  // also "MCI <command>" here, when set
    int32_t modeError = 0;  // the answer to a mode query when not 0
    int32_t playError = 0;  // the answer to every play command when not 0 (no audio device)
    std::string modeText;   // the reply to a mode query when not empty

    // Inspection.
    bool isOpen() const { return open_; }
    bool isPlaying() const { return open_ && mode_ == Mode::Playing; }
    bool isPaused() const { return open_ && mode_ == Mode::Paused; }
    const std::u16string& openPath() const { return path_; }
    int64_t position() const { return positionAt(clock_.nowMs); }

    int32_t sendString(const char* command, char* reply, unsigned replyLength) override {
        commands.emplace_back(command);
        return answer(WidenCp1252(command), reply, replyLength);
    }
    // The wide service: only opens are sent through it.
    int32_t sendStringW(const char16_t* command, char* reply, unsigned replyLength) override {
        commands.push_back("W " + ToUtf8(command));
        return answer(command, reply, replyLength);
    }

private:
    enum class Mode { Stopped, Playing, Paused };

    FakeClock& clock_;
    bool open_ = false;
    std::u16string path_;
    FakeTrack track_;
    Mode mode_ = Mode::Stopped;
    int64_t start_ = 0;      // position where the last play started, or the still position
    int64_t startedAt_ = 0;  // clock time of the last play

    int64_t positionAt(int64_t now) const {
        if (!open_) return 0;
        if (track_.kind == TrackKind::Midi) return -1;
        if (mode_ != Mode::Playing) return start_;
        if (track_.soundMs >= 0 && start_ + (now - startedAt_) >= track_.soundMs)
            return track_.soundMs < start_ ? start_ : track_.soundMs;
        // Played to its natural end: the device says so at once.
        if (start_ + (now - startedAt_) >= track_.lengthMs && !track_.runsOn)
            return track_.kind == TrackKind::Mp3 ? start_ : track_.lengthMs;
        return start_ + (now - startedAt_) / track_.stepMs * track_.stepMs;
    }

    // Played to the natural end, or to where the sound of a cut file runs out.
    bool ended() const {
        const int64_t at = start_ + (clock_.nowMs - startedAt_);
        const int64_t end = track_.soundMs >= 0 && track_.soundMs < track_.lengthMs ? track_.soundMs : track_.lengthMs;
        return mode_ == Mode::Playing && at >= end && !track_.runsOn;
    }

    void freeze() {
        start_ = positionAt(clock_.nowMs);
        mode_ = Mode::Stopped;
    }

    static bool EndsWith(const std::string& s, const char* tail) {
        const size_t n = std::strlen(tail);
        return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
    }

    int32_t answer(const std::u16string& command, char* reply, unsigned replyLength) {
        if (journal) journal->push_back("MCI " + commands.back());
        if (reply && replyLength) reply[0] = '\0';
        std::string text;
        int32_t result;
        if (command.rfind(u"open ", 0) == 0)
            result = open(command);
        else if (std::optional<std::string> plain = ExactCp1252(command))
            result = execute(*plain, text);
        else
            result = kMciUnrecognizedCommand;
        if (result == 0 && reply && replyLength) {
            const size_t n = text.size() < replyLength - 1 ? text.size() : replyLength - 1;
            std::memcpy(reply, text.data(), n);
            reply[n] = '\0';
        }
        return result;
    }

    int32_t open(const std::u16string& command) {
        // open "<path>" alias Morceau
        const size_t first = command.find(u'"');
        const size_t last = command.rfind(u'"');
        if (first == std::u16string::npos || last == first) return kMciUnrecognizedCommand;
        if (command.compare(last, std::u16string::npos, u"\" alias Morceau") != 0) return kMciUnrecognizedCommand;
        if (open_) return kMciDuplicateAlias;
        const std::u16string path = command.substr(first + 1, last - first - 1);
        auto it = files.find(ToUtf8(path));
        if (it == files.end()) return EndsWith(ToUtf8(path), ".mp3") ? kMciCannotSeek : kMciFileNotFound;
        open_ = true;
        path_ = path;
        track_ = it->second;
        mode_ = Mode::Stopped;
        start_ = 0;
        return 0;
    }

    int32_t execute(const std::string& command, std::string& reply) {
        std::istringstream in(command);
        std::string verb, alias;
        in >> verb >> alias;
        std::vector<std::string> args;
        for (std::string w; in >> w;) args.push_back(w);
        if (alias != "Morceau") return kMciInvalidDevice;
        if (!open_) return verb == "status" ? kMciNotOpen : kMciInvalidDevice;

        const auto is = [&](std::initializer_list<const char*> words) {
            if (args.size() != words.size()) return false;
            size_t i = 0;
            for (const char* w : words)
                if (args[i++] != w) return false;
            return true;
        };
        if (verb == "close" && args.empty()) {
            open_ = false;
            path_.clear();
            return 0;
        }
        if (verb == "set" && is({"time", "format", "ms"})) return 0;
        if (verb == "status" && (is({"position"}) || is({"position", "wait"}))) {
            reply = std::to_string(position());
            return 0;
        }
        if (verb == "status" && (is({"mode"}) || is({"mode", "wait"}))) {
            if (modeError) return modeError;
            if (!modeText.empty()) {
                reply = modeText;
                return 0;
            }
            reply = mode_ == Mode::Paused ? "paused" : mode_ == Mode::Stopped || ended() ? "stopped" : "playing";
            return 0;
        }
        const int32_t measured = track_.measuredMs >= 0 ? track_.measuredMs : track_.lengthMs;
        if (verb == "status" && (is({"length"}) || is({"length", "wait"}))) {
            reply = std::to_string(measured);
            return 0;
        }
        if (verb == "seek" && (is({"to", "start"}) || is({"to", "start", "wait"}))) {
            mode_ = Mode::Stopped;
            start_ = 0;
            return 0;
        }
        if (verb == "seek" && (is({"to", "end"}) || is({"to", "end", "wait"}))) {
            if (track_.kind == TrackKind::Mp3) return kMciCannotSeek;
            mode_ = Mode::Stopped;
            start_ = measured;
            return 0;
        }
        if (verb == "pause" && (args.empty() || is({"wait"}))) {
            if (mode_ == Mode::Playing) {
                freeze();
                mode_ = Mode::Paused;
            }
            return 0;
        }
        if (verb == "play" && playError) return playError;
        if (verb == "play" && args.empty()) {  // on from where it stands
            start_ = positionAt(clock_.nowMs);
            startedAt_ = clock_.nowMs;
            mode_ = Mode::Playing;
            return 0;
        }
        if (verb == "play" && args.size() >= 2 && args[0] == "from" &&
            (args.size() == 2 || is({"from", args[1].c_str(), "notify"}) ||
             is({"from", args[1].c_str(), "wait"}))) {
            const std::string& n = args[1];
            if (n.empty() || n.size() > 18 || n.find_first_not_of("0123456789") != std::string::npos)
                return kMciOutOfRange;
            const int64_t from = std::stoll(n);
            if (from > track_.lengthMs) return kMciOutOfRange;
            start_ = from;
            startedAt_ = clock_.nowMs;
            mode_ = Mode::Playing;
            return 0;
        }
        return kMciUnrecognizedCommand;
    }
};

// A fake Media Foundation player object on the same clock, behind the
// program's own state machine of a title (FoundationTitle), as Wine's was
// measured to behave: the item is created a moment after it was asked for
// (or late, or never), its events come at the next look, as through the
// thread's message loop; the position runs in real time; at the natural end
// the state becomes Stopped and the position reads 0.
struct FakeMediaTitle {
    int32_t lengthMs = 0;
    bool decodes = true;       // false: nothing can open it (damaged, no decoder)
    bool knowsLength = true;   // false: the duration stays unknown (-1)
    int32_t failsAtMs = -1;    // decoding stops with an error once played this far
    bool stuck = false;        // reports no position and says it plays, forever
    bool canPause = true;      // false: its pause is refused at once
    bool refusesPause = false; // its pause is accepted, then refused: it plays on
    int32_t opensAfterMs = 0;  // until its item is created; -1: never
};

class FakeMedia : public MediaPort {
public:
    explicit FakeMedia(FakeClock& clock) : clock_(clock) {}
    std::map<std::string, FakeMediaTitle> files;  // full path in UTF-8
    std::vector<std::string>* journal = nullptr;  // "MEDIA <call>" here, when set

    bool isOpen() const { return open_; }
    bool open(const std::u16string& path) override {
        close();
        log("open " + ToUtf8(path));
        auto it = files.find(ToUtf8(path));
        title_ = it == files.end() ? FakeMediaTitle{0, false} : it->second;
        open_ = true;
        openedAt_ = clock_.nowMs;
        start_ = 0;
        state_.open(now());
        return true;
    }
    int64_t durationMs() override { return created_ && title_.knowsLength ? title_.lengthMs : -1; }
    int64_t positionMs() override {
        deliver();
        if (!open_ || title_.stuck || !created_) return -1;
        return played() >= title_.lengthMs ? 0 : played();
    }
    MediaState state() override {
        deliver();
        return state_.state(now());
    }
    bool play(int64_t fromMs) override {
        log("play " + std::to_string(fromMs));
        return open_ && state_.play(object_, fromMs, now());
    }
    bool pause() override {
        log("pause");
        return open_ && state_.pause(object_);
    }
    bool pauseRefused() override { return state_.takePauseRefusal(); }
    void close() override {
        if (open_) log("close");
        open_ = created_ = playing_ = ended_ = false;
        events_.clear();
        state_.close();
    }

private:
    uint32_t now() const { return uint32_t(clock_.nowMs); }
    int64_t played() const {
        const int64_t at = playing_ ? start_ + (clock_.nowMs - startedAt_) : start_;
        return at < title_.lengthMs ? at : title_.lengthMs;
    }
    // What the player object says by its events since the last look.
    void deliver() {
        if (!open_) return;
        if (!created_ && title_.opensAfterMs >= 0 && clock_.nowMs - openedAt_ >= title_.opensAfterMs) {
            created_ = true;
            state_.created(object_, title_.decodes, true, title_.canPause, now());
        }
        if (playing_ && !title_.stuck && !ended_) {
            if (title_.failsAtMs >= 0 && played() >= title_.failsAtMs) {
                events_.push_back({PlayerEvent::Error, false});
                ended_ = true;
            } else if (played() >= title_.lengthMs) {
                events_.push_back({PlayerEvent::Ended, true});
                ended_ = true;
            }
        }
        std::vector<std::pair<PlayerEvent, bool>> due;
        due.swap(events_);
        for (const auto& [event, ok] : due) state_.onEvent(object_, event, ok);
    }
    // The player object's side.
    struct Object : PlayerObject {
        FakeMedia& m;
        explicit Object(FakeMedia& media) : m(media) {}
        bool setItem() override { return m.queue(PlayerEvent::ItemSet, true); }
        bool setPosition(int64_t ms) override {
            m.start_ = ms;
            return m.queue(PlayerEvent::PositionSet, true);
        }
        bool play() override {
            if (!m.playing_) m.startedAt_ = m.clock_.nowMs;
            m.playing_ = true;
            return m.queue(PlayerEvent::Play, true);
        }
        bool pause() override {
            if (m.title_.refusesPause) return m.queue(PlayerEvent::Pause, false);
            m.start_ = m.played();
            m.playing_ = false;
            return m.queue(PlayerEvent::Pause, true);
        }
    };
    bool queue(PlayerEvent event, bool ok) {
        events_.push_back({event, ok});
        return true;
    }
    void log(const std::string& call) {
        if (journal) journal->push_back("MEDIA " + call);
    }
    FakeClock& clock_;
    FakeMediaTitle title_;
    FoundationTitle state_;
    Object object_{*this};
    std::vector<std::pair<PlayerEvent, bool>> events_;
    bool open_ = false, created_ = false, playing_ = false, ended_ = false;
    int64_t openedAt_ = 0, start_ = 0, startedAt_ = 0;
};

}  // namespace vireo::test
