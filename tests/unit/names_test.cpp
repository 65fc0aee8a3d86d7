// Names in any script, from the listing to the open: the conversions, and a
// folder whose entries have no short names, as on exFAT or a second NTFS volume.
#include "core/names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dispatch.h"
#include "library/folder_scan.h"
#include "tests/unit/fake_ports.h"

namespace vireo {
namespace {

TEST(Names, Windows1252BothWays) {
    struct Case {
        const char* name;
        std::u16string wide;
        const char* bytes;  // nullptr: the code page has no exact spelling
    };
    const std::vector<Case> cases = {
        {"ascii", u"Premier.wav", "Premier.wav"},
        {"accents of the code page", u"D\u00E9j\u00E0 \u00C9t\u00E9 \u00FF", "D\xE9j\xE0 \xC9t\xE9 \xFF"},
        {"the euro sign and the other high controls", u"\u20AC\u201A\u0152\u0178\u017E", "\x80\x82\x8C\x9F\x9E"},
        {"unassigned bytes stand for themselves", u"\u0081\u008D\u008F\u0090\u009D", "\x81\x8D\x8F\x90\x9D"},
        {"a C1 control the code page replaced", u"\u0080", nullptr},
        {"best fit would make it L", u"\u0141zy.wav", nullptr},
        {"best fit would drop the caron", u"Dvo\u0159\u00E1k.wav", nullptr},
        {"Cyrillic", u"\u041F\u0435\u0441\u043D\u044F.wav", nullptr},
        {"Japanese", u"\u6D99.wav", nullptr},
        {"outside the BMP", u"\U0001F3B5 note.wav", nullptr},
        {"lone surrogate", u"a\xD800" u"b.wav", nullptr},
        {"decomposed accent", u"e\u0301te.wav", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<std::string> spelled = ExactCp1252(c.wide);
        if (c.bytes) {
            ASSERT_TRUE(spelled.has_value()) << c.name;
            EXPECT_EQ(*spelled, c.bytes) << c.name;
            EXPECT_EQ(WidenCp1252(c.bytes), c.wide) << c.name;
        } else {
            EXPECT_FALSE(spelled.has_value()) << c.name;
        }
    }
    // Every byte widens to a unit that spells it back.
    std::string all;
    for (int b = 0; b < 256; ++b) all += char(b);
    EXPECT_EQ(ExactCp1252(WidenCp1252(all)), all);
}

TEST(Names, Utf8BothWays) {
    struct Case {
        const char* name;
        std::u16string wide;
        std::string utf8;
    };
    const std::vector<Case> cases = {
        {"ascii", u"abc", "abc"},
        {"two bytes", u"R\u00E9p", "R\xC3\xA9p"},
        {"three bytes", u"\u20AC\u6D99", "\xE2\x82\xAC\xE6\xB6\x99"},
        {"a pair is four bytes", u"\U0001F3B5", "\xF0\x9F\x8E\xB5"},
        {"lone high surrogate", u"a\xD83C" u"b", "a\xED\xA0\xBC" "b"},
        {"lone low surrogate at the end", u"a\xDFB5", "a\xED\xBE\xB5"},
        {"low before high is two lone ones", u"\xDFB5\xD83C", "\xED\xBE\xB5\xED\xA0\xBC"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToUtf8(c.wide), c.utf8) << c.name;
        EXPECT_EQ(FromUtf8(c.utf8), c.wide) << c.name;
    }
    struct Bad {
        const char* name;
        std::string bytes;
        std::u16string read;
    };
    const std::vector<Bad> bad = {
        {"stray continuation", "\x80\xBF", u"\uFFFD\uFFFD"},
        {"invalid lead", "\xC0\xAF\xFF", u"\uFFFD\uFFFD\uFFFD"},
        {"cut short at the end", "a\xC3", u"a\uFFFD"},
        {"cut short before ascii", "\xE2\x82z", u"\uFFFDz"},
        {"overlong", "\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond 10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"Windows-1252 accent", "\xE9t\xE9", u"\uFFFDt\uFFFD"},
    };
    for (const Bad& b : bad) EXPECT_EQ(FromUtf8(b.bytes), b.read) << b.name;
    EXPECT_TRUE(IsWellFormedUtf8("R\xC3\xA9pertoire \xF0\x9F\x8E\xB5"));
    EXPECT_FALSE(IsWellFormedUtf8("\xED\xA0\xBC"));  // lossless for names, not well-formed
}

TEST(Names, NaturalOrder) {
    struct Case {
        std::u16string a, b;
        int want;
    };
    const std::vector<Case> cases = {
        {u"Piste 2.wav", u"Piste 10.wav", -1}, {u"piste 10", u"Piste 9", 1}, {u"a", u"B", -1},
        {u"x01", u"x1", -1},  {u"007", u"7a", -1}, {u"2", u"10", -1}, {u"abc", u"ab", 1},
        {u"a", u"a", 0},      {u"A", u"a", -1},    {u"99999999999999999999", u"100000000000000000000", -1},
        {u"\u00E9", u"f", 1}, {u"1 \u00C9t\u00E9", u"1 \u00E9t\u00E9", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NaturalCompare(c.a, c.b), c.want) << ToUtf8(c.a) << " / " << ToUtf8(c.b);
        EXPECT_EQ(NaturalCompare(c.b, c.a), -c.want) << ToUtf8(c.b) << " / " << ToUtf8(c.a);
    }
}

TEST(Names, CutUnitsNeverSplitsAPair) {
    const std::u16string clef = u"ab\U0001D11E";
    EXPECT_EQ(CutUnits(clef, 4), clef);
    EXPECT_EQ(CutUnits(clef, 3), u"ab");
    EXPECT_EQ(CutUnits(clef, 2), u"ab");
    EXPECT_EQ(CutUnits(u"ab\xD834" u"c", 3), u"ab\xD834");  // a lone one is cut like any unit
    EXPECT_EQ(CutUnits(u"", 0), u"");
}

// A folder whose names have no short names: every title is listed as the disk
// spells it and opens its own file, through the single-byte service when the
// code page spells the path exactly and the wide one otherwise.
TEST(NamesFromListingToOpen, EveryTitleOpensTheFileItNames) {
    struct Case {
        const char* name;
        std::u16string title;
        int32_t lengthMs;
        bool wide;
    };
    const std::vector<Case> cases = {
        {"plain", u"Premier.wav", 1500, false},
        {"accented in the code page", u"\u00C9t\u00E9 indien.wav", 2500, false},
        {"L with stroke", u"\u0141zy.wav", 3500, true},
        {"its look-alike beside it", u"Lzy.wav", 4500, false},
        {"caron", u"Dvo\u0159\u00E1k.wav", 5500, true},
        {"Cyrillic", u"\u041F\u0435\u0441\u043D\u044F.mp3", 6500, true},
        {"Japanese", u"\u6D99.wav", 7500, true},
        {"emoji, a surrogate pair", u"\U0001F3B5 note.wav", 8500, true},
        {"lone surrogate, legal on NTFS", u"x\xDC01y.wav", 9500, true},
        {"decomposed accent", u"e\u0301te.wma", 10500, true},
        {"its composed twin", u"\u00E9te.wma", 11500, false},
        {"question marks are real here", u"\u00BF\u00A1.mid", 12500, false},
        {"255 units", std::u16string(251, u'\u0416') + u".wav", 13500, true},
    };
    // In a folder the code page spells, then in one it cannot spell either.
    for (const std::u16string folder : {u"D:\\Musique\\", u"E:\\\u041C\u0443\u0437\u044B\u043A\u0430\\"}) {
        const bool wideFolder = !ExactCp1252(folder);
        test::Rig r;
        r.p.st.currentFolder = folder;
        std::vector<std::string> listed = {".", "..", ToUtf8(u"pochette \u6D99.jpg")};
        for (const Case& c : cases) {
            listed.push_back(ToUtf8(c.title));
            r.mci.files[ToUtf8(folder + c.title)] = {c.lengthMs, test::TrackKind::Wav};
        }
        r.dirs.listings[ToUtf8(folder + u"*.*")] = listed;
        ShowFolder(r.p);
        ScanFolderIntoList(r.p);
        EXPECT_EQ(r.controls[FolderPathField].name, folder);
        EXPECT_EQ(r.text(ContentLabel), " Contenu : " + std::to_string(cases.size()) + " titres");
        ASSERT_EQ(r.controls[TitleCombo].items.size(), cases.size());

        for (const Case& c : cases) {
            const auto& items = r.controls[TitleCombo].items;
            const auto at = std::find(items.begin(), items.end(), c.title);
            ASSERT_NE(at, items.end()) << c.name;
            r.select(int(at - items.begin()));
            r.mci.commands.clear();
            Dispatch(r.p, {EventKind::Control, PlayButton});
            EXPECT_EQ(r.mci.openPath(), folder + c.title) << c.name;
            EXPECT_EQ(r.p.st.lengthMs, c.lengthMs) << c.name << ": its own file";
            ASSERT_FALSE(r.mci.commands.empty());
            EXPECT_EQ(r.mci.commands[0].rfind("W open ", 0) == 0, c.wide || wideFolder)
                << c.name << ": " << r.mci.commands[0];
            // Only the open goes through the wide service.
            for (size_t k = 1; k < r.mci.commands.size(); ++k) EXPECT_NE(r.mci.commands[k][0], 'W') << c.name;
            EXPECT_TRUE(r.boxes.shown.empty()) << c.name;
            Dispatch(r.p, {EventKind::Control, StopButton});
        }
    }
}

TEST(NamesFromListingToOpen, AFolderThatCantBeListedIsNamedAsItIsSpelled) {
    test::Rig r;
    r.controls[FolderPathField].name = u"F:\\\u6D99\\";
    ScanFolderIntoList(r.p);
    ASSERT_EQ(r.boxes.shown.size(), 1u);
    EXPECT_EQ(r.boxes.shown[0].title, "Erreur");
    EXPECT_EQ(r.boxes.shown[0].wideText, u"Impossible d'examiner ce r\u00E9pertoire: F:\\\u6D99\\");
    EXPECT_EQ(r.boxes.shown[0].flags, 0u);
}

}  // namespace
}  // namespace vireo
