// Classification of the running Windows version, which guards the taskbar progress.
#pragma once
#include <cstdint>

namespace vireo {

// What the two version queries told: the plain record, then (NT family only)
// the extended one with the product type.
struct OsVersion {
    bool ok = false;  // the plain query succeeded
    uint32_t platformId = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
    bool exOk = false;  // the extended query succeeded
    uint8_t productType = 0;
};

constexpr uint32_t kPlatformWin9x = 1;
constexpr uint32_t kPlatformNt = 2;
constexpr uint8_t kNtWorkstation = 1;

// 5 NT 3, 10 95, 20 NT 4, 30 98, 40 Me, 50 2000, 60 XP, 65 Server 2003, 70 Vista,
// 75 Server 2008 (R2), 80 Windows 7; 100 for a failed query and every version
// the table does not know (newer ones included).
int OsVersionClass(const OsVersion& v);

// The taskbar progress is shown from this class on.
constexpr int kTaskbarMinimumClass = 80;

}  // namespace vireo
