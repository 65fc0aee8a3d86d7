#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/layout.h"

namespace vireo {
namespace {

TEST(ControlTable, HoldsEachControlOnceInCreationOrder) {
    const int order[] = {16, 6, 15, 4, 5, 11, 12, 2, 13, 14, 3, 7, 8, 9, 10, 23, 18, 17, 20, 19, 21, 22};
    auto table = ControlTable();
    ASSERT_EQ(table.size(), std::size(order));
    std::set<int> ids;
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].id, order[i]) << "row " << i;
        EXPECT_TRUE(ids.insert(table[i].id).second) << "duplicate id " << table[i].id;
        EXPECT_GE(table[i].id, kFirstControl);
        EXPECT_LE(table[i].id, kLastControl);
    }
}

// At every scale: inside the strip, no overlaps, and neighbours that touch at
// 100 % still touch; at 100 % the table itself.
TEST(ControlTable, GeometryAtEveryScale) {
    auto table = ControlTable();
    for (unsigned dpi : {96u, 120u, 144u, 168u, 192u, 240u, 288u}) {
        const int w = StripWidth(dpi), h = StripHeight(dpi);
        for (const auto& c : table) {
            const Rect r = ScaledRect(c, dpi);
            EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= w && r.y + r.height <= h) << c.name << " " << dpi;
            EXPECT_GT(r.width * r.height, 0) << c.name << " " << dpi;
            if (dpi == 96) {
                EXPECT_EQ(r, (Rect{c.x, c.y, c.width, c.height})) << c.name;
            }
        }
        for (size_t i = 0; i < table.size(); ++i)
            for (size_t j = i + 1; j < table.size(); ++j) {
                const Rect a = ScaledRect(table[i], dpi), b = ScaledRect(table[j], dpi);
                const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                                   b.y + b.height <= a.y;
                EXPECT_TRUE(apart) << table[i].name << " overlaps " << table[j].name << " " << dpi;
                const auto& p = table[i];
                const auto& q = table[j];
                // Touching at 100 %: the scaled right edge is the neighbour's left one.
                const bool touch = (p.x + p.width == q.x || q.x + q.width == p.x) && p.y == q.y;
                EXPECT_TRUE(!touch || a.x + a.width == b.x || b.x + b.width == a.x) << p.name << " " << dpi;
            }
    }
    // 7 points, rounded as the platform rounds.
    EXPECT_EQ(CaptionFontHeight(96), -9);
    EXPECT_EQ(CaptionFontHeight(120), -12);
    EXPECT_EQ(CaptionFontHeight(144), -14);
    EXPECT_EQ(ScaledCaption(BackdropCaptions()[0], 144).x, 540);
}

TEST(ControlTable, SpotChecksAgainstTheLayout) {
    struct Row {
        int id, x, y, w, h, picture;
    } rows[] = {
        {UserFolderButton, 0, 0, 36, 28, 6},   {SelectFolderButton, 36, 0, 37, 28, 1}, {TitleCombo, 600, 12, 195, 19, -1},
        {PauseButton, 227, 38, 42, 15, 2},     {SecondsDisplay, 625, 36, 35, 18, -1},  {WebButton, 768, 35, 20, 20, 11},
        {TrackProgressBar, 0, 56, 795, 9, -1}, {HelpButton, 688, 35, 20, 20, 23},
    };
    for (const auto& r : rows) {
        const ControlSpec* c = FindControl(r.id);
        ASSERT_NE(c, nullptr) << r.id;
        EXPECT_EQ(c->x, r.x) << c->name;
        EXPECT_EQ(c->y, r.y) << c->name;
        EXPECT_EQ(c->width, r.w) << c->name;
        EXPECT_EQ(c->height, r.h) << c->name;
        EXPECT_EQ(c->picture, r.picture) << c->name;
    }
    EXPECT_EQ(FindControl(1), nullptr);
    EXPECT_EQ(FindControl(24), nullptr);
}

TEST(ControlTable, TipsAndColours) {
    int balloons = 0, plains = 0;
    for (const auto& c : ControlTable()) {
        if (c.tip == TipKind::Balloon) ++balloons;
        if (c.tip == TipKind::Plain) ++plains;
        // Only image buttons carry tips; every image button carries one.
        EXPECT_EQ(c.tip != TipKind::None, c.kind == ControlKind::ImageButton) << c.name;
    }
    EXPECT_EQ(balloons, 2);
    EXPECT_EQ(plains, 10);
    std::string tip = FindControl(SelectFolderButton)->tipText;
    EXPECT_EQ(tip.substr(tip.size() - 23), "charger pour l'écoute .");  // the blank before the stop stays
    EXPECT_EQ(tip.size(), 117u);
    EXPECT_EQ(*FindControl(ElapsedDisplay)->textColour, (Rgb{127, 238, 128}));
    EXPECT_EQ(*FindControl(FolderPathField)->background, (Rgb{41, 119, 202}));
    EXPECT_EQ(*FindControl(TrackProgressBar)->background, (Rgb{205, 211, 211}));
}

