// Fakes of the remaining platform ports, and a rig that wires a Player to all
// of them with the fake MCI device.
#pragma once
#include <array>
#include <deque>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/player.h"
#include "tests/unit/fake_mci.h"
#include "tests/unit/fakes.h"

namespace vireo::test {

// Scripted events; each sleep advances the clock.
class FakeEvents : public EventPort {
public:
    explicit FakeEvents(FakeClock& clock) : clock_(clock) {}
    std::deque<Event> pending;
    std::vector<unsigned> sleeps;
    int taken = 0;

    void push(Event e) { pending.push_back(e); }
    void control(int id) { push({EventKind::Control, id}); }

    Event nextEvent() override {
        ++taken;
        if (pending.empty()) return {};
        Event e = pending.front();
        pending.pop_front();
        return e;
    }
    void sleepMs(unsigned ms) override {
        sleeps.push_back(ms);
        clock_.advance(ms);
    }
    uint32_t nowMs() override { return uint32_t(clock_.nowMs); }

private:
    FakeClock& clock_;
};

class FakeWindows : public WindowPort {
public:
    std::vector<std::string> calls;
    void beginDrag() override { calls.push_back("drag"); }
    void minimize() override { calls.push_back("minimize"); }
};

class FakeLauncher : public LauncherPort {
public:
    std::string systemDir = "C:\\windows\\system32";
    std::vector<std::string> launchable;  // what starts; everything else fails
    std::vector<std::string> launched;    // every launch asked for
    bool launch(std::string_view file) override {
        launched.emplace_back(file);
        for (const auto& f : launchable)
            if (f == file) return true;
        return false;
    }
    std::string systemDirectory() override { return systemDir; }
};

// Buttons as "E" (enabled) or "D", in the order given.
inline std::string Shown(std::initializer_list<bool> buttons) {
    std::string s;
    for (bool on : buttons) s += on ? 'E' : 'D';
    return s;
}

class FakeTaskbar : public TaskbarPort {
public:
    std::vector<int> states;
    std::vector<std::string> thumbs;  // "add EDDD", "update DEDE"
    std::vector<std::string>* journal = nullptr;
    void setProgress(int state) override {
        states.push_back(state);
        if (journal) journal->push_back("TASKBAR " + std::to_string(state));
    }
    void showThumbButtons(const TransportButtons& b, bool add) override {
        thumbs.push_back((add ? "add " : "update ") + Shown({b.play, b.pause, b.resume, b.stop}));
    }
};

// The system's media controls, as one line per call.
class FakeSystemControls : public SystemControlsPort {
public:
    bool available = true;
    std::vector<std::string> calls;
    std::vector<std::string>* journal = nullptr;
    bool start() override { return note("start"), available; }
    void setButtons(const SystemButtons& b) override {
        note("buttons " + Shown({b.play, b.pause, b.stop, b.next, b.previous}));
    }
    void setStatus(PlaybackStatus st) override {
        static const char* names[] = {"closed", "stopped", "playing", "paused"};
        note(std::string("status ") + names[int(st)]);
    }
    void setDisplay(std::u16string_view title, std::u16string_view folder) override {
        note("display " + ToUtf8(title) + " / " + ToUtf8(folder));
    }
    void setTimeline(int64_t endMs, int64_t positionMs) override {
        note("timeline " + std::to_string(endMs) + " " + std::to_string(positionMs));
    }
    void stop() override { note("stop"); }

private:
    void note(const std::string& s) {
        calls.push_back(s);
        if (journal) journal->push_back("SMTC " + s);
    }
};

class JournalBoxes : public FakeBoxes {
public:
    std::vector<std::string>* journal = nullptr;
    void showBox(std::string_view t, std::string_view x, unsigned f) override {
        FakeBoxes::showBox(t, x, f);
        if (journal) journal->push_back("BOX " + std::string(t));
    }
};

// Files in memory, by full path in UTF-8.
class MemoryFiles : public FilePort {
public:
    std::map<std::string, std::string> content;

    std::unique_ptr<OpenFile> open(const std::u16string& path16, FileAccess, FileShare,
                                   FileCreation creation) override {
        const std::string path = ToUtf8(path16);
        auto it = content.find(path);
        if (it == content.end()) {
            if (creation == FileCreation::OpenExisting) return nullptr;
            it = content.emplace(path, std::string()).first;
        } else if (creation == FileCreation::CreateAlways) {
            it->second.clear();
        }
        return std::make_unique<File>(it->second);
    }
    ReplaceResult replace(const std::u16string& from, const std::u16string& to, const std::u16string&) override {
        return rename(from, to, true) ? ReplaceResult::Replaced : ReplaceResult::Refused;
    }
    bool rename(const std::u16string& from, const std::u16string& to, bool over) override {
        auto it = content.find(ToUtf8(from));
        if (it == content.end() || (!over && content.count(ToUtf8(to)))) return false;
        content[ToUtf8(to)] = it->second;
        content.erase(ToUtf8(from));
        return true;
    }
    bool remove(const std::u16string& path) override { return content.erase(ToUtf8(path)) > 0; }
    void wait(unsigned) override {}

private:
    class File : public OpenFile {
    public:
        explicit File(std::string& bytes) : bytes_(bytes) {}
        bool readAll(std::string& out) override {
            out = bytes_;
            return true;
        }
        bool rewrite(std::string_view bytes) override {
            bytes_.assign(bytes);
            return true;
        }

