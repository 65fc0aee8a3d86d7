#include "app/main_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "playback/indicators.h"
#include "playback/mci_channel.h"
#include "playback/transport.h"
#include "tests/unit/fake_ports.h"

namespace vireo {
namespace {

using Journal = std::vector<std::string>;
using test::Rig;

// The enabled states of the controls that change, and DurationDisplay.
struct StateRow {
    const char* name;
    bool play, pause, resume, stop, select, user;
    const char* duration;  // nullptr: a length text, whatever it is
};
const StateRow kNoList{"No list", false, false, false, false, true, true, "0:00."};
const StateRow kReady{"Ready", true, false, false, false, true, true, "0:00."};
const StateRow kPlaying{"Playing", false, true, false, true, false, false, nullptr};
const StateRow kPaused{"Paused", false, false, true, true, false, false, nullptr};
const StateRow kEnded{"Ended", true, false, false, false, true, false, nullptr};

void ExpectState(Rig& r, const StateRow& s) {
    EXPECT_EQ(r.enabled(PlayButton), s.play) << s.name;
    EXPECT_EQ(r.enabled(PauseButton), s.pause) << s.name;
    EXPECT_EQ(r.enabled(ResumeButton), s.resume) << s.name;
    EXPECT_EQ(r.enabled(StopButton), s.stop) << s.name;
    EXPECT_EQ(r.enabled(SelectFolderButton), s.select) << s.name;
    EXPECT_EQ(r.enabled(UserFolderButton), s.user) << s.name;
    if (s.duration)
        EXPECT_EQ(r.text(DurationDisplay), s.duration) << s.name;
    else
        EXPECT_NE(r.text(DurationDisplay), "0:00.") << s.name;
    // Never disabled in any state.
    EXPECT_TRUE(r.enabled(TitleCombo)) << s.name;
    EXPECT_TRUE(r.enabled(PlayAllCheck)) << s.name;
    EXPECT_TRUE(r.enabled(ContinuousCheck)) << s.name;
}

// Idle passes until `ms` of fake time have gone by. Bounded, so that a loop
// that stops sleeping fails instead of running forever.
void RunFor(Rig& r, int64_t ms) {
    const int64_t until = r.clock.nowMs + ms;
    for (int64_t passes = ms / kIdleSleepMs + 1; r.clock.nowMs < until; --passes) {
        ASSERT_GT(passes, 0) << "the idle passes do not sleep";
        ASSERT_TRUE(RunPass(r.p));
    }
}

// One pass that takes the given event.
bool Press(Rig& r, int id) {
    r.events.control(id);
    return RunPass(r.p);
}

int Count(const std::vector<std::string>& v, const std::string& s) { return int(std::count(v.begin(), v.end(), s)); }

int Opens(Rig& r) {
    return int(std::count_if(r.mci.commands.begin(), r.mci.commands.end(),
                             [](const std::string& c) { return c.rfind("open ", 0) == 0; }));
}

// What followed the last "close Morceau" in the journal, polls left out.
Journal AfterLastClose(Rig& r) {
    const Journal& j = r.journal();
    auto last = std::find(j.rbegin(), j.rend(), "MCI close Morceau");
    Journal out;
    for (auto it = last.base(); it != j.end(); ++it)
        if (*it != "MCI status Morceau position") out.push_back(*it);
    return out;
}

std::string OpenOf(const std::string& title) { return mci::OpenCommand(Rig::kFolder + title); }

TEST(RunPass, AnIdlePassSleepsOnceAndPollsOnce) {
    Rig r;
    EXPECT_TRUE(RunPass(r.p));
    EXPECT_EQ(r.events.sleeps, (std::vector<unsigned>{20}));
    EXPECT_EQ(r.mci.commands, (Journal{"status Morceau position"}));
    EXPECT_EQ(r.events.taken, 1);
    // The first poll fails (nothing open) and leaves the idle readings.
    EXPECT_EQ(r.p.st.positionMs, 0);
    EXPECT_EQ(r.text(ElapsedDisplay), "0:00");
    EXPECT_EQ(r.text(CountDisplay), "0");
    EXPECT_EQ(r.controls[TrackProgressBar].state, 0);
    EXPECT_TRUE(r.boxes.shown.empty());
}

TEST(RunPass, APassWithAnEventDoesNotSleep) {
    for (Event e : {Event{EventKind::Other, 0}, Event{EventKind::Control, TitleCombo},
                    Event{EventKind::LeftPress, 0}}) {
        Rig r;
        r.events.push(e);
        EXPECT_TRUE(RunPass(r.p));
        EXPECT_TRUE(r.events.sleeps.empty());
        EXPECT_EQ(r.mci.commands, (Journal{"status Morceau position"}));
        EXPECT_EQ(r.p.st.event.kind, e.kind);
    }
}

TEST(RunPass, TheEventIsDispatchedAfterThePollOfTheSamePass) {
    Rig r;
    r.load({{"a.wav", 60000}});
    EXPECT_TRUE(Press(r, PlayButton));
    ASSERT_GE(r.mci.commands.size(), 2u);
    EXPECT_EQ(r.mci.commands[0], "status Morceau position");
    EXPECT_EQ(r.mci.commands[1], OpenOf("a.wav"));
    // The indicators of that pass show the poll before the play.
    EXPECT_EQ(r.journal().front(), "MCI status Morceau position");
}

TEST(RunPass, EndsOnlyWhenAnEventSetTheQuitFlag) {
    Rig r;
    r.p.st.quitFlag = 1;  // a pass without an event never looks at it
    EXPECT_TRUE(RunPass(r.p));
    r.p.st.quitFlag = 0;
    r.events.push({EventKind::Close, 0});
    EXPECT_FALSE(RunPass(r.p));
    EXPECT_EQ(r.p.st.quitFlag, 1);

    Rig b;
    EXPECT_FALSE(Press(b, CloseButton));
    Rig c;
    c.p.st.quitFlag = 2;  // only 1 ends the loop
    EXPECT_TRUE(Press(c, AboutButton));
}

TEST(RunMainLoop, RunsUntilAClose) {
    Rig r;
    r.load({{"a.wav", 60000}});
    r.events.control(PlayButton);
    for (int i = 0; i < 3; ++i) r.events.push({EventKind::Other, 0});
    r.events.push({EventKind::Close, 0});
    r.events.control(StopButton);  // never taken
    RunMainLoop(r.p);
    EXPECT_EQ(r.events.taken, 5);
    EXPECT_EQ(r.events.pending.size(), 1u);
    // Quitting closes the device: left open, it could stay unusable.
    EXPECT_FALSE(r.mci.isOpen());
    EXPECT_EQ(r.mci.commands.back(), "close Morceau");
}

TEST(MainLoop, NothingStartsByItselfAfterStartUp) {
    Rig r;
    ExpectState(r, kNoList);
    RunFor(r, 2000);
    r.load({{"a.wav", 500}, {"b.wav", 3000}});
    ExpectState(r, kReady);
    RunFor(r, 2000);
    EXPECT_EQ(Opens(r), 0);
    ExpectState(r, kReady);
    EXPECT_EQ(r.events.sleeps.size(), 200u);
}

TEST(MainLoop, PlayPauseResumeStop) {
    Rig r;
    r.load({{"a.wav", 185700}, {"b.wav", 3000}});
    Press(r, PlayButton);
    ExpectState(r, kPlaying);
    EXPECT_EQ(r.text(DurationDisplay), "3:05");
    EXPECT_EQ(r.text(SecondsDisplay), "185");
    EXPECT_EQ(r.p.st.currentTitle, u"a.wav");

    RunFor(r, 42300);
    EXPECT_EQ(r.text(ElapsedDisplay), "0:42");
    Press(r, PauseButton);
    ExpectState(r, kPaused);
    const int32_t paused = int32_t(r.mci.position());
    RunFor(r, 10000);
    EXPECT_EQ(r.p.st.positionMs, paused);
    EXPECT_EQ(r.text(ElapsedDisplay), FormatTime(paused / 1000));

    // Resume continues where the pause took effect, polled in the same pass.
    Press(r, ResumeButton);
    ExpectState(r, kPlaying);
    EXPECT_EQ(r.mci.commands.back(), mci::PlayFromCommand(paused));
    RunFor(r, 1000);
    EXPECT_GT(r.p.st.positionMs, paused);

    Press(r, StopButton);
    ExpectState(r, kReady);
    RunFor(r, 1000);
    EXPECT_EQ(r.text(ElapsedDisplay), "0:00");
    EXPECT_EQ(r.text(CountDisplay), "0");
    EXPECT_EQ(r.text(SecondsDisplay), "185");
    EXPECT_EQ(Count(r.mci.commands, "close Morceau"), 1);  // no end was detected
    EXPECT_EQ(r.taskbar.states, (std::vector<int>{1, 0}));
}

TEST(MainLoop, PauseThenStopThenPlayStartsFromTheBeginning) {
    Rig r;
    r.load({{"a.wav", 60000}});
    Press(r, PlayButton);
    RunFor(r, 5000);
    Press(r, PauseButton);
    Press(r, StopButton);
    ExpectState(r, kReady);
    EXPECT_FALSE(r.enabled(ResumeButton));
    Press(r, PlayButton);
    EXPECT_EQ(r.mci.position(), 1);
}

// Passes until the open title is closed; the play time it had then.
// Closes of either engine.
int Closes(Rig& r) { return Count(r.mci.commands, "close Morceau") + Count(r.journal(), "MEDIA close"); }

int64_t PlayedUntilClosed(Rig& r) {
    const int64_t start = r.clock.nowMs;
    const int closes = Closes(r);
    for (int passes = 0; Closes(r) == closes; ++passes) {
        if (passes > 20000) return -1;
        if (!RunPass(r.p)) return -1;
    }
    return r.clock.nowMs - start;
}

// A title plays to its end: not closed when its position reaches its last
// whole second, but when the device has played it all, and then at once.
TEST(MainLoop, ATitlePlaysToItsLastNote) {
    struct Case {
        const char* name;
        int32_t lengthMs;
        test::TrackKind kind;
        int32_t measuredMs = -1;
        const char* file = "a.wav";
        bool runsOn = false;
        int64_t playsMs = -1;  // when not its length
        uint32_t countedFrames = 0;  // of 1152 samples at 44.1 kHz, by the encoder's header in the file
        int64_t behindBoxMs = 0;     // the loop held by a box this long after Play
    };
    const Case cases[] = {
        // Media Foundation: its position reads 0 once it has stopped at the end.
        {"a FLAC", 3200, test::TrackKind::Wav, -1, "a.flac"},
        {"an AAC .m4a under a second", 700, test::TrackKind::Wav, -1, "a.m4a"},
        // Ended before a pass could see its last second.
        {"a FLAC of whole seconds", 4000, test::TrackKind::Wav, -1, "a.flac"},
        // Its position runs past the length measured: only the device's stop ends it.
        {"a VBR title measured 1.3 s short", 4500, test::TrackKind::Wav, 3200},
        {"3:05.7", 185700, test::TrackKind::Wav},
        {"3.2 s", 3200, test::TrackKind::Wav},
        {"1.9 s", 1900, test::TrackKind::Wav},
        {"exactly a second", 1000, test::TrackKind::Wav},
        {"under a second", 999, test::TrackKind::Wav},
        {"a fifth of a second", 200, test::TrackKind::Wav},
        // Its position falls back to where it started once it has ended.
        {"an MPEG title", 3700, test::TrackKind::Mp3},
        // Never says "stopped": ended once its position has run on to 20 times
        // its length, and not before, which a title measured short might need.
        {"an MPEG title whose position runs on", 1500, test::TrackKind::Mp3, -1, "a.mp3", true, 30000},
        {"the same measured short", 3000, test::TrackKind::Mp3, 2000, "a.mp3", true, 40000},
        // Its file counts its frames: 2 s past the 1.488 s they play, or past the device's length.
        {"whose file says its length", 1500, test::TrackKind::Mp3, -1, "a.mp3", true, 3488, 57},
        {"whose file says less than the device", 3000, test::TrackKind::Mp3, -1, "a.mp3", true, 5000, 57},
        {"the same, its last second passed behind a box", 1500, test::TrackKind::Mp3, -1, "a.mp3", true, 3488, 57, 2500},
    };
    for (const Case& c : cases) {
        Rig r;
        r.modes(false, false);
        r.load({{c.file, c.lengthMs}}, c.kind);
        if (!r.mci.files.empty()) {
            r.mci.files.begin()->second.measuredMs = c.measuredMs;
            r.mci.files.begin()->second.runsOn = c.runsOn;
        }
        if (c.countedFrames) {  // LAME's header in the first frame of a layer III stereo file
            std::string file = std::string("\xFF\xFB\x90\x64", 4) + std::string(32, '\0') + "Info";
            for (uint32_t v : {3u, c.countedFrames, 4000u})
                for (int shift = 24; shift >= 0; shift -= 8) file += char(v >> shift);
            file.resize(4000);
            r.files.content[std::string(Rig::kFolder) + c.file] = file;
        }
        Press(r, PlayButton);
        r.clock.advance(c.behindBoxMs);
        const int64_t played = PlayedUntilClosed(r) + c.behindBoxMs, plays = c.playsMs < 0 ? c.lengthMs : c.playsMs;
        // It started 1 ms in; a pass is 20 ms; a position that runs on moves in steps.
        EXPECT_GE(played, plays - 1) << c.name;
        EXPECT_LE(played, plays + 20 + (c.runsOn ? test::FakeMci::kStepMs : 0)) << c.name;
        ExpectState(r, kEnded);
        EXPECT_EQ(Closes(r), 1) << c.name;
    }
}

// The pause command of a pass goes out a moment after that pass's poll; here
// PauseTrack is called as that dispatch would, once the position has moved on.
void PauseJustAfterThePoll(Rig& r, int32_t pollAt, int64_t thenMs) {
    SendMciCommand(r.p, mci::PlayFromCommand(pollAt));
    ASSERT_TRUE(RunPass(r.p));
    ASSERT_TRUE(r.mci.isOpen());
    r.clock.advance(thenMs);
    PauseTrack(r.p);
}

struct Modes {
    const char* name;
    bool playAll, continuous;
    // After the first of two titles: the index that plays next, or -1 for the end of the run.
    int next;
};
const Modes kModes[] = {
    {"Tout lire", true, false, 1},
    {"Lecture continue", false, true, 0},
    {"both", true, true, 1},
    {"neither", false, false, -1},
};

// A pause inside the last whole second is a pause, in every mode: it holds
// until Reprendre, which finishes the title; then the run goes on by its mode.
TEST(MainLoop, APauseInTheLastWholeSecondHolds) {
    for (const Modes& m : kModes) {
        Rig r;
        r.modes(m.playAll, m.continuous);
        r.load({{"a.wav", 5500}, {"b.wav", 5500}});
        Press(r, PlayButton);
        PauseJustAfterThePoll(r, 4800, 333);
        ASSERT_EQ(r.text(ElapsedDisplay), "0:04") << m.name;
        RunFor(r, 1500);
        EXPECT_EQ(r.text(ElapsedDisplay), "0:05") << m.name << ": the texts meet while paused";
        ExpectState(r, kPaused);
        EXPECT_TRUE(r.mci.isPaused()) << m.name;
        EXPECT_EQ(Count(r.mci.commands, "close Morceau"), 0) << m.name;

        Press(r, ResumeButton);
        ExpectState(r, kPlaying);
        const int64_t played = PlayedUntilClosed(r);
        EXPECT_GE(played, 5500 - 5133) << m.name << ": the rest of the title is played";
        EXPECT_LE(played, 5500 - 5133 + 20) << m.name;
        if (m.next < 0) {
            ExpectState(r, kEnded);
            EXPECT_FALSE(r.mci.isOpen()) << m.name;
        } else {
            ExpectState(r, kPlaying);
            EXPECT_EQ(r.selected(), m.next) << m.name;
            EXPECT_TRUE(r.mci.isPlaying()) << m.name;
        }
    }
}

// The click and the end in one pass: the end is handled first, and a Pause
// or Reprendre whose button that end disabled does nothing.
TEST(MainLoop, AClickTakenInThePassThatEndsTheTitle) {
    struct Case {
        const char* name;
        bool playAll;
        int click;
        bool secondTitle;  // a successor follows
        StateRow after;
    };
    const Case cases[] = {
        {"Pause at the end of the run", true, PauseButton, false, kEnded},
        {"Pause with neither mode", false, PauseButton, false, kEnded},
        {"Reprendre at the end of the run", true, ResumeButton, false, kEnded},
        {"Pause as the next title starts: it pauses that one", true, PauseButton, true, kPaused},
    };
    for (const Case& c : cases) {
        Rig r;
        r.modes(c.playAll, false);
        r.load(c.secondTitle ? std::vector<std::pair<std::string, int32_t>>{{"a.wav", 5500}, {"b.wav", 5500}}
                             : std::vector<std::pair<std::string, int32_t>>{{"a.wav", 5500}});
        Press(r, PlayButton);
        SendMciCommand(r.p, mci::PlayFromCommand(5500));  // at its end: the device has stopped
        Press(r, c.click);
        ExpectState(r, c.after);
        EXPECT_EQ(r.selected(), c.secondTitle ? 1 : 0) << c.name;
        EXPECT_EQ(r.mci.isOpen(), c.secondTitle) << c.name;
        RunFor(r, 1000);
        ExpectState(r, c.after);
        if (!c.secondTitle) {
            Press(r, ResumeButton);  // disabled: nothing happens
            ExpectState(r, kEnded);
            EXPECT_FALSE(r.mci.isOpen()) << c.name;
        }
    }
}

TEST(MainLoop, PlayAllAloneStopsOnTheLastTitle) {
    Rig r;
    r.load({{"a.wav", 1500}, {"b.wav", 3200}, {"c.wav", 2100}});
    Press(r, PlayButton);
    RunFor(r, 1600);
    EXPECT_EQ(r.selected(), 1);
    EXPECT_EQ(r.text(DurationDisplay), "0:03");
    RunFor(r, 3300);
    EXPECT_EQ(r.selected(), 2);
    EXPECT_EQ(r.text(DurationDisplay), "0:02");
    RunFor(r, 2200);
    ExpectState(r, kEnded);
    EXPECT_FALSE(r.mci.isOpen());
    EXPECT_EQ(r.selected(), 2);
    EXPECT_EQ(r.text(DurationDisplay), "0:02");  // the last length text is kept
    EXPECT_EQ(r.text(SecondsDisplay), "2");
    EXPECT_EQ(r.taskbar.states, (std::vector<int>{1, 1, 1, 0}));  // the animation goes with the run
    EXPECT_EQ(Opens(r), 3);
    EXPECT_EQ(Count(r.mci.commands, "close Morceau"), 3);

    // The end handling stays quiet afterwards.
    RunFor(r, 3000);
    EXPECT_EQ(Count(r.mci.commands, "close Morceau"), 3);
    EXPECT_EQ(r.text(ElapsedDisplay), "0:00");

    // The next Play starts the last title again, not the first.
    Press(r, PlayButton);
    EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "c.wav");
    ExpectState(r, kPlaying);
}

TEST(MainLoop, TheEndOfARun) {
    for (bool playAll : {true, false}) {
        Rig r;
        r.modes(playAll, false);
        r.load({{"a.wav", 1500}, {"b.wav", 1500}});
        r.select(playAll ? 1 : 0);
        Press(r, PlayButton);
        RunFor(r, 3000);
        ExpectState(r, kEnded);
        EXPECT_EQ(r.selected(), playAll ? 1 : 0);
        EXPECT_EQ(Opens(r), 1);
        EXPECT_EQ(AfterLastClose(r), (Journal{"E2", "D13", "D14", "D3", "E6", "TASKBAR 0"})) << playAll;
    }
}

TEST(MainLoop, BothModesWrapWithoutEnd) {
    Rig r;
    r.modes(true, true);
    r.load({{"a.wav", 1500}, {"b.wav", 1500}, {"c.wav", 1500}});
    std::vector<int> seen;
    Press(r, PlayButton);
    for (int i = 0; i < 8; ++i) {
        seen.push_back(r.selected());
        const int opens = Opens(r);
        for (int passes = 0; Opens(r) == opens; ++passes) {
            ASSERT_LT(passes, 1000);
            ASSERT_TRUE(RunPass(r.p));
        }
        ExpectState(r, kPlaying);
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1}));
    EXPECT_TRUE(r.boxes.shown.empty());
}

