#include "app/texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/player.h"
#include "build_date.h"
#include "tests/null_ports.h"
#include "tests/unit/fakes.h"

namespace vireo {
namespace {

struct Rig {
    test::FakeControls controls;
    test::FakeBoxes boxes;
    test::NullPorts none;  // the boxes touch no other port
    Player p{ProgramState{}, Ports{controls, none, none, boxes, none, none, none, none, none, none, none, none}};
};

constexpr int64_t kSample = 1307034242;  // 2011-06-02 17:04:02

struct MaskCase {
    const char* mask;
    int64_t date;
    const char* want;
};

TEST(FormatDateMask, TokensInEveryLetterCase) {
    const MaskCase cases[] = {
        {"%yyyy", kSample, "2011"}, {"%YYYY", kSample, "2011"}, {"%yYyY", kSample, "2011"},
        {"%yy", kSample, "11"},     {"%YY", kSample, "11"},     {"%Yy", kSample, "11"},
        {"%mm", kSample, "06"},     {"%MM", kSample, "06"},     {"%mM", kSample, "06"},
        {"%dd", kSample, "02"},     {"%DD", kSample, "02"},     {"%Dd", kSample, "02"},
        {"%hh", kSample, "17"},     {"%HH", kSample, "17"},     {"%hH", kSample, "17"},
        {"%ii", kSample, "04"},     {"%II", kSample, "04"},     {"%Ii", kSample, "04"},
        {"%ss", kSample, "02"},     {"%SS", kSample, "02"},     {"%sS", kSample, "02"},
        {"%dd/%MM/%YY %Hh%Ii%Ss", kSample, "02/06/11 170402"},
        {"%yyyy%yy%mm%dd%hh%ii%ss", kSample, "20111106021704" "02"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDateMask(c.mask, c.date), c.want) << c.mask;
}

TEST(FormatDateMask, AnythingElseIsCopied) {
    const MaskCase cases[] = {
        {"", kSample, ""},
        {"dd.mm.yyyy", kSample, "dd.mm.yyyy"},  // no "%": no token
        {"%", kSample, "%"},
        {"fin%", kSample, "fin%"},
        {"%%", kSample, "%%"},
        {"%%dd", kSample, "%02"},  // the second "%" starts a token
        {"%x%y%m%d%h%i%s", kSample, "%x%y%m%d%h%i%s"},
        {"%yyy", kSample, "11y"},    // "yyyy" fails, "yy" matches
        {"%yyyyy", kSample, "2011y"},
        {"%mi", kSample, "%mi"},
        {"%MMM", kSample, "06M"},
        {"% dd", kSample, "% dd"},
        {"100 % %ss", kSample, "100 % 02"},
        {"%d%", kSample, "%d%"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDateMask(c.mask, c.date), c.want) << c.mask;
}

TEST(FormatDateMask, UpperHalfBytesStayOneByte) {
    const std::string got = FormatDateMask(kAboutDateMask, kSample);
    EXPECT_EQ(got, " le 02.06.2011 à 17:04:02");
    const std::string want = std::string(" le 02.06.2011 ") + '\xE0' + " 17:04:02";
    EXPECT_EQ(got, want);
    // A Windows-1252 letter right after "%" is not a token and is not folded.
    EXPECT_EQ(FormatDateMask("%\xC9\xE9%\xDD", kSample), "%\xC9\xE9%\xDD");
}

TEST(FormatDateMask, CalendarCorners) {
    const MaskCase cases[] = {
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 0, "1970-01-01 00:00:00"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 86399, "1970-01-01 23:59:59"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 946684799, "1999-12-31 23:59:59"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 951782400, "2000-02-29 00:00:00"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 1709164799, "2024-02-28 23:59:59"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 1709164800, "2024-02-29 00:00:00"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 2147483647, "2038-01-19 03:14:07"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 2147483648, "2038-01-19 03:14:08"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 4102444800, "2100-01-01 00:00:00"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 4107542399, "2100-02-28 23:59:59"},  // 2100 is no leap year
        {"%yyyy-%mm-%dd %hh:%ii:%ss", 4107542400, "2100-03-01 00:00:00"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", kLastFormattableDate, "3000-12-31 23:59:59"},
        {"%yy", 0, "70"},
        {"%yy", 4102444800, "00"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDateMask(c.mask, c.date), c.want) << c.date;
}

TEST(FormatDateMask, ValuesThatCannotBeBrokenDown) {
    const int64_t bad[] = {-1, -86400, kLastFormattableDate + 1, std::numeric_limits<int64_t>::min(),
                           std::numeric_limits<int64_t>::max()};
    for (int64_t d : bad) {
        EXPECT_EQ(FormatDateMask(kAboutDateMask, d), " le 00.00.0000 à 00:00:00") << d;
        EXPECT_EQ(FormatDateMask("%yy|%YYYY", d), "00|0000") << d;
        CivilTime t;
        t.year = 7;
        EXPECT_FALSE(BreakDownDate(d, t)) << d;
        EXPECT_EQ(t.year, 0);
    }
}

// Walks every day of the range with plain month lengths and compares.
TEST(BreakDownDate, EveryDayOfTheRange) {
    int64_t y = 1970;
    int m = 1, d = 1;
    auto monthLength = [](int64_t year, int month) {
        static const int len[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return month == 2 && leap ? 29 : len[month - 1];
    };
    int64_t mismatches = 0;
    for (int64_t day = 0; day * 86400 <= kLastFormattableDate; ++day) {
        CivilTime t;
        const int64_t when = day * 86400 + (day % 86400);
        if (!BreakDownDate(when, t) || t.year != y || t.month != m || t.day != d ||
            t.hour * 3600 + t.minute * 60 + t.second != day % 86400) {
            if (++mismatches < 5) ADD_FAILURE() << "day " << day << " gave " << t.year << "-" << t.month << "-" << t.day;
        }
        if (++d > monthLength(y, m)) {
            d = 1;
            if (++m > 12) m = 1, ++y;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(y, 3001);
    EXPECT_EQ(m, 1);
    EXPECT_EQ(d, 1);
}

const char* const kHelpPieces[] = {
    "VIREO Version 1.2.06.11\r\r",
    "USER -> Pour présélectionner un dossier contenant la musique préférée de l'utilisateur. Celui-ci sera alors automatiquement sélectionné au démarrage du programme.\r",
    "SELECTION -> permet de naviguer sur le système de l'utilisateur et de choisir un dossier contenant la musique à écouter.\r\r",
    "Le nombre de morceaux de musique contenu dans le dossier sélectionné est affiché à droite du bouton.\r\r",
    "Les titres sont listés dans une combobox permettant de choisir l'un ou l'autre.\r\r",
    "Deux options de lecture : \r",
    "- Tout lire. La case est cochée par défaut et la lecture commence au premier titre listé jusqu'au dernier, les uns après les autres. La lecture s'arrête à l'issue.\r",
    "- Lecture continue. Si cette case est cochée, une fois que tous les titres contenus dans le dossier ont été lus, la lecture recommence depuis le premier titre, et ainsi de suite.\r\r",
    "PLAY -> permet de lancer la lecture du titre sélectionné.\r",
    "PAUSE -> interrompt la lecture en cours qui reste en attente.\r",
    "REPRENDRE -> redémarre la lecture là où elle avait été interrompue par le bouton PAUSE.\r",
    "STOP -> arrête la lecture en cours et remet le morceau de musique à son point de départ.\r",
    "VOLUME -> Ouvre le réglage du volume général de l'ordinateur\r",
    "AIDE -> Ouvre la présente fenêtre\r",
    "A PROPOS -> Informations de version\r",
    "REDUIRE -> Réduit le lecteur en icône dans la barre des tâches\r",
    "QUITTER -> Ferme et quitte Vireo\r",
    "CONNEXION -> Connexion à la page du site web de Vireo\r\r",
    "Quatre indicateurs numériques :\r",
    "- Temps : Temps écoulé en minutes et secondes du morceau en cours.\r",
    "- Durée : Durée totale en minutes et secondes du morceau en cours.\r",
    "- Count : Compteur des secondes en mode décimal\r",
    "- Seconds : Durée totale du morceau en secondes \r",
};

TEST(HelpText, IsTheTwentyThreePiecesInOrder) {
    ASSERT_EQ(std::size(kHelpPieces), 23u);
    std::string want;
    for (const char* piece : kHelpPieces) want += piece;
    const std::string got = BuildHelpText();
    EXPECT_EQ(got, want);
    // Windows-1252 bytes: 1706 in all, 29 carriage returns, no line feed, 51 accented letters.
    EXPECT_EQ(got.size(), 1706u);
    EXPECT_EQ(std::count(got.begin(), got.end(), '\r'), 29);
    EXPECT_EQ(got.find('\n'), std::string::npos);
    EXPECT_EQ(std::count_if(got.begin(), got.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }),
              51);
    EXPECT_NE(got.find("Deux options de lecture : \r"), std::string::npos);
    EXPECT_EQ(got.substr(got.size() - 3), "s \r");
}

TEST(AboutText, SampleBuild) {
    const std::string got = BuildAboutText(kSample);
    const std::string head =
        "Vireo Mini ( Mp3 ; Wav ; Wma ; Midi )\r\rCompatible Windows Xp / Vista / 7\r"
        "Dernière compilation :  le 02.06.2011 à 17:04:02\r\r";
    ASSERT_GE(got.size(), head.size());
    EXPECT_EQ(got.substr(0, head.size()), head);
    EXPECT_NE(got.find("Derni\xE8re compilation :  le 02.06.2011 \xE0 17:04:02"), std::string::npos);
    // Then the acknowledgement line and the thanks line, the last without "\r".
    const std::string tail = got.substr(head.size());
    const size_t cr = tail.find('\r');
    ASSERT_NE(cr, std::string::npos);
    EXPECT_GT(cr, 10u);
    EXPECT_EQ(tail.find('\r', cr + 1), std::string::npos);
    EXPECT_GT(tail.size() - cr - 1, 10u);
    EXPECT_NE(tail.back(), '\r');
    EXPECT_EQ(got.find('\n'), std::string::npos);
}

TEST(AboutText, DateThatCannotBeBrokenDown) {
    EXPECT_NE(BuildAboutText(-5).find("Dernière compilation :  le 00.00.0000 à 00:00:00\r\r"), std::string::npos);
}

TEST(BuildDate, IsAFormattableConstant) {
    CivilTime t;
    EXPECT_TRUE(BreakDownDate(kBuildDate, t)) << kBuildDate;
}

TEST(ShowHelp, RebuildsOnEveryPress) {
    Rig r;
    r.p.st.helpText = "left over";
    ShowHelp(r.p);
    ShowHelp(r.p);
    ASSERT_EQ(r.boxes.shown.size(), 2u);
    for (const auto& b : r.boxes.shown) {
        EXPECT_EQ(b.title, "Utilisation de ce lecteur");
        EXPECT_EQ(b.text, BuildHelpText());
        EXPECT_EQ(b.flags, 0x40u);
    }
    EXPECT_EQ(r.p.st.helpText, BuildHelpText());
    EXPECT_TRUE(r.p.st.aboutText.empty());
}

TEST(ShowAbout, RebuildsOnEveryPressWithTheBuildDate) {
    Rig r;
    r.p.st.aboutText = "left over";
    ShowAbout(r.p);
    ShowAbout(r.p);
    ASSERT_EQ(r.boxes.shown.size(), 2u);
    for (const auto& b : r.boxes.shown) {
        EXPECT_EQ(b.title, "A propos");
        EXPECT_EQ(b.text, BuildAboutText(kBuildDate));
        EXPECT_EQ(b.flags, 0x40u);
    }
    EXPECT_EQ(r.p.st.aboutText, BuildAboutText(kBuildDate));
    EXPECT_TRUE(r.p.st.helpText.empty());
}

}  // namespace
}  // namespace vireo
