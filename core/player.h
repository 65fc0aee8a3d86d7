// The program state, kept in one place, and the ports the portable core works through.
#pragma once
#include <cstdint>
#include <string>

#include "core/controls.h"
#include "core/mci.h"
#include "core/media.h"
#include "core/platform.h"
#include "core/storage.h"

namespace vireo {

// What the taskbar's thumbnail and the system's media controls were last told.
struct ToldSystem {
    bool thumbsAdded = false;
    TransportButtons thumbs;
    bool asked = false;  // the system's media controls are started once, at the first title
    bool live = false;
    SystemButtons buttons;
    PlaybackStatus status = PlaybackStatus::Closed;
    uint32_t titleShown = 0;  // titlesOpened when the display was set
    uint32_t timelineAtMs = 0;
};

struct ProgramState {
    std::u16string programPath;
    std::u16string programDir;  // ends with a backslash
    std::string platformTag;
    char* replyBuffer = nullptr;  // kReplyBufferSize bytes, owned by the platform side
    std::string replyText;
    std::u16string currentFolder;
    // The folder the title list was built from, with its final separator:
    // titles open from here, whatever the field shows since.
    std::u16string scannedFolder;
    std::u16string currentTitle;
    int32_t positionMs = 0;
    int32_t lengthMs = 0;
    // The length the open title's file gives of itself (an MPEG title's frame
    // count), -1 when it gives none.
    int32_t fileLengthMs = -1;
    int64_t lengthSeconds = 0;
    int32_t titleCount = 0;
    int32_t nextIndex = 0;
    // The open title is measured: false while its file is still being opened.
    bool titleMeasured = false;
    // The open title has reached its last whole second: from then on it ends
    // when the device says so, not when its texts meet.
    bool lastSecondReached = false;
    // The engine that holds the open title.
    Engine engine = Engine::None;
    // Where the open title's position last moved, and when; when the device
    // was last asked about it; whether it has moved since it was started: the
    // stall check.
    bool watchingPosition = false;
    int32_t watchedPositionMs = 0;
    uint32_t watchedSinceMs = 0;
    uint32_t stallAskedMs = 0;
    bool titleMoved = false;
    // Titles opened since start-up: a title that plays again is a new one.
    uint32_t titlesOpened = 0;
    ToldSystem told;
    Event event;
    int64_t quitFlag = 0;
    std::string helpText;
    std::string aboutText;
};

struct Ports {
    ControlPort& controls;
    MciPort& mci;
    EventPort& events;
    BoxPort& boxes;
    WindowPort& windows;
    LauncherPort& launcher;
    TaskbarPort& taskbar;
    FilePort& files;
    DirectoryPort& dirs;
    FolderRequesterPort& requester;
    MediaPort& media;
    SystemControlsPort& system;
};

struct Player {
    ProgramState st;
    Ports io;
};

}  // namespace vireo
