#include "app/dispatch.h"

#include "app/texts.h"
#include "library/folder_choice.h"
#include "library/folder_scan.h"
#include "playback/transport.h"

namespace vireo {
namespace {

void Play(Player& p) {
    p.st.currentTitle = p.io.controls.name(TitleCombo);
    // A title that did not open leaves the default folder free to change.
    if (PlayTrack(p, p.st.currentTitle)) p.io.controls.setEnabled(UserFolderButton, false);
}

void LaunchVolumeMixer(Player& p) {
    if (!p.io.launcher.launch(p.io.launcher.systemDirectory() + kVolumeMixer))
        p.io.boxes.showBox("ERREUR", "Impossible de lancer le réglage du volume", kBoxError);
}

void OpenWebPage(Player& p) {
    if (!p.io.launcher.launch(kWebAddress))
        p.io.boxes.showBox("Corvalis on line", "Impossible de se connecter au site web!", kBoxWarning);
}

void OnControl(Player& p, int id) {
    switch (id) {
        case PlayButton: Play(p); break;
        // The end of the title may have come in the pass that took the click:
        // a button disabled since then no longer stands for its command.
        case PauseButton:
            if (p.io.controls.isEnabled(PauseButton)) PauseTrack(p);
            break;
        case ResumeButton:
            if (p.io.controls.isEnabled(ResumeButton)) ResumeTrack(p);
            break;
        case StopButton: StopTrack(p); break;
        case SelectFolderButton: BrowseMusicFolder(p); break;
        case UserFolderButton:
            ChooseDefaultFolder(p);
            LoadMusicFolder(p);
            break;
        case VolumeButton: LaunchVolumeMixer(p); break;
        case AboutButton: ShowAbout(p); break;
        case HelpButton: ShowHelp(p); break;
        case MinimizeButton: p.io.windows.minimize(); break;
        case CloseButton: p.st.quitFlag = 1; break;
        case WebButton: OpenWebPage(p); break;
        // The title list only decides what Play and the end of a track take; the
        // check boxes tick themselves and are read when a track ends.
        default: break;
    }
}

}  // namespace

void Dispatch(Player& p, const Event& event) {
    switch (event.kind) {
        case EventKind::Control: OnControl(p, event.control); break;
        // The platform reports presses on the two windows only, so the controls
        // keep their own clicks.
        case EventKind::LeftPress: p.io.windows.beginDrag(); break;
        case EventKind::Close: p.st.quitFlag = 1; break;
        case EventKind::None:
        case EventKind::Other: break;
    }
}

}  // namespace vireo