TEST(MainLoop, ContinuousAloneRepeatsOneTitle) {
    Rig r;
    r.modes(false, true);
    r.load({{"a.wav", 1500}, {"b.wav", 1500}});
    Press(r, PlayButton);
    RunFor(r, 1500 * 5);
    EXPECT_GE(Opens(r), 4);
    for (const auto& c : r.mci.commands) {
        if (c.rfind("open ", 0) == 0) {
            EXPECT_EQ(c, OpenOf("a.wav"));
        }
    }
    EXPECT_EQ(r.selected(), 0);
    ExpectState(r, kPlaying);
}

TEST(MainLoop, AOneTitleListWithBothModesRepeatsIt) {
    Rig r;
    r.modes(true, true);
    r.load({{"seul.wav", 1500}});
    Press(r, PlayButton);
    RunFor(r, 1500 * 5);
    EXPECT_GE(Opens(r), 4);
    EXPECT_EQ(r.selected(), 0);
    ExpectState(r, kPlaying);
}

TEST(MainLoop, ChoosingAnotherTitleDuringPlayChangesTheSuccessor) {
    Rig r;
    r.load({{"a.wav", 2500}, {"b.wav", 2500}, {"c.wav", 2500}, {"d.wav", 2500}});
    Press(r, PlayButton);
    RunFor(r, 500);
    r.select(2);
    r.events.control(TitleCombo);  // the notification starts nothing
    RunPass(r.p);
    EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "a.wav");
    RunFor(r, 2500);
    EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "d.wav");

    Rig c;
    c.modes(false, true);
    c.load({{"a.wav", 2500}, {"b.wav", 2500}});
    Press(c, PlayButton);
    c.select(1);
    RunFor(c, 2500);
    EXPECT_EQ(ToUtf8(c.mci.openPath()), std::string(Rig::kFolder) + "b.wav");
}

