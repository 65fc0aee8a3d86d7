#include "app/system_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_loop.h"
#include "tests/unit/fake_ports.h"

namespace vireo {
namespace {

using Journal = std::vector<std::string>;
using test::Rig;

// Each command of the row's state, in the order of TransportCommand:
// PlayPause, PlayOrResume, Play, Pause, Resume, Stop, Next, Previous.
// P Play, A Pause, R Reprendre, S Stop, N next title, B previous title, - nothing.
TEST(SystemCommands, OneMeaningForEverySource) {
    struct Row {
        const char* state;
        TransportButtons buttons;
        int32_t titles;
        int64_t selected;
        bool continuous, blocked;
        const char* actions;
    };
    const TransportButtons ready{true, false, false, false}, playing{false, true, false, true},
        paused{false, false, true, true}, none{};
    const Row rows[] = {
        {"No list", none, 0, -1, false, false, "--------"},
        {"an empty folder listed: no box, unlike the Play button", ready, 0, -1, false, false, "--------"},
        {"Ready on the first title", ready, 3, 0, false, false, "PPP---N-"},
        {"Playing the second", playing, 3, 1, false, false, "A--A-SNB"},
        {"Paused on the second", paused, 3, 1, false, false, "RR--RSNB"},
        {"Ended on the last", ready, 3, 2, false, false, "PPP----B"},
        {"Ended on the last, Lecture continue", ready, 3, 2, true, false, "PPP---NB"},
        {"one title, Lecture continue: nowhere else to go", playing, 1, 0, true, false, "A--A-S--"},
        {"Playing, a box open", playing, 3, 1, false, true, "--------"},
        {"Paused, the folder requester open", paused, 3, 1, false, true, "--------"},
    };
    const char letters[] = "-PARSNB";
    for (const Row& row : rows) {
        TransportView v{row.buttons, row.titles, row.selected, row.continuous, row.blocked};
        std::string got;
        for (int c = 0; c < 8; ++c) got += letters[int(ActionFor(TransportCommand(c), v))];
        EXPECT_EQ(got, row.actions) << row.state;
    }
}

void Command(Rig& r, TransportCommand c, bool blocked = false) {
    Event e(EventKind::Transport);
    e.command = c;
    e.blocked = blocked;
    r.events.push(e);
    ASSERT_TRUE(RunPass(r.p));
}

void Passes(Rig& r, int64_t ms) {
    for (int64_t until = r.clock.nowMs + ms; r.clock.nowMs < until;) ASSERT_TRUE(RunPass(r.p));
}

std::string States(Rig& r) {
    return test::Shown({r.enabled(PlayButton), r.enabled(PauseButton), r.enabled(ResumeButton), r.enabled(StopButton)});
}

// The commands drive the real transport, through the main loop; the system's
// media controls follow it from the first title played, and the thumbnail
// buttons once the taskbar has made the program's button.
TEST(SystemCommands, WindowsDrivesTheStripAndIsToldWhereItStands) {
    Rig r;
    r.load({{"Un.wav", 60000}, {"Deux.wav", 40000}, {"Trois.wav", 30000}});
    r.p.st.scannedFolder = u"C:\\Musique\\";
    Command(r, TransportCommand::Next);
    EXPECT_EQ(r.selected(), 1);
    EXPECT_EQ(States(r), "EDDD") << "in Ready only the selection moves";
    EXPECT_TRUE(r.mci.commands.empty() || r.mci.commands.back() == "status Morceau position");
    EXPECT_TRUE(r.system.calls.empty()) << "nothing is registered before a title plays";

    r.events.push(Event(EventKind::TaskbarButton));
    ASSERT_TRUE(RunPass(r.p));
    Command(r, TransportCommand::PlayPause);
    EXPECT_EQ(States(r), "DEDE");
    EXPECT_FALSE(r.enabled(UserFolderButton)) << "as the Play button";
    EXPECT_EQ(r.system.calls, (Journal{"start", "buttons DEEEE", "display Deux / Musique", "status playing",
                                        "timeline 40000 0"}));
    r.system.calls.clear();

    Passes(r, 12000);  // the flyout's bar, every 5 s while playing
    ASSERT_EQ(r.system.calls.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const std::string& call = r.system.calls[i];
        ASSERT_EQ(call.rfind("timeline 40000 ", 0), 0u) << call;
        EXPECT_NEAR(std::stoi(call.substr(15)), 5000 * (i + 1), 400) << call;
    }
    r.system.calls.clear();
    Command(r, TransportCommand::Pause, true);  // a box was open
    EXPECT_EQ(States(r), "DEDE");
    Command(r, TransportCommand::PlayPause);
    EXPECT_EQ(States(r), "DDEE");
    Command(r, TransportCommand::PlayOrResume);
    EXPECT_EQ(States(r), "DEDE");
    const int32_t paused = r.p.st.positionMs;
    EXPECT_EQ(r.system.calls, (Journal{"buttons EDEEE", "status paused", "timeline 40000 " + std::to_string(paused),
                                        "buttons DEEEE", "status playing",
                                        "timeline 40000 " + std::to_string(paused)}));
    r.system.calls.clear();

    Command(r, TransportCommand::Next);
    EXPECT_EQ(r.selected(), 2);
    EXPECT_EQ(r.mci.commands.back(), "play Morceau from 1 notify") << "the new title from its start";
    Command(r, TransportCommand::Previous);
    EXPECT_EQ(r.selected(), 1);
    EXPECT_EQ(States(r), "DEDE");
    EXPECT_EQ(r.system.calls, (Journal{"buttons DEEDE", "display Trois / Musique", "timeline 30000 0",
                                        "buttons DEEEE", "display Deux / Musique", "timeline 40000 0"}));
    r.system.calls.clear();

    // A drop is SELECTION's: nothing while a title plays (SELECTION disabled)
    // nor while a box is open (a drive needs no lookup: it would be listed).
    for (bool boxOpen : {false, true}) {
        if (boxOpen) Command(r, TransportCommand::Stop);
        Event e(EventKind::Drop);
        e.paths = {u"E:\\"};
        e.blocked = boxOpen;
        r.events.push(e);
        ASSERT_TRUE(RunPass(r.p));
        EXPECT_EQ(r.controls[FolderPathField].name, u"C:\\Musique\\") << boxOpen;
    }
    EXPECT_EQ(States(r), "EDDD");
    EXPECT_EQ(r.system.calls, (Journal{"buttons EDDEE", "status stopped", "timeline 40000 0"}));
    EXPECT_EQ(r.taskbar.thumbs, (Journal{"add EDDD", "update DEDE", "update DDEE", "update DEDE", "update EDDD"}))
        << "one change for each of the strip's";

    // Quitting: the title closed, then the media controls left, before the windows go.
    r.system.journal = &r.journal();
    r.journal().clear();
    r.events.push(Event(EventKind::Close));
    RunMainLoop(r.p);
    EXPECT_EQ(r.journal(), (Journal{"MCI status Morceau position", "MCI close Morceau", "SMTC stop"}));
}

// Next from a title that was playing, to one that no longer opens: its box,
// and the run ends, as at the end of a title. Where the system's media
// controls cannot start, nothing more is asked of them.
TEST(SystemCommands, NextToATitleThatDoesNotOpen) {
    Rig r;
    r.system.available = false;  // Windows 7 and 8.x, Wine, a refused handler
    r.load({{"Un.wav", 60000}, {"Deux.wav", 40000}});
    Command(r, TransportCommand::PlayPause);
    r.mci.files.erase("C:\\Musique\\Deux.wav");
    Command(r, TransportCommand::Next);
    ASSERT_EQ(r.boxes.shown.size(), 1u);
    EXPECT_EQ(r.boxes.shown[0].title, "Erreur!");
    EXPECT_EQ(r.selected(), 1);
    EXPECT_EQ(States(r), "EDDD");
    EXPECT_TRUE(r.enabled(SelectFolderButton));
    r.events.push(Event(EventKind::Close));
    RunMainLoop(r.p);
    EXPECT_EQ(r.system.calls, Journal{"start"});
}

}  // namespace
}  // namespace vireo
