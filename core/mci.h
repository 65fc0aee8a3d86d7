// The MCI command channel: one command string in, result and reply text out.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vireo {

constexpr unsigned kReplyBufferSize = 256;

class MciPort {
public:
    virtual ~MciPort() = default;
    // mciSendStringA(command, reply, replyLength, no callback window).
    virtual int32_t sendString(const char* command, char* reply, unsigned replyLength) = 0;
    // The same through the wide service, for a command that names a file
    // Windows-1252 cannot spell; the reply comes back as single bytes.
    virtual int32_t sendStringW(const char16_t* command, char* reply, unsigned replyLength) = 0;
};

}  // namespace vireo
