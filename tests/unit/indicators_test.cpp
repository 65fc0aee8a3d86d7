#include "playback/indicators.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_ports.h"

namespace vireo {
namespace {

TEST(FormatTime, MinutesAndTwoDigitSeconds) {
    struct Case {
        int64_t seconds;
        const char* want;
    };
    const Case cases[] = {
        {0, "0:00"},         {9, "0:09"},          {10, "0:10"},         {59, "0:59"},
        {60, "1:00"},        {65, "1:05"},         {185, "3:05"},        {600, "10:00"},
        {3599, "59:59"},     {3600, "60:00"},      {3725, "62:05"},
        {2147483, "35791:23"},  // the largest whole seconds a 32-bit millisecond count holds
        {-1, "-0:01"},       {-65, "-1:05"},       {-2147483, "-35791:23"},
        {INT64_MAX, "153722867280912930:07"},
        {INT64_MIN, "-153722867280912930:08"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatTime(c.seconds), c.want) << c.seconds;
}

TEST(FormatTime, NeverGivesTheNoTrackText) {
    for (int64_t s = -100; s <= 100; ++s) EXPECT_NE(FormatTime(s), kNoTrackDuration);
}

TEST(RefreshIndicators, FromThePolledPosition) {
    struct Case {
        int32_t positionMs;
        const char* elapsed;
        const char* count;
        int64_t bar;
    };
    const Case cases[] = {
        {65432, "1:05", "65", 65},
        {0, "0:00", "0", 0},
        {999, "0:00", "0", 0},
        {1000, "0:01", "1", 1},
        {9000, "0:09", "9", 9},
        {10000, "0:10", "10", 10},
        {42300, "0:42", "42", 42},
        {184999, "3:04", "184", 184},
        {185000, "3:05", "185", 185},
        {600000, "10:00", "600", 600},
        {3599999, "59:59", "3599", 3599},
        {3600000, "60:00", "3600", 3600},
        {3725000, "62:05", "3725", 3725},
        // Truncation toward zero: a small negative reading is still zero seconds.
        {-1, "0:00", "0", 0},
        {-999, "0:00", "0", 0},
        {-1000, "-0:01", "-1", 0},
        {INT32_MAX, "35791:23", "2147483", 2147483},
        {INT32_MIN, "-35791:23", "-2147483", 0},
    };
    for (const auto& c : cases) {
        test::Rig r;
        r.controls[TrackProgressBar].upper = INT32_MAX;
        r.p.st.positionMs = c.positionMs;
        RefreshIndicators(r.p);
        EXPECT_EQ(r.text(ElapsedDisplay), c.elapsed) << c.positionMs;
        EXPECT_EQ(r.text(CountDisplay), c.count) << c.positionMs;
        EXPECT_EQ(r.controls[TrackProgressBar].state, c.bar) << c.positionMs;
    }
}

TEST(RefreshIndicators, WritesOnlyTheThreeIndicators) {
    test::Rig r;
    r.controls[SecondsDisplay].text = "185";
    r.p.st.positionMs = 42300;
    RefreshIndicators(r.p);
    RefreshIndicators(r.p);
    EXPECT_TRUE(r.journal().empty());  // no enable change, no other text
    EXPECT_EQ(r.text(DurationDisplay), "0:00.");
    EXPECT_EQ(r.text(SecondsDisplay), "185");
}

}  // namespace
}  // namespace vireo
