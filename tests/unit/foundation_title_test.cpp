#include "playback/foundation_title.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

namespace vireo {
namespace {

// The player object's calls, in order; its plays refused at once when told.
struct FakePlayerObject : PlayerObject {
    std::string calls;
    bool refusePlay = false;
    bool setItem() override { return log("set"), true; }
    bool setPosition(int64_t ms) override { return log("seek " + std::to_string(ms)), true; }
    bool play() override { return log("play"), !refusePlay; }
    bool pause() override { return log("pause"), true; }
    void log(const std::string& call) { calls += (calls.empty() ? "" : " ") + call; }
};

// What an item can do and the calls and events in order, against the calls
// the player object sees and the state. Steps: "play N" and "pause" ("=no"
// logged when refused), an event ("!" when it failed; "Created" is the item's
// creation), "+N" ms passing, "refuse" for a player object that refuses its
// plays at once, "close".
TEST(FoundationTitle, CharacteristicsAndEventsAgainstTheState) {
    using S = MediaState;
    struct Case {
        const char* name;
        bool canSeek, canPause;
        std::string steps, calls;
        S state;
        bool pauseRefused = false;
    };
    const std::string on = "play 0 Created ItemSet Play";
    const Case cases[] = {
        {"plays from its start without a seek", true, true, on, "set play", S::Playing},
        {"resumes where it was", true, true, on + " pause Pause play 4000 PositionSet Play",
         "set play pause seek 4000 play", S::Playing},
        {"cannot seek: resumes where it stands", false, true, on + " pause Pause play 4000 Play",
         "set play pause play", S::Playing},
        {"cannot pause: asked nothing, plays on", true, false, on + " pause", "set play pause=no", S::Playing},
        {"a pause refused later plays on", true, true, on + " pause Pause!", "set play pause", S::Playing, true},
        {"a seek refused later plays on", true, true, on + " pause Pause play 4000 PositionSet! Play",
         "set play pause seek 4000 play", S::Playing},
        {"plays to its end", true, true, on + " pause Pause Ended", "set play pause", S::Stopped},
        {"a play that fails", true, true, "play 0 Created ItemSet Play!", "set play", S::Failed},
        {"an item that is not set", true, true, "play 0 Created ItemSet!", "set", S::Failed},
        {"a play refused at once", true, true, "refuse play 0 Created ItemSet", "set play", S::Failed},
        {"an error, then no play", true, true, on + " Error play 0", "set play play=no", S::Failed},
        {"never starts", true, true, "play 0 Created ItemSet +15001 Other!", "set play", S::Failed},
        // The file answers late, or never: the title waits, and cannot pause meanwhile.
        {"created late", true, true, "play 0 +14000 pause Created ItemSet Play", "pause=no set play", S::Playing},
        {"still being created", true, true, "play 0 +15000", "", S::Creating},
        {"never created", true, true, "play 0 +15001 Created ItemSet", "", S::Failed},
        {"a file nothing decodes", true, true, "play 0 Created!", "", S::Failed},
        {"closed while created: its events come to nothing", true, true, "play 0 close Created ItemSet Play", "",
         S::Closed},
    };
    const std::string events[] = {"ItemSet", "Play", "Pause", "PositionSet", "Ended", "Error", "Other"};
    for (const Case& c : cases) {
        FoundationTitle title;
        FakePlayerObject player;
        uint32_t now = 1000;
        title.open(now);
        std::istringstream in(c.steps);
        for (std::string step; in >> step;) {
            int64_t from = 0;
            if (step == "play" && in >> from) {
                if (!title.play(player, from, now)) player.log("play=no");
            } else if (step == "pause") {
                if (!title.pause(player)) player.log("pause=no");
            } else if (step == "refuse") {
                player.refusePlay = true;
            } else if (step == "close") {
                title.close();
            } else if (step[0] == '+') {
                now += uint32_t(std::stoul(step.substr(1)));
            } else {
                const bool ok = step.back() != '!';
                if (!ok) step.pop_back();
                if (step == "Created") {
                    title.created(player, ok, c.canSeek, c.canPause, now);
                    continue;
                }
                const int e = int(std::find(std::begin(events), std::end(events), step) - std::begin(events));
                ASSERT_LT(e, 7) << c.name << ": " << step;
                title.onEvent(player, PlayerEvent(e), ok);
            }
        }
        EXPECT_EQ(player.calls, c.calls) << c.name;
        EXPECT_EQ(int(title.state(now)), int(c.state)) << c.name;
        EXPECT_EQ(title.takePauseRefusal(), c.pauseRefused) << c.name;
        EXPECT_FALSE(title.takePauseRefusal()) << c.name << ": once";
    }
}

}  // namespace
}  // namespace vireo