TEST(MainLoop, ModesAreReadWhenATrackEnds) {
    Rig r;
    r.modes(false, false);
    r.load({{"a.wav", 3000}, {"b.wav", 3000}});
    Press(r, PlayButton);
    RunFor(r, 500);
    r.modes(true, false);  // ticked during play: taken at the end
    RunFor(r, 3000);
    EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "b.wav");
}

TEST(MainLoop, NoSelectionStartsFromTheFirstTitle) {
    Rig r;
    r.load({{"a.wav", 1500}, {"b.wav", 1500}});
    Press(r, PlayButton);
    r.select(-1);
    RunFor(r, 1500);
    EXPECT_EQ(r.selected(), 0);
    EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "a.wav");
    EXPECT_EQ(r.p.st.nextIndex, 0);
}

// A successor deleted or renamed since the scan, in each mode that has one:
// its one box, and the run ends in the Ended state.
// Gone since the scan, or opened but silent (no audio device): the same end.
TEST(MainLoop, ASuccessorThatFailsToOpenEndsTheRun) {
    for (const Modes& m : kModes) {
        for (bool silent : {false, true}) {
            if (m.next < 0) continue;
            Rig r;
            r.modes(m.playAll, m.continuous);
            r.load({{"a.wav", 1500}, {"b.wav", 1500}});
            Press(r, PlayButton);
            if (silent)
                r.mci.playError = test::kMciOutOfRange;
            else
                r.mci.files.clear();
            RunFor(r, 5000);
            ASSERT_EQ(r.boxes.shown.size(), 1u) << m.name;
            EXPECT_EQ(r.boxes.shown[0].title, "Erreur!");
            EXPECT_EQ(r.selected(), m.next) << m.name << ": shows the title that failed";
            EXPECT_FALSE(r.mci.isOpen());
            ExpectState(r, kEnded);
            EXPECT_EQ(r.text(DurationDisplay), "0:01");
            EXPECT_EQ(r.taskbar.states, (std::vector<int>{1, 0})) << m.name;
            EXPECT_EQ(Opens(r), 2) << m.name;
        }
    }
}

