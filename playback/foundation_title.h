// One title open in Media Foundation's player object (MFPlay on Windows):
// what it is doing, from what its item can do, the calls made and the events
// that answer them. The Win32 adapter only translates the calls and events.
#pragma once
#include <cstdint>

#include "core/media.h"

namespace vireo {

// The player object's calls, each completed later by an event; false when
// refused at once.
class PlayerObject {
public:
    virtual ~PlayerObject() = default;
    // Sets the item whose creation completed.
    virtual bool setItem() = 0;
    virtual bool setPosition(int64_t ms) = 0;
    virtual bool play() = 0;
    virtual bool pause() = 0;
};

enum class PlayerEvent { ItemSet, Play, Pause, PositionSet, Ended, Error, Other };

class FoundationTitle {
public:
    // A title that has not begun to play this long after it was asked to
    // never will: a resolver or decoder that hangs must not hold the run.
    // Long enough for a disk to spin up or a sleeping share to wake (a few
    // seconds, ten at worst), short enough to be seen as an answer, not a hang.
    static constexpr uint32_t kOpeningLimitMs = 15000;

    // The item is being created from the file.
    void open(uint32_t nowMs);
    // Its creation completed, or failed; what it can do, as it says then.
    // Sets it into the player object.
    // Too late (past the bound, or closed since), it comes to nothing.
    void created(PlayerObject& player, bool succeeded, bool canSeek, bool canPause, uint32_t nowMs);
    // From `fromMs`, or on from where it stands when that is 0 or less or the
    // item cannot seek (a seek to 0 is never asked: it is where a title
    // starts). Once the item is set.
    bool play(PlayerObject& player, int64_t fromMs, uint32_t nowMs);
    // False, and the title plays on, when the item cannot pause (or is not
    // created yet).
    bool pause(PlayerObject& player);
    // Only an error, or a failed item set or play, ends the title: a seek the
    // item refuses plays on from where it stood, a pause it refuses plays on.
    void onEvent(PlayerObject& player, PlayerEvent event, bool succeeded);
    MediaState state(uint32_t nowMs);
    // Whether a pause was refused since the last look; once.
    bool takePauseRefusal();
    void close();

private:
    bool start(PlayerObject& player);

    MediaState state_ = MediaState::Closed;
    MediaState beforePause_ = MediaState::Playing;
    bool canSeek_ = false;
    bool canPause_ = false;
    bool itemSet_ = false;
    bool playWanted_ = false;  // asked before the item was set
    bool pauseRefused_ = false;
    int64_t playFrom_ = 0;
    uint32_t openingSince_ = 0;
};

}  // namespace vireo
