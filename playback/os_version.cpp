#include "playback/os_version.h"

namespace vireo {

int OsVersionClass(const OsVersion& v) {
    if (!v.ok) return 100;
    if (v.platformId == kPlatformWin9x) {
        switch (v.minor) {
            case 0: return 10;
            case 10: return 30;
            case 90: return 40;
            default: return 100;
        }
    }
    if (v.platformId != kPlatformNt) return 100;
    const bool workstation = v.exOk && v.productType == kNtWorkstation;
    switch (v.major) {
        case 3: return 5;
        case 4: return 20;
        case 5:
            switch (v.minor) {
                case 0: return 50;
                case 1: return 60;
                case 2: return workstation ? 60 : 65;
                default: return 100;
            }
        case 6:
            switch (v.minor) {
                case 0: return workstation ? 70 : 75;
                case 1: return workstation ? 80 : 75;
                default: return 100;
            }
        default: return 100;
    }
}

}  // namespace vireo