// What a screen reader says for each control is what the eye reads beside
// it: a button's tip (the balloon's title for the two folder buttons), the
// caption painted beside a check box or a time display.
TEST(ControlTable, SpokenNamesAreWhatTheEyeReads) {
    auto captionNear = [](const ControlSpec& c, bool right) -> std::string {
        const Caption* best = nullptr;
        for (const Caption& cap : BackdropCaptions()) {
            if (cap.y < c.y - 3 || cap.y > c.y + c.height) continue;
            const bool beside = right ? cap.x >= c.x + c.width : cap.x < c.x;
            if (beside && (!best || (right ? cap.x < best->x : cap.x > best->x))) best = &cap;
        }
        return best ? best->text : "";
    };
    int named = 0;
    for (const auto& c : ControlTable()) {
        std::string want;
        switch (c.kind) {
        case ControlKind::ImageButton: want = c.tip == TipKind::Balloon ? c.tipTitle : c.tipText; break;
        case ControlKind::CheckBox: want = captionNear(c, true); break;
        case ControlKind::TextLabel: want = c.id == ContentLabel ? "" : captionNear(c, false); break;
        case ControlKind::EditField: want = "Répertoire"; break;
        case ControlKind::ComboBox: want = "Titres"; break;
        case ControlKind::ProgressBar: want = ""; break;
        }
        EXPECT_EQ(c.spoken, want) << c.name;
        named += *c.spoken != '\0';
    }
    EXPECT_EQ(named, 14 + 2 + 4);
    EXPECT_EQ(std::string(FindControl(UserFolderButton)->spoken), "Préférences Utilisateur");
    EXPECT_EQ(std::string(FindControl(ContinuousCheck)->spoken), "Lecture continue");
    EXPECT_EQ(std::string(FindControl(DurationDisplay)->spoken), "Durée");
}

TEST(ControlTable, HandPointerGoesOnEveryImageButtonAndBothCheckBoxes) {
    std::set<int> expected;
    for (const auto& c : ControlTable())
        if (c.kind == ControlKind::ImageButton || c.kind == ControlKind::CheckBox) expected.insert(c.id);
    auto hand = HandCursorControls();
    EXPECT_EQ(hand.size(), 14u);
    EXPECT_EQ(std::set<int>(hand.begin(), hand.end()), expected);
    EXPECT_EQ(hand[0], PlayButton);
    EXPECT_EQ(hand[13], WebButton);
}

TEST(Layout, CentringLimitsToTheScreenAndTruncates) {
    struct {
        int sw, sh, w, h, x, y;
    } cases[] = {{1280, 1024, 795, 70, 242, 477}, {1281, 1025, 795, 70, 243, 477},
                 {640, 480, 795, 70, 0, 205},     {700, 50, 795, 70, 0, 0}};
    for (const auto& c : cases) {
        Point p = CentredOrigin(c.sw, c.sh, c.w, c.h);
        EXPECT_EQ(p.x, c.x) << c.sw << "x" << c.sh;
        EXPECT_EQ(p.y, c.y) << c.sw << "x" << c.sh;
    }
}

TEST(Layout, ComboFieldHeightMakesTheClosedControl19High) {
    // A frame that adds 6 pixels to a field of 15 gives 21; the second step asks for 13.
    EXPECT_EQ(ComboFieldHeight(21), 13);
    EXPECT_EQ(ComboFieldHeight(15), 19);
    EXPECT_EQ(ComboFieldHeight(24), 10);
}

TEST(Layout, CaptionsInPaintingOrder) {
    auto caps = BackdropCaptions();
    ASSERT_EQ(caps.size(), 6u);
    EXPECT_STREQ(caps[1].text, "Durée");
    EXPECT_EQ(std::string(caps[1].text).size(), 5u);  // one byte for the é
    EXPECT_EQ(caps[5].x, 90);
    for (const auto& c : caps) EXPECT_EQ(c.y, 38);
}

}  // namespace
}  // namespace vireo