// After a title of less than a second the idle reading "0:00" equals its length
// text; only an open track may count as ended.
TEST(MainLoop, AfterASubSecondTitleTheIdleReadingIsNoEnd) {
    Rig r;
    r.load({{"a.wav", 1500}, {"court.wav", 800}});
    r.select(1);
    Press(r, PlayButton);
    RunFor(r, 1000);
    ExpectState(r, kEnded);
    EXPECT_EQ(r.text(DurationDisplay), "0:00");
    // Choosing a title in the Ended state must not start it.
    r.select(0);
    RunFor(r, 1000);
    EXPECT_EQ(Opens(r), 1);
    EXPECT_EQ(Count(r.mci.commands, "close Morceau"), 1);
    ExpectState(r, kEnded);
}

// Play disables USER only when its title opened: a folder with nothing
// playable must not lock the default folder for the session.
TEST(MainLoop, APlayThatFailsLeavesUserFolderButtonEnabled) {
    Rig r;
    r.load({{"parti.wav", 1500}});
    r.mci.files.clear();
    Press(r, PlayButton);
    EXPECT_EQ(r.boxes.shown.size(), 1u);
    ExpectState(r, kReady);
    EXPECT_TRUE(r.taskbar.states.empty());
    RunFor(r, 1000);
    EXPECT_EQ(r.boxes.shown.size(), 1u);
}

