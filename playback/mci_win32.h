// The MCI port over the platform's command-string service.
#pragma once
#include "core/mci.h"

namespace vireo {

class Win32Mci : public MciPort {
public:
    int32_t sendString(const char* command, char* reply, unsigned replyLength) override;
    int32_t sendStringW(const char16_t* command, char* reply, unsigned replyLength) override;
};

}  // namespace vireo
