#include "playback/foundation_title.h"

namespace vireo {

void FoundationTitle::open(uint32_t nowMs) {
    close();
    state_ = MediaState::Creating;
    openingSince_ = nowMs;
}

void FoundationTitle::created(PlayerObject& player, bool succeeded, bool canSeek, bool canPause, uint32_t nowMs) {
    if (state(nowMs) != MediaState::Creating) return;
    canSeek_ = canSeek;
    canPause_ = canPause;
    state_ = succeeded && player.setItem() ? MediaState::Opening : MediaState::Failed;
}

bool FoundationTitle::start(PlayerObject& player) {
    // A seek the item cannot do would fail the play with it; refused later,
    // it leaves the title where it stood.
    if (playFrom_ > 0 && canSeek_) player.setPosition(playFrom_);
    return player.play();
}

bool FoundationTitle::play(PlayerObject& player, int64_t fromMs, uint32_t nowMs) {
    if (state_ == MediaState::Closed || state_ == MediaState::Failed) return false;
    playFrom_ = fromMs;
    if (state_ != MediaState::Creating) state_ = MediaState::Opening;
    openingSince_ = nowMs;
    pauseRefused_ = false;
    if (!itemSet_) {
        playWanted_ = true;
        return true;
    }
    return start(player);
}

bool FoundationTitle::pause(PlayerObject& player) {
    if (!canPause_ || (state_ != MediaState::Playing && state_ != MediaState::Opening) || !player.pause())
        return false;
    beforePause_ = state_;
    state_ = MediaState::Paused;
    pauseRefused_ = false;
    return true;
}

void FoundationTitle::onEvent(PlayerObject& player, PlayerEvent event, bool succeeded) {
    // Nothing brings a failed title back.
    if (state_ == MediaState::Closed || state_ == MediaState::Failed) return;
    switch (event) {
    case PlayerEvent::ItemSet:
        if (!succeeded) {
            state_ = MediaState::Failed;
            break;
        }
        itemSet_ = true;
        if (playWanted_) {
            playWanted_ = false;
            if (!start(player)) state_ = MediaState::Failed;
        }
        break;
    case PlayerEvent::Play:
        if (!succeeded)
            state_ = MediaState::Failed;
        else if (state_ == MediaState::Opening)
            state_ = MediaState::Playing;
        break;
    case PlayerEvent::Pause:
        if (!succeeded && state_ == MediaState::Paused) {
            state_ = beforePause_;
            pauseRefused_ = true;
        }
        break;
    case PlayerEvent::Ended:
        state_ = MediaState::Stopped;
        break;
    case PlayerEvent::Error:
        state_ = MediaState::Failed;
        break;
    case PlayerEvent::PositionSet:
    case PlayerEvent::Other:
        break;
    }
}

MediaState FoundationTitle::state(uint32_t nowMs) {
    if ((state_ == MediaState::Creating || state_ == MediaState::Opening) && nowMs - openingSince_ > kOpeningLimitMs)
        state_ = MediaState::Failed;
    return state_;
}

bool FoundationTitle::takePauseRefusal() {
    const bool refused = pauseRefused_;
    pauseRefused_ = false;
    return refused;
}

void FoundationTitle::close() { *this = FoundationTitle(); }

}  // namespace vireo
