#include "app/dispatch.h"

#include "app/main_loop.h"
#include "app/system_commands.h"
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
    // A disabled button stands for no command: the end of a title may have
    // come in the pass that took the click, and automation can click anything.
    if (id >= kFirstControl && id <= kLastControl && !p.io.controls.isEnabled(ControlId(id))) return;
    switch (id) {
        case PlayButton: Play(p); break;
        case PauseButton: PauseTrack(p); break;
        case ResumeButton: ResumeTrack(p); break;
        case StopButton: StopTrack(p); break;
        case SelectFolderButton: BrowseMusicFolder(p); break;
        // A cancel keeps what SELECTION chose on screen.
        case UserFolderButton:
            if (ChooseDefaultFolder(p)) LoadMusicFolder(p);
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

// Next and Previous: the open title is closed and the new one plays from its
// start; with none open only the selection moves.
void GoToTitle(Player& p, int64_t index) {
    ControlPort& c = p.io.controls;
    if (!c.isEnabled(StopButton)) {
        c.setState(TitleCombo, index);
        return;
    }
    CloseTrack(p);
    c.setState(TitleCombo, index);
    PlaySelected(p);
}

// A command from Windows is the press of the strip's button, at most once.
void OnTransport(Player& p, const Event& event) {
    TransportView view = ViewOf(p);
    view.blocked = event.blocked;
    switch (ActionFor(event.command, view)) {
        case CommandAction::Play: OnControl(p, PlayButton); break;
        case CommandAction::Pause: OnControl(p, PauseButton); break;
        case CommandAction::Resume: OnControl(p, ResumeButton); break;
        case CommandAction::Stop: OnControl(p, StopButton); break;
        case CommandAction::Next: GoToTitle(p, NeighbourTitle(view, 1)); break;
        case CommandAction::Previous: GoToTitle(p, NeighbourTitle(view, -1)); break;
        case CommandAction::None: break;
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
        case EventKind::Transport: OnTransport(p, event); break;
        // As SELECTION, and only while it could be pressed.
        case EventKind::Drop:
            if (!event.blocked && p.io.controls.isEnabled(SelectFolderButton)) ListDroppedFolder(p, event.paths);
            break;
        case EventKind::TaskbarButton: AddThumbButtons(p); break;
        case EventKind::None:
        case EventKind::Other: break;
    }
}

}  // namespace vireo
