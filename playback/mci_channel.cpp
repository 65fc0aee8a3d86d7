#include "playback/mci_channel.h"

#include <array>
#include <cstring>

namespace vireo {

namespace {

// ReplyText from the buffer the service wrote into.
void TakeReply(Player& p) {
    char* buffer = p.st.replyBuffer;
    // The buffer is never cleared and holds garbage before the first reply:
    // never read past its end, even when no NUL was written.
    if (buffer) {
        const void* nul = std::memchr(buffer, '\0', kReplyBufferSize);
        const size_t length = nul ? size_t(static_cast<const char*>(nul) - buffer) : kReplyBufferSize;
        p.st.replyText.assign(buffer, length);
    } else
        p.st.replyText.clear();
}

}  // namespace

int32_t SendMciCommand(Player& p, std::string_view command) {
    // The service wants a NUL-terminated text; the commands sent on every pass
    // are short, so copy onto the stack and keep the idle loop free of allocations.
    std::array<char, 512> small;
    std::string large;
    const char* text;
    if (command.size() < small.size()) {
        std::memcpy(small.data(), command.data(), command.size());
        small[command.size()] = '\0';
        text = small.data();
    } else {
        large.assign(command);
        text = large.c_str();
    }

    char* buffer = p.st.replyBuffer;
    const int32_t result = p.io.mci.sendString(text, buffer, buffer ? kReplyBufferSize : 0);
    TakeReply(p);
    return result;
}

int32_t SendMciCommand(Player& p, std::u16string_view command) {
    const std::u16string text(command);
    char* buffer = p.st.replyBuffer;
    const int32_t result = p.io.mci.sendStringW(text.c_str(), buffer, buffer ? kReplyBufferSize : 0);
    TakeReply(p);
    return result;
}

int64_t ReplyValue(std::string_view reply) {
    size_t i = 0;
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t')) ++i;
    bool negative = false;
    if (i < reply.size() && (reply[i] == '-' || reply[i] == '+')) {
        negative = reply[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i < reply.size() && reply[i] == '$') {
        base = 16;
        ++i;
    } else if (i < reply.size() && reply[i] == '%') {
        base = 2;
        ++i;
    }
    // Unsigned arithmetic: an overlong reply wraps instead of overflowing.
    uint64_t value = 0;
    for (; i < reply.size(); ++i) {
        const char c = reply[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            break;
        if (digit >= base) break;
        value = value * base + digit;
    }
    if (negative) value = 0 - value;
    return static_cast<int64_t>(value);
}

namespace mci {

std::string OpenCommand(std::string_view path) {
    std::string command;
    command.reserve(path.size() + 24);
    command += "open \"";
    command += path;
    command += "\" alias Morceau";
    return command;
}

std::u16string OpenCommand(std::u16string_view path) {
    return u"open \"" + std::u16string(path) + u"\" alias Morceau";
}

std::string PlayFromCommand(int32_t positionMs) {
    return "play Morceau from " + std::to_string(positionMs);
}

}  // namespace mci
}  // namespace vireo
