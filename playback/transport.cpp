#include "playback/transport.h"

#include "playback/engine.h"
#include "playback/indicators.h"

namespace vireo {

void ShowOpenFailure(Player& p) { p.io.boxes.showBox("Erreur!", "Erreur à l'ouverture du fichier !", kBoxError); }

bool PlayTrack(Player& p, const std::u16string& title) {
    ControlPort& c = p.io.controls;
    if (OpenTitle(p, p.st.scannedFolder + title) != 0) {
        ShowOpenFailure(p);
        return false;
    }
    const std::string durationBefore = c.text(DurationDisplay);
    // What takes over is enabled before what was pressed is disabled, so that
    // the keyboard focus can move on to it.
    c.setEnabled(StopButton, true);
    c.setEnabled(PauseButton, true);
    c.setEnabled(ResumeButton, false);
    c.setEnabled(SelectFolderButton, false);
    c.setEnabled(PlayButton, false);

    // A file still being opened has no length yet: the first pass that finds
    // it open shows it.
    p.st.titleMeasured = false;
    p.st.lengthMs = 0;
    if (TitleOpening(p))
        c.setText(DurationDisplay, kNoTrackDuration);
    else
        ShowLength(p);

    // Opened but silent (no audio device, say): as good as not opened.
    if (StartTitle(p) != 0) {
        CloseTrack(p);
        c.setText(DurationDisplay, durationBefore);
        ShowNothingOpen(p);
        ShowOpenFailure(p);
        return false;
    }
    p.st.watchingPosition = false;
    p.st.titleMoved = false;
    p.st.lastSecondReached = false;
    ++p.st.titlesOpened;
    p.io.taskbar.setProgress(kTaskbarIndeterminate);
    return true;
}

void ShowLength(Player& p) {
    ControlPort& c = p.io.controls;
    p.st.titleMeasured = true;
    p.st.lengthMs = MeasureTitle(p);
    p.st.lengthSeconds = p.st.lengthMs / 1000;
    c.setText(DurationDisplay, FormatTime(p.st.lengthSeconds));
    c.setText(SecondsDisplay, std::to_string(p.st.lengthSeconds));
    c.setUpperBound(TrackProgressBar, p.st.lengthSeconds);
}

void PauseTrack(Player& p) {
    // Asked first: a title that cannot pause plays on, and the strip stays as it was.
    if (!PauseTitle(p)) return;
    p.io.controls.setEnabled(ResumeButton, true);
    p.io.controls.setEnabled(PauseButton, false);
}

void ResumeTrack(Player& p) {
    p.io.controls.setEnabled(PauseButton, true);
    p.io.controls.setEnabled(ResumeButton, false);
    const int32_t result = ResumeTitle(p);
    // Time spent paused is no stall.
    p.st.watchingPosition = false;
    // Nothing plays (the file is gone, the device is lost): say so, and close it.
    if (result != 0) {
        StopTrack(p);
        ShowOpenFailure(p);
    }
}

void ShowNothingOpen(Player& p) {
    ControlPort& c = p.io.controls;
    c.setEnabled(PlayButton, true);
    c.setEnabled(PauseButton, false);
    c.setEnabled(ResumeButton, false);
    c.setEnabled(StopButton, false);
    c.setEnabled(SelectFolderButton, true);
}

void StopTrack(Player& p) {
    ControlPort& c = p.io.controls;
    CloseTitle(p);
    c.setText(DurationDisplay, kNoTrackDuration);
    ShowNothingOpen(p);
    c.setEnabled(TitleCombo, true);
    c.setEnabled(UserFolderButton, true);
    p.io.taskbar.setProgress(kTaskbarNoProgress);
}

void CloseTrack(Player& p) { CloseTitle(p); }

}  // namespace vireo