// Titles open from the folder the list was built from: what the field shows
// since does not matter.
TEST(MainLoop, AFieldEditedDuringARunDoesNotStopIt) {
    Rig r;
    r.load({{"a.wav", 1500}, {"b.wav", 1500}});
    Press(r, PlayButton);
    r.controls[FolderPathField].name = u"D:\\Autre";
    RunFor(r, 1600);
    EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "b.wav");
    ExpectState(r, kPlaying);
    EXPECT_TRUE(r.boxes.shown.empty());
}

TEST(MainLoop, StopFromPausedAndFromEnded) {
    Rig r;
    r.load({{"a.wav", 1500}});
    Press(r, PlayButton);
    Press(r, PauseButton);
    ExpectState(r, kPaused);
    Press(r, StopButton);
    ExpectState(r, kReady);
    Press(r, PlayButton);
    RunFor(r, 3000);
    ExpectState(r, kEnded);
    Press(r, StopButton);  // disabled: no command
    ExpectState(r, kEnded);
}

TEST(MainLoop, FolderChangesLeadToReady) {
    // From Ended: a folder chosen for this run.
    Rig r;
    r.load({{"a.wav", 1500}});
    Press(r, PlayButton);
    RunFor(r, 3000);
    ExpectState(r, kEnded);
    r.requester.answer = u"D:\\Autres";
    r.dirs.listings["D:\\Autres\\*.*"] = {"x.wav", "notes.txt", "y.mid"};
    Press(r, SelectFolderButton);
    StateRow readyUserOff = kReady;
    readyUserOff.user = false;  // kept since the Play command
    readyUserOff.duration = "0:01";
    ExpectState(r, readyUserOff);
    EXPECT_EQ(r.controls[TitleCombo].items, (std::vector<std::u16string>{u"x.wav", u"y.mid"}));
    EXPECT_EQ(r.p.st.titleCount, 2);
    RunFor(r, 1000);
    EXPECT_EQ(Opens(r), 1);  // the new list starts nothing by itself

    // From No list: the default folder chosen and reloaded.
    Rig n;
    ExpectState(n, kNoList);
    n.requester.answer = u"E:\\Musique\\";
    n.dirs.listings["E:\\Musique\\*.*"] = {"z.wma"};
    Press(n, UserFolderButton);
    ExpectState(n, kReady);
    EXPECT_EQ(n.controls[TitleCombo].items, (std::vector<std::u16string>{u"z.wma"}));
}

