#include "playback/os_version.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

OsVersion Nt(uint32_t major, uint32_t minor, bool exOk, uint8_t productType) {
    return {true, kPlatformNt, major, minor, exOk, productType};
}

TEST(OsVersionClass, Table) {
    constexpr uint8_t ws = 1, dc = 2, server = 3;
    struct Case {
        OsVersion v;
        int want;
    };
    const Case cases[] = {
        {{}, 100},                                   // the query failed
        {{false, kPlatformNt, 6, 1, true, ws}, 100},  // failed: the fields mean nothing
        {{true, 1, 4, 0, false, 0}, 10},
        {{true, 1, 4, 10, false, 0}, 30},
        {{true, 1, 4, 90, false, 0}, 40},
        {{true, 1, 4, 1, false, 0}, 100},
        {{true, 1, 6, 1, true, ws}, 100},  // the 95 family looks at the minor only
        {Nt(3, 51, true, ws), 5},
        {Nt(3, 0, false, 0), 5},
        {Nt(4, 0, true, server), 20},
        {Nt(5, 0, true, ws), 50},
        {Nt(5, 0, true, server), 50},
        {Nt(5, 1, true, ws), 60},
        {Nt(5, 1, true, server), 60},
        {Nt(5, 2, true, ws), 60},
        {Nt(5, 2, true, server), 65},
        {Nt(5, 2, true, dc), 65},
        {Nt(5, 2, false, ws), 65},  // failed extended query: not a workstation
        {Nt(5, 3, true, ws), 100},
        {Nt(6, 0, true, ws), 70},
        {Nt(6, 0, true, server), 75},
        {Nt(6, 0, false, ws), 75},
        {Nt(6, 1, true, ws), 80},
        {Nt(6, 1, true, server), 75},
        {Nt(6, 1, true, dc), 75},
        {Nt(6, 1, false, ws), 75},
        {Nt(6, 2, true, ws), 100},
        {Nt(6, 3, true, server), 100},
        {Nt(10, 0, true, ws), 100},
        {Nt(2, 0, true, ws), 100},
        {{true, 0, 6, 1, true, ws}, 100},  // Win32s
        {{true, 3, 6, 1, true, ws}, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OsVersionClass(c.v), c.want)
            << c.v.ok << " p" << c.v.platformId << " " << c.v.major << "." << c.v.minor << " ex" << c.v.exOk
            << " t" << int(c.v.productType);
}

TEST(OsVersionClass, TaskbarThreshold) {
    EXPECT_LT(OsVersionClass(Nt(6, 0, true, 1)), kTaskbarMinimumClass);  // Vista
    EXPECT_LT(OsVersionClass(Nt(6, 1, true, 3)), kTaskbarMinimumClass);  // 2008 R2
    EXPECT_GE(OsVersionClass(Nt(6, 1, true, 1)), kTaskbarMinimumClass);  // 7
    EXPECT_GE(OsVersionClass(Nt(10, 0, true, 1)), kTaskbarMinimumClass);
    EXPECT_GE(OsVersionClass(OsVersion{}), kTaskbarMinimumClass);
}

}  // namespace
}  // namespace vireo
