#include "app/dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "library/folder_choice.h"
#include "tests/unit/fake_ports.h"

namespace vireo {
namespace {

using Journal = std::vector<std::string>;
using test::Rig;

void Control(Rig& r, int id) { Dispatch(r.p, {EventKind::Control, id}); }

bool NothingHappened(Rig& r) {
    return r.journal().empty() && r.mci.commands.empty() && r.boxes.shown.empty() && r.windows.calls.empty() &&
           r.launcher.launched.empty() && r.taskbar.states.empty() && r.requester.prompts.empty() &&
           r.files.content.empty() && r.p.st.quitFlag == 0;
}

TEST(Dispatch, ControlsWithoutAnAction) {
    const int idle[] = {FolderPathField, TitleCombo, ElapsedDisplay, DurationDisplay, CountDisplay, SecondsDisplay,
                        PlayAllCheck, ContinuousCheck, ContentLabel, TrackProgressBar,
                        // not controls of the player
                        0, 1, 24, 100, -1, 0xFFFF};
    for (int id : idle) {
        Rig r;
        r.load({{"a.wav", 1500}});
        Control(r, id);
        EXPECT_TRUE(NothingHappened(r)) << id;
        EXPECT_EQ(r.selected(), 0) << id;
    }
}

// A click on a disabled button (automation can deliver one) commands nothing.
TEST(Dispatch, DisabledButtonsCommandNothing) {
    for (int id : {PlayButton, PauseButton, ResumeButton, StopButton, SelectFolderButton, UserFolderButton,
                   VolumeButton, AboutButton, HelpButton, MinimizeButton, CloseButton, WebButton}) {
        Rig r;
        r.load({{"a.wav", 1500}});
        r.controls[id].enabled = false;
        r.journal().clear();
        Control(r, id);
        EXPECT_TRUE(NothingHappened(r)) << id;
    }
}

TEST(Dispatch, EventKinds) {
    Rig r;
    Dispatch(r.p, {EventKind::None, PlayButton});
    Dispatch(r.p, {EventKind::Other, CloseButton});
    EXPECT_TRUE(NothingHappened(r));

    Dispatch(r.p, {EventKind::LeftPress, 0});
    EXPECT_EQ(r.windows.calls, (Journal{"drag"}));
    EXPECT_EQ(r.p.st.quitFlag, 0);

    Dispatch(r.p, {EventKind::Close, 0});
    EXPECT_EQ(r.p.st.quitFlag, 1);
    EXPECT_TRUE(r.mci.commands.empty());  // quitting closes no track
}

TEST(Dispatch, CloseAndMinimize) {
    Rig r;
    Control(r, MinimizeButton);
    EXPECT_EQ(r.windows.calls, (Journal{"minimize"}));
    EXPECT_EQ(r.p.st.quitFlag, 0);
    Control(r, CloseButton);
    EXPECT_EQ(r.p.st.quitFlag, 1);
    EXPECT_TRUE(r.mci.commands.empty());
    EXPECT_EQ(r.windows.calls, (Journal{"minimize"}));
}

TEST(Dispatch, PlayTakesTheShownTitleAndThenDisablesUserFolderButton) {
    Rig r;
    r.load({{"a.wav", 1500}, {"b c.wav", 2500}});
    r.select(1);
    Control(r, PlayButton);
    EXPECT_EQ(r.p.st.currentTitle, u"b c.wav");
    EXPECT_EQ(r.mci.commands.front(), "open \"C:\\Musique\\b c.wav\" alias Morceau");
    EXPECT_EQ(r.journal().back(), "D16");
    EXPECT_EQ(r.journal()[r.journal().size() - 2], "TASKBAR 1");
}

TEST(Dispatch, PlayOnAnEmptyList) {
    Rig r;
    r.load({});
    r.p.st.currentTitle = u"old.wav";
    Control(r, PlayButton);
    EXPECT_EQ(r.p.st.currentTitle, u"");
    EXPECT_EQ(r.journal(), (Journal{"MCI open \"C:\\Musique\\\" alias Morceau", "BOX Erreur!"}));
    EXPECT_TRUE(r.enabled(PlayButton));
    EXPECT_TRUE(r.enabled(UserFolderButton));
}

TEST(Dispatch, Transport) {
    Rig r;
    r.load({{"a.wav", 60000}});
    Control(r, PlayButton);
    r.journal().clear();
    Control(r, PauseButton);
    EXPECT_EQ(r.journal(), (Journal{"MCI pause Morceau wait", "E14", "D13"}));
    r.journal().clear();
    r.p.st.positionMs = 1234;
    Control(r, ResumeButton);
    EXPECT_EQ(r.journal(), (Journal{"E13", "D14", "MCI play Morceau from 1234"}));
    r.journal().clear();
    Control(r, StopButton);
    EXPECT_EQ(r.journal(),
              (Journal{"MCI close Morceau", "T8=0:00.", "E2", "D13", "D14", "D3", "E6", "E5", "E16", "TASKBAR 0"}));
}

TEST(Dispatch, VolumeMixer) {
    Rig ok;
    ok.launcher.launchable = {"C:\\windows\\system32\\SndVol.exe"};
    Control(ok, VolumeButton);
    EXPECT_EQ(ok.launcher.launched, (Journal{"C:\\windows\\system32\\SndVol.exe"}));
    EXPECT_TRUE(ok.boxes.shown.empty());

    Rig bad;
    bad.launcher.systemDir = "D:\\WINNT\\System32";
    Control(bad, VolumeButton);
    EXPECT_EQ(bad.launcher.launched, (Journal{"D:\\WINNT\\System32\\SndVol.exe"}));
    ASSERT_EQ(bad.boxes.shown.size(), 1u);
    EXPECT_EQ(bad.boxes.shown[0].title, "ERREUR");
    EXPECT_EQ(bad.boxes.shown[0].text, "Impossible de lancer le r\xE9glage du volume");
    EXPECT_EQ(bad.boxes.shown[0].flags, 0x10u);
}

TEST(Dispatch, WebPage) {
    EXPECT_EQ(std::string(kWebAddress).rfind("http://www.example.com/", 0), 0u);

    Rig ok;
    ok.launcher.launchable = {kWebAddress};
    Control(ok, WebButton);
    EXPECT_EQ(ok.launcher.launched, (Journal{kWebAddress}));
    EXPECT_TRUE(ok.boxes.shown.empty());

    Rig bad;
    Control(bad, WebButton);
    EXPECT_EQ(bad.launcher.launched, (Journal{kWebAddress}));
    ASSERT_EQ(bad.boxes.shown.size(), 1u);
    EXPECT_EQ(bad.boxes.shown[0].title, "Corvalis on line");
    EXPECT_EQ(bad.boxes.shown[0].text, "Impossible de se connecter au site web!");
    EXPECT_EQ(bad.boxes.shown[0].flags, 0x30u);
}

TEST(Dispatch, HelpAndAbout) {
    Rig r;
    Control(r, HelpButton);
    Control(r, AboutButton);
    ASSERT_EQ(r.boxes.shown.size(), 2u);
    EXPECT_EQ(r.boxes.shown[0].title, kHelpTitle);
    EXPECT_EQ(r.boxes.shown[0].text, BuildHelpText());
    EXPECT_EQ(r.boxes.shown[0].flags, 0x40u);
    EXPECT_EQ(r.boxes.shown[1].title, kAboutTitle);
    EXPECT_EQ(r.boxes.shown[1].flags, 0x40u);
    EXPECT_TRUE(r.mci.commands.empty());
}

TEST(Dispatch, SelectFolderButtonBrowsesForThisRun) {
    Rig r;
    r.load({{"a.wav", 1500}});
    r.requester.answer = u"D:\\Autres";
    r.dirs.listings["D:\\Autres\\*.*"] = {"x.wav", "y.MP3", "z.txt"};
    Control(r, SelectFolderButton);
    EXPECT_EQ(r.requester.prompts, (Journal{kFolderPrompt}));
    EXPECT_EQ(r.controls[FolderPathField].name, u"D:\\Autres\\");
    EXPECT_EQ(r.controls[TitleCombo].items, (std::vector<std::u16string>{u"x.wav", u"y.MP3"}));
    EXPECT_EQ(r.p.st.titleCount, 2);
    EXPECT_TRUE(r.files.content.empty());  // nothing stored
}

TEST(Dispatch, UserFolderButtonStoresAndLoadsTheDefaultFolder) {
    Rig r;
    r.requester.answer = u"E:\\Musique";
    r.dirs.listings["E:\\Musique\\*.*"] = {"z.wma", "w.mid"};
    Control(r, UserFolderButton);
    EXPECT_EQ(r.requester.prompts, (Journal{kFolderPrompt}));
    ASSERT_EQ(r.files.content.count("C:\\Vireo\\Vireo.ini"), 1u);
    EXPECT_NE(r.files.content["C:\\Vireo\\Vireo.ini"].find("E:\\Musique\\"), std::string::npos);
    EXPECT_EQ(r.controls[FolderPathField].name, u"E:\\Musique\\");
    EXPECT_EQ(r.controls[TitleCombo].items, (std::vector<std::u16string>{u"w.mid", u"z.wma"}));
    EXPECT_TRUE(r.enabled(PlayButton));
}

}  // namespace
}  // namespace vireo