// One run through both engines: each title to its end, then the next; the
// Media Foundation titles pause and resume as the others do, and while one
// plays nothing is asked of MCI.
TEST(MainLoop, OneRunMixesTheEngines) {
    Rig r;
    r.load({{"1.wav", 1500}, {"2.flac", 2500}, {"3.m4a", 1200}, {"4.aac", 1900}, {"5.wav", 1500}});
    Press(r, PlayButton);
    while (r.selected() != 1) ASSERT_TRUE(RunPass(r.p));
    RunFor(r, 1000);
    const size_t mciCommands = r.mci.commands.size();
    Press(r, PauseButton);
    ExpectState(r, kPaused);
    RunFor(r, 5000);
    EXPECT_EQ(r.text(ElapsedDisplay), "0:01");
    Press(r, ResumeButton);
    EXPECT_EQ(r.journal().back().rfind("MEDIA play 1", 0), 0u) << r.journal().back();
    EXPECT_EQ(r.mci.commands.size(), mciCommands);
    EXPECT_NEAR(double(PlayedUntilClosed(r)), 1500, 20);  // the rest of it, to a pass
    RunFor(r, 6000);
    ExpectState(r, kEnded);
    Journal opens;
    for (const std::string& e : r.journal())
        if (e.find(" open ") != std::string::npos || e.rfind("MEDIA open", 0) == 0) opens.push_back(e.substr(0, 10));
    EXPECT_EQ(opens, (Journal{"MCI open \"", "MEDIA open", "MEDIA open", "MEDIA open", "MCI open \""}));
    EXPECT_TRUE(r.boxes.shown.empty());
}