    private:
        std::string& bytes_;
    };
};

// Listings by pattern, patterns and names in UTF-8; a pattern not in the
// table cannot be listed.
class FakeDirs : public DirectoryPort {
public:
    std::map<std::string, std::vector<std::string>> listings;
    std::map<std::string, std::string> shortPaths;  // long path -> its short form, UTF-8
    std::u16string shortPath(const std::u16string& path) override {
        auto it = shortPaths.find(ToUtf8(path));
        return it == shortPaths.end() ? std::u16string() : FromUtf8(it->second);
    }
    ListResult list(const std::u16string& pattern, std::vector<std::u16string>& names) override {
        auto it = listings.find(ToUtf8(pattern));
        if (it == listings.end()) return ListResult::CannotStart;
        if (it->second.empty()) return ListResult::NoEntries;
        for (const auto& name : it->second) names.push_back(FromUtf8(name));
        return ListResult::Listed;
    }
    FoundEntry find(const std::u16string&) override { return {}; }
};

class FakeRequester : public FolderRequesterPort {
public:
    std::u16string answer;  // "" cancels
    std::vector<std::string> prompts;
    std::vector<std::u16string> initialFolders;
    std::u16string browse(std::string_view prompt, std::u16string_view initialFolder) override {
        prompts.emplace_back(prompt);
        initialFolders.emplace_back(initialFolder);
        return answer;
    }
};

// A player over fakes, in the state start-up leaves it when the default folder
// could not be examined ("No list"). One journal records, in order, the control
// changes (see FakeControls), the MCI commands, the taskbar states and the boxes.
struct Rig {
    FakeClock clock;
    FakeMci mci{clock};
    FakeControls controls;
    FakeEvents events{clock};
    JournalBoxes boxes;
    FakeWindows windows;
    FakeLauncher launcher;
    FakeTaskbar taskbar;
    MemoryFiles files;
    FakeDirs dirs;
    FakeRequester requester;
    FakeMedia media{clock};
    FakeSystemControls system;
    std::array<char, kReplyBufferSize> reply;
    Player p{{}, {controls, mci, events, boxes, windows, launcher, taskbar, files, dirs, requester, media, system}};

    static constexpr const char* kFolder = "C:\\Musique\\";

    Rig() {
        reply.fill('#');  // never cleared by the program: garbage until the first reply
        p.st.replyBuffer = reply.data();
        p.st.programDir = u"C:\\Vireo\\";
        p.st.lengthSeconds = 100;
        mci.journal = &controls.log;
        media.journal = &controls.log;
        taskbar.journal = &controls.log;
        boxes.journal = &controls.log;
        for (int id = kFirstControl; id <= kLastControl; ++id) controls[id];
        controls[TitleCombo].state = -1;
        controls[TrackProgressBar].upper = 100;
        controls[PlayButton].enabled = false;
        controls[PauseButton].enabled = false;
        controls[ResumeButton].enabled = false;
        controls[StopButton].enabled = false;
        controls[PlayAllCheck].state = 1;
        controls[DurationDisplay].text = "0:00.";
    }

    // A folder of WAV titles (lengths in ms), listed as a successful load does ("Ready").
    void load(const std::vector<std::pair<std::string, int32_t>>& titles,
              TrackKind kind = TrackKind::Wav) {
        controls[FolderPathField].name = WidenCp1252(kFolder);
        p.st.scannedFolder = WidenCp1252(kFolder);
        auto& combo = controls[TitleCombo];
        combo.items.clear();
        for (const auto& [name, ms] : titles) {
            combo.items.push_back(WidenCp1252(name));
            const std::string path = ToUtf8(WidenCp1252(kFolder + name));
            if (EngineFor(WidenCp1252(name)) == Engine::MediaFoundation)
                media.files[path] = {ms};
            else
                mci.files[path] = {ms, kind};
        }
        p.st.titleCount = int32_t(titles.size());
        combo.state = 0;
        combo.enabled = true;
        controls[PlayButton].enabled = true;
        controls.log.clear();
    }

    void modes(bool playAll, bool continuous) {
        controls[PlayAllCheck].state = playAll;
        controls[ContinuousCheck].state = continuous;
    }
    void select(int index) { controls[TitleCombo].state = index; }
    int selected() { return int(controls[TitleCombo].state); }
    std::string text(int id) { return controls.c[id].text; }
    bool enabled(int id) { return controls.c[id].enabled; }
    std::vector<std::string>& journal() { return controls.log; }
};

}  // namespace vireo::test
