#include "playback/engine.h"

#include <cstdint>

#include "core/names.h"
#include "playback/mci_channel.h"
#include "playback/mpeg_length.h"

namespace vireo {

namespace {

bool Foundation(const Player& p) { return p.st.engine == Engine::MediaFoundation; }

// Through the single-byte service when Windows-1252 spells the path exactly,
// through the wide one otherwise.
int32_t OpenWithMci(Player& p, const std::u16string& path) {
    if (std::optional<std::string> spelled = ExactCp1252(path)) return SendMciCommand(p, mci::OpenCommand(*spelled));
    return SendMciCommand(p, mci::OpenCommand(path));
}

// The length an MPEG title's file gives of itself; -1 when it gives none. Its
// head only, a few KB: the device has just opened the same file.
int32_t MpegFileLength(Player& p, const std::u16string& path) {
    if (ExtensionOf(path) != u"mp3") return -1;
    std::unique_ptr<OpenFile> file = p.io.files.open(path, FileAccess::Read, FileShare::ReadWrite, FileCreation::OpenExisting);
    std::string head;
    int64_t size = 0;
    if (!file || !file->readAt(0, 10, head, size)) return -1;
    const int64_t tag = Id3v2TagSize(head);
    if (!file->readAt(tag, 4096, head, size)) return -1;
    const int64_t ms = MpegLengthMs(head, size - tag);
    return ms < 0 || ms > INT32_MAX ? -1 : static_cast<int32_t>(ms);
}

int32_t OpenWith(Player& p, Engine engine, const std::u16string& path) {
    if (engine == Engine::MediaFoundation) return p.io.media.open(path) ? 0 : 1;
    return OpenWithMci(p, path);
}

}  // namespace

int32_t OpenTitle(Player& p, const std::u16string& path) {
    // Anything else (the folder itself, for an empty list) goes to MCI, which
    // refuses it as it always did.
    const Engine engine = EngineFor(path) == Engine::MediaFoundation ? Engine::MediaFoundation : Engine::Mci;
    int32_t result = OpenWith(p, engine, path);
    // Media Foundation has neither limit, and says later what it could not open.
    if (result != 0 && engine == Engine::Mci) {
        const std::u16string shortPath = p.io.dirs.shortPath(path);
        if (!shortPath.empty() && shortPath != path && EngineFor(shortPath) == engine)
            result = OpenWith(p, engine, shortPath);
    }
    p.st.engine = result == 0 ? engine : Engine::None;
    p.st.fileLengthMs = result == 0 && engine == Engine::Mci ? MpegFileLength(p, path) : -1;
    return result;
}

int32_t MeasureTitle(Player& p) {
    if (Foundation(p)) {
        const int64_t ms = p.io.media.durationMs();
        return ms < 0 ? 0 : static_cast<int32_t>(ms);
    }
    SendMciCommand(p, mci::kSetTimeFormatMs);
    // Some drivers (MPEG among them) cannot seek to the end; the position read
    // back would then not be the length and the title would count as ended at
    // once. Ask for the length itself in that case.
    if (SendMciCommand(p, mci::kSeekToEndWait) == 0)
        SendMciCommand(p, mci::kStatusPositionWait);
    else
        SendMciCommand(p, mci::kStatusLengthWait);
    return static_cast<int32_t>(ReplyValue(p.st.replyText));
}

int32_t StartTitle(Player& p) {
    if (Foundation(p)) return p.io.media.play(0) ? 0 : 1;
    SendMciCommand(p, mci::kSeekToStart);
    return SendMciCommand(p, mci::kPlayFromStart);
}

bool TitleOpening(Player& p) { return Foundation(p) && p.io.media.state() == MediaState::Creating; }

PollResult PollTitle(Player& p) {
    if (Foundation(p)) {
        const MediaState state = p.io.media.state();
        if (state == MediaState::Failed) return PollResult::Failed;
        if (state == MediaState::Creating) {
            p.st.positionMs = 0;
            return PollResult::Opening;
        }
        // Refused after the strip showed it paused: it plays on, and says so.
        if (p.io.media.pauseRefused()) {
            p.io.controls.setEnabled(PauseButton, true);
            p.io.controls.setEnabled(ResumeButton, false);
        }
        p.st.positionMs = static_cast<int32_t>(p.io.media.positionMs());
        return PollResult::Open;
    }
    const int32_t result = SendMciCommand(p, mci::kStatusPosition);
    p.st.positionMs = static_cast<int32_t>(ReplyValue(p.st.replyText));
    return result == 0 ? PollResult::Open : PollResult::NotOpen;
}

bool TitleStopped(Player& p) {
    if (Foundation(p)) {
        const MediaState s = p.io.media.state();
        return s == MediaState::Stopped || s == MediaState::Failed || s == MediaState::Closed;
    }
    return SendMciCommand(p, mci::kStatusModeWait) == 0 && p.st.replyText == "stopped";
}

bool TitleEndedUnasked(Player& p) { return Foundation(p) && p.io.media.state() == MediaState::Stopped; }

bool StillTitleIsOver(Player& p) {
    // Still opening is not stuck: the engine gives up on a title that never starts.
    if (Foundation(p)) {
        const MediaState state = p.io.media.state();
        return state != MediaState::Creating && state != MediaState::Opening;
    }
    return TitleStopped(p);
}

bool PauseTitle(Player& p) {
    if (Foundation(p)) return p.io.media.pause();
    // What MCI answers is not looked at: a device that cannot pause says so in no useful way.
    SendMciCommand(p, mci::kPauseWait);
    return true;
}

int32_t ResumeTitle(Player& p) {
    const int32_t at = p.st.positionMs;
    if (Foundation(p)) return p.io.media.play(at < 0 ? -1 : at) ? 0 : 1;
    // A device that knows no position (-1) goes on from where it stands.
    return SendMciCommand(p, at < 0 ? std::string(mci::kPlay) : mci::PlayFromCommand(at));
}

void CloseTitle(Player& p) {
    if (Foundation(p))
        p.io.media.close();
    else
        SendMciCommand(p, mci::kClose);
    p.st.engine = Engine::None;
}

}  // namespace vireo