// A Media Foundation title that cannot be decoded, that fails as it plays,
// that never says its length, whose decoder stalls, or whose file answers
// late or never: one box at most, the run goes on as after a title that
// failed to open, and nothing hangs; while its file opens the strip shows it
// playing, with no length yet. One that cannot pause, or whose pause is
// refused later, plays on through a Pause to its end, the strip back to
// Playing. Stopped while its file opens, it leaves nothing behind. After
// each, the next Play plays.
TEST(MainLoop, MediaFoundationTitlesThatGoWrong) {
    struct Case {
        const char* name;
        test::FakeMediaTitle title;
        bool box;
        int64_t endsAfterMs;  // about
        int64_t stopAtMs = -1;
    };
    const Case cases[] = {
        {"does not decode", {4000, false}, true, 0},
        {"fails as it plays", {4000, true, true, 1500}, true, 1500},
        {"never says its length", {4000, true, false}, false, 4000},
        {"stalls without a position", {4000, true, true, -1, true}, false, 3000},
        {"cannot pause", {4000, true, true, -1, false, false}, false, 4000},
        {"refuses a pause later", {4000, true, true, -1, false, true, true}, false, 4000},
        {"opens late", {4000, true, true, -1, false, true, false, 9000}, false, 13000},
        {"never opens", {4000, true, true, -1, false, true, false, -1}, true, 15000},
        {"opens after the bound", {4000, true, true, -1, false, true, false, 15500}, true, 15000},
        {"stopped while it opens", {4000, true, true, -1, false, true, false, -1}, false, 2000, 2000},
    };
    for (const Case& c : cases) {
        Rig r;
        r.load({{"a.flac", 4000}});
        r.media.files.begin()->second = c.title;
        const int64_t start = r.clock.nowMs;
        Press(r, PlayButton);
        // Pause pressed a second in where it cannot hold; the run is over once Play is back.
        bool pause = !c.title.canPause || c.title.refusesPause;
        while (!r.enabled(PlayButton) && r.clock.nowMs - start < 20000) {
            if (r.clock.nowMs - start == 1000 && c.title.opensAfterMs != 0) {
                ExpectState(r, {"opening", false, true, false, true, false, false, "0:00."});
                EXPECT_EQ(r.text(ElapsedDisplay), "0:00") << c.name;
            }
            if (r.text(ElapsedDisplay) == "0:01") {
                EXPECT_EQ(r.text(DurationDisplay), c.title.knowsLength ? "0:04" : "0:00") << c.name << ": once open";
            }
            const bool now = pause && r.clock.nowMs - start >= 1000;
            pause = pause && !now;
            const bool stop = c.stopAtMs >= 0 && r.clock.nowMs - start >= c.stopAtMs;
            ASSERT_TRUE(now ? Press(r, PauseButton) : stop ? Press(r, StopButton) : RunPass(r.p));
        }
        EXPECT_NEAR(double(r.clock.nowMs - start), double(c.endsAfterMs), 60) << c.name;
        EXPECT_EQ(r.boxes.shown.size(), c.box ? 1u : 0u) << c.name;
        EXPECT_FALSE(r.media.isOpen()) << c.name;
        EXPECT_TRUE(r.enabled(PlayButton)) << c.name;
        RunFor(r, 20000);
        EXPECT_EQ(r.boxes.shown.size(), c.box ? 1u : 0u) << c.name << ": once";
        r.media.files.begin()->second = {1500};
        Press(r, PlayButton);
        EXPECT_NEAR(double(PlayedUntilClosed(r)), 1500, 40) << c.name << ": the next Play";
        EXPECT_EQ(r.boxes.shown.size(), c.box ? 1u : 0u) << c.name;
    }
}

// A title whose sound stops short of its length.
int ModeQueries(Rig& r) { return Count(r.mci.commands, mci::kStatusModeWait); }

test::FakeTrack Cut(int32_t lengthMs, int32_t soundMs) { return {lengthMs, test::TrackKind::Wav, soundMs}; }

TEST(StallCheck, ACutTitleEndsThreeSecondsAfterItsSoundAndTheRunMovesOn) {
    struct Case {
        const char* name;
        int32_t soundMs;
    };
    for (const Case& c : {Case{"cut at its header", 0}, Case{"cut half way", 1500}}) {
        Rig r;
        r.load({{"a.wav", 3200}, {"b.wav", 60000}});
        r.mci.files[std::string(Rig::kFolder) + "a.wav"] = Cut(3200, c.soundMs);
        Press(r, PlayButton);
        // The position last moves when the sound runs out.
        const int64_t stillFrom = r.clock.nowMs + c.soundMs;
        RunFor(r, stillFrom + kStallMs - 40 - r.clock.nowMs);
        EXPECT_EQ(ModeQueries(r), 0) << c.name << ": asked before the position stood still for 3 s";
        ExpectState(r, kPlaying);
        RunFor(r, 100);
        EXPECT_EQ(ModeQueries(r), 1) << c.name;
        EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "b.wav") << c.name;
        EXPECT_EQ(r.selected(), 1) << c.name;
        ExpectState(r, kPlaying);
        // The question came right before the close, in the pass that found the stall.
        const auto& cmds = r.mci.commands;
        auto query = std::find(cmds.begin(), cmds.end(), mci::kStatusModeWait);
        ASSERT_NE(query, cmds.end());
        ASSERT_NE(query + 1, cmds.end());
        EXPECT_EQ(*(query + 1), mci::kClose) << c.name;
    }
}

// What a stalled title leads to is what its natural end leads to, in every mode.
TEST(StallCheck, AStalledTitleIsHandledExactlyAsAnEndedOne) {
    for (bool playAll : {false, true})
        for (bool continuous : {false, true}) {
            Journal after[2];
            for (int stalled = 0; stalled < 2; ++stalled) {
                Rig r;
                r.load({{"a.wav", 1200}, {"b.wav", 1200}});
                if (stalled) r.mci.files[std::string(Rig::kFolder) + "a.wav"] = Cut(1200, 0);
                r.modes(playAll, continuous);
                Press(r, PlayButton);
                for (int passes = 0; Closes(r) == 0; ++passes) {
                    ASSERT_LT(passes, 400) << "no end";
                    RunPass(r.p);
                }
                after[stalled] = AfterLastClose(r);
            }
            EXPECT_EQ(after[0], after[1]) << "Tout lire " << playAll << ", Lecture continue " << continuous;
            EXPECT_FALSE(after[1].empty());
        }
}

