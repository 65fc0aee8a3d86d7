#include "playback/transport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "playback/mci_channel.h"
#include "tests/unit/fake_ports.h"

namespace vireo {
namespace {

using Journal = std::vector<std::string>;

std::string Open(const std::string& title) { return "MCI " + mci::OpenCommand(test::Rig::kFolder + title); }

TEST(PlayTrack, OpensMeasuresShowsAndStarts) {
    test::Rig r;
    r.load({{"Un titre.wav", 185700}});
    PlayTrack(r.p, u"Un titre.wav");
    const Journal want = {
        "MCI open \"C:\\Musique\\Un titre.wav\" alias Morceau",
        "E3", "E13", "D14", "D6", "D2",
        "MCI set Morceau time format ms",
        "MCI seek Morceau to end wait",
        "MCI status Morceau position wait",
        "T8=3:05", "T10=185", "U22=185",
        "MCI seek Morceau to start",
        "MCI play Morceau from 1 notify",
        "TASKBAR 1",
    };
    EXPECT_EQ(r.journal(), want);
    EXPECT_EQ(r.p.st.lengthMs, 185700);
    EXPECT_EQ(r.p.st.lengthSeconds, 185);
    EXPECT_TRUE(r.mci.isPlaying());
    EXPECT_EQ(r.mci.position(), 1);
    EXPECT_TRUE(r.boxes.shown.empty());
}

TEST(PlayTrack, TakesTheLengthQueryWhenTheSeekToTheEndFails) {
    test::Rig r;
    r.load({{"chanson.mp3", 3725000}}, test::TrackKind::Mp3);
    PlayTrack(r.p, u"chanson.mp3");
    const Journal want = {
        Open("chanson.mp3"),
        "E3", "E13", "D14", "D6", "D2",
        "MCI set Morceau time format ms",
        "MCI seek Morceau to end wait",
        "MCI status Morceau length wait",
        "T8=62:05", "T10=3725", "U22=3725",
        "MCI seek Morceau to start",
        "MCI play Morceau from 1 notify",
        "TASKBAR 1",
    };
    EXPECT_EQ(r.journal(), want);
    EXPECT_EQ(r.p.st.lengthMs, 3725000);
}

TEST(PlayTrack, AFailedOpenShowsOneBoxAndChangesNothingElse) {
    test::Rig r;
    r.load({{"parti.wav", 5000}});
    r.mci.files.clear();  // removed after the scan
    r.p.st.lengthMs = 1234;
    r.p.st.lengthSeconds = 1;
    r.controls[SecondsDisplay].text = "1";
    PlayTrack(r.p, u"parti.wav");
    EXPECT_EQ(r.journal(), (Journal{Open("parti.wav"), "BOX Erreur!"}));
    ASSERT_EQ(r.boxes.shown.size(), 1u);
    EXPECT_EQ(r.boxes.shown[0].title, "Erreur!");
    EXPECT_EQ(r.boxes.shown[0].text, "Erreur \xE0 l'ouverture du fichier !");
    EXPECT_EQ(r.boxes.shown[0].flags, 0x10u);
    EXPECT_EQ(r.p.st.lengthMs, 1234);
    EXPECT_EQ(r.p.st.lengthSeconds, 1);
    EXPECT_EQ(r.text(DurationDisplay), "0:00.");
    EXPECT_EQ(r.text(SecondsDisplay), "1");
    EXPECT_TRUE(r.enabled(PlayButton));
    EXPECT_TRUE(r.taskbar.states.empty());
    EXPECT_FALSE(r.mci.isOpen());
}

TEST(PlayTrack, AnEmptyTitleOpensTheFolderItself) {
    test::Rig r;
    r.load({});
    PlayTrack(r.p, u"");
    EXPECT_EQ(r.mci.commands, (Journal{"open \"C:\\Musique\\\" alias Morceau"}));
    EXPECT_EQ(r.boxes.shown.size(), 1u);
}

// Answers every command from a table; what it does not know succeeds with "".
class TableMci : public MciPort {
public:
    std::map<std::string, std::pair<int32_t, std::string>> answers;
    int32_t sendString(const char* command, char* reply, unsigned n) override {
        auto it = answers.find(command);
        const std::string text = it == answers.end() ? "" : it->second.second;
        if (reply && n) std::snprintf(reply, n, "%s", text.c_str());
        return it == answers.end() ? 0 : it->second.first;
    }
    int32_t sendStringW(const char16_t*, char*, unsigned) override { return 263; }
};

TEST(PlayTrack, LengthTexts) {
    struct Case {
        const char* reply;
        int32_t lengthMs;
        int64_t seconds;
        const char* duration;
        const char* secondsText;
    };
    const Case cases[] = {
        {"185700", 185700, 185, "3:05", "185"},
        {"999", 999, 0, "0:00", "0"},
        {"1000", 1000, 1, "0:01", "1"},
        {"3725000", 3725000, 3725, "62:05", "3725"},
        {"", 0, 0, "0:00", "0"},          // a failed query
        {"-1", -1, 0, "0:00", "0"},       // what a MIDI device without output answers
        {"-1500", -1500, -1, "-0:01", "-1"},
        // Kept in 32 bits: 5,000,000,000 wraps to 705,032,704.
        {"5000000000", 705032704, 705032, "11750:32", "705032"},
        {"2147483648", INT32_MIN, -2147483, "-35791:23", "-2147483"},
    };
    for (const auto& c : cases) {
        test::Rig rig;
        rig.load({{"t.wav", 1}});
        TableMci table;
        table.answers["status Morceau position wait"] = {0, c.reply};
        Player p{{}, {rig.controls, table, rig.events, rig.boxes, rig.windows, rig.launcher, rig.taskbar,
                      rig.files, rig.dirs, rig.requester, rig.media, rig.system}};
        p.st.replyBuffer = rig.reply.data();
        PlayTrack(p, u"t.wav");
        EXPECT_EQ(p.st.lengthMs, c.lengthMs) << c.reply;
        EXPECT_EQ(p.st.lengthSeconds, c.seconds) << c.reply;
        EXPECT_EQ(rig.text(DurationDisplay), c.duration) << c.reply;
        EXPECT_EQ(rig.text(SecondsDisplay), c.secondsText) << c.reply;
        EXPECT_EQ(rig.controls[TrackProgressBar].upper, c.seconds) << c.reply;
    }
}

TEST(PlayTrack, TheLengthQueryAfterAFailedSeekIsTheOnlyOneAsked) {
    test::Rig rig;
    rig.load({{"t.mp3", 1}});
    TableMci table;
    table.answers["seek Morceau to end wait"] = {277, ""};
    table.answers["status Morceau position wait"] = {0, "1"};
    table.answers["status Morceau length wait"] = {0, "240000"};
    Player p{{}, {rig.controls, table, rig.events, rig.boxes, rig.windows, rig.launcher, rig.taskbar, rig.files,
                  rig.dirs, rig.requester, rig.media, rig.system}};
    p.st.replyBuffer = rig.reply.data();
    PlayTrack(p, u"t.mp3");
    EXPECT_EQ(p.st.lengthMs, 240000);
    EXPECT_EQ(rig.text(DurationDisplay), "4:00");
}

TEST(Transport, PauseResumeStopClose) {
    test::Rig r;
    r.load({{"a.wav", 185700}});
    PlayTrack(r.p, u"a.wav");
    r.journal().clear();

    PauseTrack(r.p);
    EXPECT_EQ(r.journal(), (Journal{"MCI pause Morceau wait", "E14", "D13"}));
    r.journal().clear();

    r.p.st.positionMs = 65432;
    ResumeTrack(r.p);
    EXPECT_EQ(r.journal(), (Journal{"E13", "D14", "MCI play Morceau from 65432"}));
    // A device that knows no position (a MIDI one reads -1) goes on where it stands.
    PauseTrack(r.p);
    r.journal().clear();
    r.p.st.positionMs = -1;
    ResumeTrack(r.p);
    EXPECT_EQ(r.journal(), (Journal{"E13", "D14", "MCI play Morceau"}));
    EXPECT_TRUE(r.mci.isPlaying());
    r.journal().clear();

    r.select(0);
    StopTrack(r.p);
    const Journal stop = {"MCI close Morceau", "T8=0:00.", "E2", "D13", "D14", "D3", "E6", "E5", "E16", "TASKBAR 0"};
    EXPECT_EQ(r.journal(), stop);
    // Left as they were.
    EXPECT_EQ(r.text(SecondsDisplay), "185");
    EXPECT_EQ(r.controls[TrackProgressBar].upper, 185);
    EXPECT_EQ(r.selected(), 0);
    EXPECT_EQ(r.p.st.lengthMs, 185700);
    EXPECT_EQ(r.p.st.lengthSeconds, 185);
    EXPECT_FALSE(r.mci.isOpen());
    r.journal().clear();

    CloseTrack(r.p);
    EXPECT_EQ(r.journal(), (Journal{"MCI close Morceau"}));
    EXPECT_TRUE(r.boxes.shown.empty());
}

// Opened but silent, or a Resume the device refuses: never a silent Playing
// state. The title is closed, the transport shows nothing open, one box says so.
TEST(Transport, AStartThatFailsIsAnOpenThatFailed) {
    for (bool resume : {false, true}) {
        test::Rig r;
        r.load({{"a.wav", 60000}});
        if (resume) PlayTrack(r.p, u"a.wav"), PauseTrack(r.p), r.p.st.positionMs = 4000;
        r.mci.playError = test::kMciOutOfRange;
        if (resume)
            ResumeTrack(r.p);
        else
            EXPECT_FALSE(PlayTrack(r.p, u"a.wav"));
        Journal want = {resume ? "MCI play Morceau from 4000" : "MCI play Morceau from 1 notify",
                        "MCI close Morceau", "T8=0:00.", "E2", "D13", "D14", "D3", "E6"};
        if (resume) want.insert(want.end(), {"E5", "E16", "TASKBAR 0"});
        want.push_back("BOX Erreur!");
        EXPECT_EQ(Journal(r.journal().end() - long(want.size()), r.journal().end()), want) << resume;
        EXPECT_FALSE(r.mci.isOpen()) << resume;
    }
}

// An MCI open that fails is tried once more by the short name, where the
// volume keeps one that differs and keeps the extension's engine; never where
// it keeps none, nor by Media Foundation, which knows no such limits and
// says later, not at the open, what it could not open.
TEST(PlayTrack, AFailedOpenTriesTheShortPathOnce) {
    struct Case {
        const char* name;
        std::string title, shortPath;
        bool opens;
        int opensTried;
    };
    const std::string folder = test::Rig::kFolder;
    const Case cases[] = {
        {"a WAV the driver cannot open by name", "\xD0\x9F\xD0\xB5.wav", folder + "PE~1.WAV", true, 2},
        {"an AAC .m4a is not tried again", "\xD0\x9F\xD0\xB5.m4a", folder + "PE~1.M4A", false, 1},
        {"a short name of another extension", "\xD0\x9F\xD0\xB5.wav", folder + "PE~1.FLA", false, 1},
        {"no short names on the volume", "\xD0\x9F\xD0\xB5.wav", "", false, 1},
        {"a short name that is the long one", "AB.WAV", folder + "AB.WAV", false, 1},
    };
    for (const Case& c : cases) {
        test::Rig r;
        r.load({});
        r.dirs.shortPaths[folder + c.title] = c.shortPath;
        if (c.shortPath != folder + c.title) {  // else even the long name does not open
            r.mci.files[c.shortPath] = {60000};
            r.media.files[c.shortPath] = {60000};
        }
        EXPECT_EQ(PlayTrack(r.p, FromUtf8(c.title)), c.opens) << c.name;
        int tried = 0;
        for (const std::string& e : r.journal()) tried += e.find(" open ") != std::string::npos || e.rfind("MEDIA open", 0) == 0;
        EXPECT_EQ(tried, c.opensTried) << c.name;
        EXPECT_EQ(r.boxes.shown.size(), c.opens ? 0u : 1u) << c.name;
    }
}

TEST(Transport, StopThenPlayStartsAgainFromOneMillisecond) {
    test::Rig r;
    r.load({{"a.wav", 60000}});
    PlayTrack(r.p, u"a.wav");
    r.clock.advance(10000);
    StopTrack(r.p);
    PlayTrack(r.p, u"a.wav");
    EXPECT_EQ(r.mci.position(), 1);
    EXPECT_EQ(r.mci.commands.back(), "play Morceau from 1 notify");
    EXPECT_EQ(r.taskbar.states, (std::vector<int>{1, 0, 1}));
}

}  // namespace
}  // namespace vireo
