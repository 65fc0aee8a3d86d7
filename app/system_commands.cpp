#include "app/system_commands.h"

#include "core/names.h"

namespace vireo {

namespace {

// The title without its extension, as the flyout's first line.
std::u16string_view Stem(std::u16string_view title) {
    const size_t dot = title.rfind(u'.');
    return dot == std::u16string_view::npos || dot == 0 ? title : title.substr(0, dot);
}

// The folder's own name ("Musique" of C:\Musique\), or the drive (E:).
std::u16string_view FolderName(std::u16string_view folder) {
    while (!folder.empty() && IsSeparator(folder.back())) folder.remove_suffix(1);
    return folder.substr(LastNameAt(folder));
}

SystemButtons SystemButtonsOf(const TransportView& v) {
    if (v.titleCount <= 0) return {};
    return {v.buttons.play || v.buttons.resume, v.buttons.pause, v.buttons.stop, NeighbourTitle(v, 1) >= 0,
            NeighbourTitle(v, -1) >= 0};
}

PlaybackStatus StatusOf(const TransportView& v) {
    if (v.titleCount <= 0) return PlaybackStatus::Closed;
    if (v.buttons.pause) return PlaybackStatus::Playing;
    if (v.buttons.resume && v.buttons.stop) return PlaybackStatus::Paused;
    return PlaybackStatus::Stopped;
}

void SetTimeline(Player& p, int64_t positionMs) {
    p.st.told.timelineAtMs = p.io.events.nowMs();
    p.io.system.setTimeline(p.st.lengthMs, positionMs);
}

}  // namespace

TransportView ViewOf(Player& p) {
    ControlPort& c = p.io.controls;
    TransportView v;
    v.buttons = {c.isEnabled(PlayButton), c.isEnabled(PauseButton), c.isEnabled(ResumeButton),
                 c.isEnabled(StopButton)};
    v.titleCount = p.st.titleCount;
    v.selected = c.state(TitleCombo);
    v.continuous = c.state(ContinuousCheck) != 0;
    return v;
}

int64_t NeighbourTitle(const TransportView& v, int step) {
    const int64_t n = v.titleCount;
    if (n <= 0) return -1;
    int64_t to = v.selected < 0 ? (step > 0 ? 0 : n - 1) : v.selected + step;
    if (to < 0 || to >= n) {
        if (!v.continuous) return -1;
        to = (to + n) % n;
    }
    return to == v.selected ? -1 : to;
}

CommandAction ActionFor(TransportCommand command, const TransportView& v) {
    // An empty list gives no box either: the keys are not the Play button.
    if (v.blocked || v.titleCount <= 0) return CommandAction::None;
    const TransportButtons& b = v.buttons;
    const auto press = [](bool enabled, CommandAction a) { return enabled ? a : CommandAction::None; };
    switch (command) {
        case TransportCommand::PlayPause:
            return b.play    ? CommandAction::Play
                   : b.pause ? CommandAction::Pause
                             : press(b.resume, CommandAction::Resume);
        case TransportCommand::PlayOrResume: return b.play ? CommandAction::Play : press(b.resume, CommandAction::Resume);
        case TransportCommand::Play: return press(b.play, CommandAction::Play);
        case TransportCommand::Pause: return press(b.pause, CommandAction::Pause);
        case TransportCommand::Resume: return press(b.resume, CommandAction::Resume);
        case TransportCommand::Stop: return press(b.stop, CommandAction::Stop);
        case TransportCommand::Next: return press(NeighbourTitle(v, 1) >= 0, CommandAction::Next);
        case TransportCommand::Previous: return press(NeighbourTitle(v, -1) >= 0, CommandAction::Previous);
    }
    return CommandAction::None;
}

void AddThumbButtons(Player& p) {
    ToldSystem& t = p.st.told;
    t.thumbsAdded = true;
    t.thumbs = ViewOf(p).buttons;
    p.io.taskbar.showThumbButtons(t.thumbs, true);
}

void TellSystem(Player& p, bool changed) {
    ToldSystem& t = p.st.told;
    if (!changed) {
        if (t.live && t.status == PlaybackStatus::Playing &&
            p.io.events.nowMs() - t.timelineAtMs >= kTimelineEveryMs)
            SetTimeline(p, p.st.positionMs);
        return;
    }
    const bool startNow = !t.asked && p.st.engine != Engine::None;
    if (!t.thumbsAdded && !t.live && !startNow) return;
    const TransportView v = ViewOf(p);
    if (t.thumbsAdded && v.buttons != t.thumbs) {
        t.thumbs = v.buttons;
        p.io.taskbar.showThumbButtons(t.thumbs, false);
    }
    // Not at start-up: it costs a library and a round trip to the system, for
    // a player that may only be opened to look at a folder.
    if (startNow) {
        t.asked = true;
        t.live = p.io.system.start();
    }
    if (!t.live) return;
    const SystemButtons buttons = SystemButtonsOf(v);
    if (buttons != t.buttons) p.io.system.setButtons(t.buttons = buttons);
    const PlaybackStatus status = StatusOf(v);
    // A title just opened has not been polled yet: its position is its start.
    const bool newTitle = t.titleShown != p.st.titlesOpened;
    if (newTitle) {
        t.titleShown = p.st.titlesOpened;
        p.io.system.setDisplay(Stem(p.st.currentTitle), FolderName(p.st.scannedFolder));
    }
    const bool moved = status != t.status;
    if (moved) p.io.system.setStatus(t.status = status);
    if (newTitle || moved) SetTimeline(p, newTitle || status == PlaybackStatus::Stopped ? 0 : p.st.positionMs);
}

void StopTellingSystem(Player& p) {
    if (!p.st.told.live) return;
    p.st.told.live = false;
    p.io.system.stop();
}

}  // namespace vireo
