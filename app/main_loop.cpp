#include "app/main_loop.h"

#include <algorithm>

#include "app/dispatch.h"
#include "app/system_commands.h"
#include "playback/engine.h"
#include "playback/indicators.h"
#include "playback/transport.h"

namespace vireo {

bool RunPass(Player& p) {
    p.st.event = p.io.events.nextEvent();
    const bool hasEvent = p.st.event.kind != EventKind::None;
    if (!hasEvent) p.io.events.sleepMs(kIdleSleepMs);

    const PollResult poll = PollTitle(p);
    bool changed = hasEvent;
    // Opened since the last pass: its length is known now.
    if (poll == PollResult::Open && !p.st.titleMeasured) {
        ShowLength(p);
        changed = true;
    }
    RefreshIndicators(p);

    // Only an open track can end. Without this guard a last length text of
    // "0:00" would equal the idle reading on every pass after the track closed,
    // and the end handling would start titles by itself or repeat a failing open.
    const TitleEnd end = poll == PollResult::Failed ? TitleEnd::Failed
                         : poll == PollResult::Open ? TrackEnded(p)
                                                    : TitleEnd::No;
    if (end == TitleEnd::Failed) {
        HandleFailedTrack(p);
        changed = true;
    } else if (end == TitleEnd::Ended) {
        HandleEndOfTrack(p);
        changed = true;
    } else if (poll != PollResult::Open) {
        // Nothing open, or a file still being opened: nothing to watch yet.
        p.st.watchingPosition = false;
        p.st.lastSecondReached = false;
    }

    if (hasEvent) {
        Dispatch(p, p.st.event);
        if (p.st.quitFlag == 1) return false;
    }
    TellSystem(p, changed);
    return true;
}

void RunMainLoop(Player& p) {
    while (RunPass(p)) {
    }
    CloseTrack(p);
    StopTellingSystem(p);
}

namespace {

bool RanPastItsEnd(const ProgramState& st) {
    if (st.fileLengthMs >= 0) return st.positionMs >= int64_t{std::max(st.fileLengthMs, st.lengthMs)} + kEndMarginMs;
    return st.lengthMs > 0 && st.positionMs / kOverrunFactor >= st.lengthMs;
}

}  // namespace

TitleEnd TrackEnded(Player& p) {
    ProgramState& st = p.st;
    ControlPort& c = p.io.controls;
    if (!c.isEnabled(PauseButton)) return TitleEnd::No;
    if (!st.lastSecondReached && c.text(ElapsedDisplay) == c.text(DurationDisplay)) st.lastSecondReached = true;
    // The position alone may run ahead of the sound (a VBR length measured
    // short): only the device knows that the title is over, up to a bound,
    // which also holds where no pass saw its last second (it passed behind a box).
    const bool over = RanPastItsEnd(st) || (st.lastSecondReached ? TitleStopped(p) : TitleEndedUnasked(p));
    return over ? TitleEnd::Ended : TrackStalled(p);
}

TitleEnd TrackStalled(Player& p) {
    ProgramState& st = p.st;
    const uint32_t now = p.io.events.nowMs();
    if (!st.watchingPosition || st.positionMs != st.watchedPositionMs) {
        st.titleMoved = st.titleMoved || st.watchingPosition;
        st.watchingPosition = true;
        st.watchedPositionMs = st.positionMs;
        st.watchedSinceMs = st.stallAskedMs = now;
        return TitleEnd::No;
    }
    // A paused title is still by design.
    if (!p.io.controls.isEnabled(PauseButton)) return TitleEnd::No;
    if (!st.titleMoved && now - st.watchedSinceMs >= kNeverStartedMs) return TitleEnd::Failed;
    // At most one look per still period.
    if (now - st.stallAskedMs < kStallMs) return TitleEnd::No;
    st.stallAskedMs = now;
    // Standing still at its end, or with no length at all, the title is over
    // whatever the device says.
    const bool over = st.lengthMs <= 0 || st.positionMs >= st.lengthMs || StillTitleIsOver(p);
    return over ? TitleEnd::Ended : TitleEnd::No;
}

namespace {

// Ended: Play and SELECTION enabled, Pause, Reprendre and Stop disabled, the
// taskbar's animation gone. USER keeps its state.
void EndRun(Player& p) {
    ShowNothingOpen(p);
    p.io.taskbar.setProgress(kTaskbarNoProgress);
}

}  // namespace

void PlaySelected(Player& p) {
    p.st.currentTitle = p.io.controls.name(TitleCombo);
    if (!PlayTrack(p, p.st.currentTitle)) EndRun(p);
}

void HandleFailedTrack(Player& p) {
    CloseTrack(p);
    EndRun(p);
    ShowOpenFailure(p);
}

void HandleEndOfTrack(Player& p) {
    ControlPort& c = p.io.controls;
    CloseTrack(p);
    const bool continuous = c.state(ContinuousCheck) != 0;
    if (c.state(PlayAllCheck) != 0) {
        const int64_t selected = c.state(TitleCombo);
        p.st.nextIndex = selected < 0 ? 0 : static_cast<int32_t>(selected + 1);
        if (p.st.nextIndex < p.st.titleCount) {
            c.setState(TitleCombo, p.st.nextIndex);
            PlaySelected(p);
        } else if (p.st.nextIndex == p.st.titleCount && continuous) {
            c.setState(TitleCombo, 0);
            PlaySelected(p);
        } else {
            EndRun(p);
        }
    } else if (continuous) {
        PlaySelected(p);
    } else {
        EndRun(p);
    }
}

}  // namespace vireo
