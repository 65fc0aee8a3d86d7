#include "core/commands.h"

#include "core/controls.h"

namespace vireo {

std::optional<TransportCommand> CommandForAppCommand(int appCommand) {
    switch (appCommand) {
        case 14: return TransportCommand::PlayPause;     // APPCOMMAND_MEDIA_PLAY_PAUSE
        case 46: return TransportCommand::PlayOrResume;  // APPCOMMAND_MEDIA_PLAY
        case 47: return TransportCommand::Pause;         // APPCOMMAND_MEDIA_PAUSE
        case 13: return TransportCommand::Stop;          // APPCOMMAND_MEDIA_STOP
        case 11: return TransportCommand::Next;          // APPCOMMAND_MEDIA_NEXTTRACK
        case 12: return TransportCommand::Previous;      // APPCOMMAND_MEDIA_PREVIOUSTRACK
        default: return std::nullopt;                    // volume, browser...: not ours
    }
}

std::optional<TransportCommand> CommandForSystemButton(int button) {
    switch (button) {
        case 0: return TransportCommand::PlayOrResume;
        case 1: return TransportCommand::Pause;
        case 2: return TransportCommand::Stop;
        case 6: return TransportCommand::Next;
        case 7: return TransportCommand::Previous;
        default: return std::nullopt;  // record, rewind, channels: never enabled
    }
}

std::optional<TransportCommand> CommandForThumbButton(int id) {
    switch (id) {
        case PlayButton: return TransportCommand::Play;
        case PauseButton: return TransportCommand::Pause;
        case ResumeButton: return TransportCommand::Resume;
        case StopButton: return TransportCommand::Stop;
        default: return std::nullopt;
    }
}

}  // namespace vireo
