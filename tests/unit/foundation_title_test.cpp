#include "playback/foundation_title.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace vireo {
namespace {

// The player object's calls, in order; each refused at once when told.
class FakePlayerObject : public PlayerObject {
public:
    std::vector<std::string> calls;
    bool refusePlay = false;
    bool setPosition(int64_t ms) override {
        calls.push_back("seek " + std::to_string(ms));
        return true;
    }
    bool play() override {
        calls.push_back("play");
        return !refusePlay;
    }
    bool pause() override {
        calls.push_back("pause");
        return true;
    }
};

const char* Name(MediaState s) {
    switch (s) {
    case MediaState::Closed: return "Closed";
    case MediaState::Opening: return "Opening";
    case MediaState::Playing: return "Playing";
    case MediaState::Paused: return "Paused";
    case MediaState::Stopped: return "Stopped";
    case MediaState::Failed: return "Failed";
    }
    return "?";
}

// What an item can do, the calls and events in order, against the calls the
// player object sees and the state. Steps: "play N", "pause" (the port's
// calls; "=no" is logged when one answers false), an event name, failed when
// it ends in "!", "+N" for time passing, "refuse play" for a player object
// that refuses its next plays at once.
TEST(FoundationTitle, CharacteristicsAndEventsAgainstTheState) {
    struct Case {
        const char* name;
        bool canSeek, canPause;
        std::string steps, calls;
        MediaState state;
        bool pauseRefused = false;
    };
    const std::string started = "play 0 ItemSet Play";
    const Case cases[] = {
        {"plays from its start without a seek", true, true, started, "play", MediaState::Playing},
        {"asked before its item is set", true, true, "play 0 +100 ItemSet", "play", MediaState::Opening},
        {"pauses and resumes where it was", true, true, started + " pause Pause play 4000 PositionSet Play",
         "play pause seek 4000 play", MediaState::Playing},
        {"cannot seek: resumes where it stands", false, true, started + " pause Pause play 4000 Play",
         "play pause play", MediaState::Playing},
        {"cannot pause: asked nothing, plays on", true, false, started + " pause", "play pause=no",
         MediaState::Playing},
        {"a pause refused later plays on", true, true, started + " pause Pause!", "play pause", MediaState::Playing,
         true},
        {"a seek refused later resumes where it was", true, true,
         started + " pause Pause play 4000 PositionSet! Play", "play pause seek 4000 play", MediaState::Playing},
        {"another event that failed", true, true, started + " Other!", "play", MediaState::Playing},
        {"plays to its end", true, true, started + " Ended", "play", MediaState::Stopped},
        {"ends paused", true, true, started + " pause Pause Ended", "play pause", MediaState::Stopped},
        {"a play that fails", true, true, "play 0 ItemSet Play!", "play", MediaState::Failed},
        {"an item that is not set", true, true, "play 0 ItemSet!", "", MediaState::Failed},
        {"a play refused at once, once set", true, true, "refuse play play 0 ItemSet", "play", MediaState::Failed},
        {"a resume refused at once", true, true, started + " pause Pause refuse play play 4000",
         "play pause seek 4000 play play=no", MediaState::Opening},
        {"an error as it plays", true, true, started + " Error", "play", MediaState::Failed},
        {"no play after an error", true, true, started + " Error play 0", "play play=no", MediaState::Failed},
        {"never starts", true, true, "play 0 ItemSet +15001", "play", MediaState::Failed},
        {"slow to start, within the limit", true, true, "play 0 ItemSet +15000 Play", "play", MediaState::Playing},
    };
    for (const Case& c : cases) {
        FoundationTitle title;
        FakePlayerObject player;
        uint32_t now = 1000;
        title.open(c.canSeek, c.canPause, now);
        std::istringstream in(c.steps);
        for (std::string step; in >> step;) {
            bool ok = true;
            if (step == "play") {
                int64_t from = 0;
                in >> from;
                ok = title.play(player, from, now);
                if (!ok) player.calls.push_back("play=no");
            } else if (step == "pause") {
                if (!title.pause(player)) player.calls.push_back("pause=no");
            } else if (step == "refuse") {
                in >> step;
                player.refusePlay = true;
            } else if (step[0] == '+') {
                now += uint32_t(std::stoul(step.substr(1)));
            } else {
                const bool succeeded = step.back() != '!';
                if (!succeeded) step.pop_back();
                const char* names[] = {"ItemSet", "Play", "Pause", "PositionSet", "Ended", "Error", "Other"};
                int e = 0;
                while (e < 7 && step != names[e]) ++e;
                ASSERT_LT(e, 7) << c.name << ": " << step;
                title.onEvent(player, PlayerEvent(e), succeeded);
            }
        }
        std::string calls;
        for (const std::string& call : player.calls) calls += (calls.empty() ? "" : " ") + call;
        EXPECT_EQ(calls, c.calls) << c.name;
        EXPECT_STREQ(Name(title.state(now)), Name(c.state)) << c.name;
        EXPECT_EQ(title.takePauseRefusal(), c.pauseRefused) << c.name;
        EXPECT_FALSE(title.takePauseRefusal()) << c.name << ": once";
    }
}

}  // namespace
}  // namespace vireo
