#include "playback/transport.h"

#include "core/names.h"
#include "playback/indicators.h"
#include "playback/mci_channel.h"

namespace vireo {

int32_t OpenTrack(Player& p, const std::u16string& path) {
    if (std::optional<std::string> spelled = ExactCp1252(path)) return SendMciCommand(p, mci::OpenCommand(*spelled));
    return SendMciCommand(p, mci::OpenCommand(path));
}

namespace {

void ShowOpenFailure(Player& p) { p.io.boxes.showBox("Erreur!", "Erreur à l'ouverture du fichier !", kBoxError); }

}  // namespace

bool PlayTrack(Player& p, const std::u16string& title) {
    ControlPort& c = p.io.controls;
    if (OpenTrack(p, p.st.scannedFolder + title) != 0) {
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

    SendMciCommand(p, mci::kSetTimeFormatMs);
    // Some drivers (MPEG among them) cannot seek to the end; the position read
    // back would then not be the length and the title would count as ended at
    // once. Ask for the length itself in that case.
    if (SendMciCommand(p, mci::kSeekToEndWait) == 0)
        SendMciCommand(p, mci::kStatusPositionWait);
    else
        SendMciCommand(p, mci::kStatusLengthWait);
    p.st.lengthMs = static_cast<int32_t>(ReplyValue(p.st.replyText));
    p.st.lengthSeconds = p.st.lengthMs / 1000;

    c.setText(DurationDisplay, FormatTime(p.st.lengthSeconds));
    c.setText(SecondsDisplay, std::to_string(p.st.lengthSeconds));
    c.setUpperBound(TrackProgressBar, p.st.lengthSeconds);

    SendMciCommand(p, mci::kSeekToStart);
    // Opened but silent (no audio device, say): as good as not opened.
    if (SendMciCommand(p, mci::kPlayFromStart) != 0) {
        CloseTrack(p);
        c.setText(DurationDisplay, durationBefore);
        ShowNothingOpen(p);
        ShowOpenFailure(p);
        return false;
    }
    p.st.watchingPosition = false;
    p.st.lastSecondReached = false;
    p.io.taskbar.setProgress(kTaskbarIndeterminate);
    return true;
}

void PauseTrack(Player& p) {
    p.io.controls.setEnabled(ResumeButton, true);
    p.io.controls.setEnabled(PauseButton, false);
    SendMciCommand(p, mci::kPauseWait);
}

void ResumeTrack(Player& p) {
    p.io.controls.setEnabled(PauseButton, true);
    p.io.controls.setEnabled(ResumeButton, false);
    // A device that knows no position (-1) goes on from where it stands.
    const int32_t result = SendMciCommand(p, p.st.positionMs < 0 ? std::string(mci::kPlay)
                                                                  : mci::PlayFromCommand(p.st.positionMs));
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
    SendMciCommand(p, mci::kClose);
    c.setText(DurationDisplay, kNoTrackDuration);
    ShowNothingOpen(p);
    c.setEnabled(TitleCombo, true);
    c.setEnabled(UserFolderButton, true);
    p.io.taskbar.setProgress(kTaskbarNoProgress);
}

void CloseTrack(Player& p) { SendMciCommand(p, mci::kClose); }

}  // namespace vireo