// Ten seconds of a long title: the cases where no end may follow.
TEST(StallCheck, NoEndAndNoQuestionWhereNoneIsDue) {
    struct Case {
        const char* name;
        test::FakeTrack track;
        int32_t modeError;
        const char* modeText;
        bool pause;
        int minQueries, maxQueries;
    };
    const Case cases[] = {
        {"a title that plays on", {60000}, 0, "", false, 0, 0},
        {"a slow device (4 s steps)", {60000, test::TrackKind::Wav, -1, 4000}, 0, "", false, 1, 3},
        {"a paused title", {60000}, 0, "", true, 0, 0},
        {"a device that cannot tell its mode", Cut(60000, 0), test::kMciUnrecognizedCommand, "", false, 1, 3},
        {"a device that is not ready yet", Cut(60000, 0), 0, "not ready", false, 1, 3},
        {"a paused cut title", Cut(60000, 0), 0, "", true, 0, 0},
    };
    for (const Case& c : cases) {
        Rig r;
        r.load({{"a.wav", 60000}, {"b.wav", 60000}});
        r.mci.files[std::string(Rig::kFolder) + "a.wav"] = c.track;
        r.mci.modeError = c.modeError;
        r.mci.modeText = c.modeText;
        Press(r, PlayButton);
        RunFor(r, 700);
        if (c.pause) Press(r, PauseButton);
        RunFor(r, 10000);
        EXPECT_GE(ModeQueries(r), c.minQueries) << c.name;
        EXPECT_LE(ModeQueries(r), c.maxQueries) << c.name;
        EXPECT_EQ(Closes(r), 0) << c.name;
        EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "a.wav") << c.name;
        ExpectState(r, c.pause ? kPaused : kPlaying);
    }
}

// Still from its start, or with no length: no such title holds a run. One
// without a length is over 3 s after it stands (the run moves on); one that
// has not moved at all for 15 s while its device says it plays was never
// heard, and fails as a title that did not open (the box, the run ended).
// One that moved and then stands, or that was paused, is left as it is.
TEST(StallCheck, AStillTitleHoldsNoRun) {
    struct Case {
        const char* name;
        test::FakeTrack track;
        const char* modeText;
        int64_t endsAtMs;  // about; -1: not within 30 s
        bool box;
        bool pause = false;
    };
    const Case cases[] = {
        {"a MIDI device without a synthesizer (length -1)", {60000, test::TrackKind::Midi}, "playing", 3000, false},
        {"measured 0, \"playing\" for ever", {60000, test::TrackKind::Wav, 0, 333, 0}, "playing", 3000, false},
        {"opened, never moves, \"playing\"", Cut(60000, 0), "playing", kNeverStartedMs, true},
        {"opened, never moves, \"not ready\"", Cut(60000, 0), "not ready", kNeverStartedMs, true},
        {"moved, then stands, \"playing\"", Cut(60000, 1500), "playing", -1, false},
        {"paused before it moved", Cut(60000, 0), "playing", -1, false, true},
    };
    for (const Case& c : cases) {
        Rig r;
        r.load({{"a.wav", 60000}, {"b.wav", 60000}});
        r.mci.files[std::string(Rig::kFolder) + "a.wav"] = c.track;
        r.mci.modeText = c.modeText;
        Press(r, PlayButton);
        const int64_t start = r.clock.nowMs;
        if (c.pause) Press(r, PauseButton);
        while (Closes(r) == 0 && r.clock.nowMs - start < 30000) ASSERT_TRUE(RunPass(r.p));
        if (c.endsAtMs < 0) {
            EXPECT_EQ(Closes(r), 0) << c.name;
            ExpectState(r, c.pause ? kPaused : kPlaying);
        } else {
            EXPECT_NEAR(double(r.clock.nowMs - start), double(c.endsAtMs), 40) << c.name;
            EXPECT_EQ(r.selected(), c.box ? 0 : 1) << c.name << ": the run goes on after an end only";
            if (c.box) ExpectState(r, kEnded);
        }
        EXPECT_EQ(r.boxes.shown.size(), c.box ? 1u : 0u) << c.name;
    }
}

TEST(StallCheck, AfterAResumeTheStillTimeStartsAgain) {
    Rig r;
    r.load({{"a.wav", 3200}, {"b.wav", 60000}});
    r.mci.files[std::string(Rig::kFolder) + "a.wav"] = Cut(3200, 1000);
    Press(r, PlayButton);
    RunFor(r, 1500);  // the sound has run out; the position stands at 999
    Press(r, PauseButton);
    RunFor(r, 5000);
    Press(r, ResumeButton);
    RunFor(r, kStallMs - 100);
    EXPECT_EQ(ModeQueries(r), 0);
    EXPECT_EQ(Closes(r), 0);
    RunFor(r, 200);
    EXPECT_EQ(ModeQueries(r), 1);
    EXPECT_EQ(ToUtf8(r.mci.openPath()), std::string(Rig::kFolder) + "b.wav");
}

}  // namespace
}  // namespace vireo
