// Fuzz target for the MCI reply handling: a command of any length and bytes
// (or UTF-16 units, through the wide service), a reply buffer holding garbage that the service fills in part, in whole or
// without a NUL, and the numeric reading of the reply against a model built
// on std::from_chars.
#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "playback/mci_channel.h"
#include "tests/null_ports.h"
#include "tests/fuzz/property.h"

namespace {

using namespace vireo;

class Service : public MciPort {
public:
    std::string reply;    // bytes written into the buffer, as many as fit
    bool terminate = true;
    int32_t result = 0;
    std::string seen;
    std::u16string seenWide;
    unsigned seenLength = 0;
    int calls = 0, wideCalls = 0;

    int32_t sendString(const char* command, char* buffer, unsigned length) override {
        ++calls;
        seen = command;  // reads up to the NUL the channel must have put there
        return answer(buffer, length);
    }
    int32_t sendStringW(const char16_t* command, char* buffer, unsigned length) override {
        ++wideCalls;
        seenWide = command;
        return answer(buffer, length);
    }

private:
    int32_t answer(char* buffer, unsigned length) {
        seenLength = length;
        if (buffer) {
            const size_t n = std::min<size_t>(reply.size(), length);
            std::memcpy(buffer, reply.data(), n);
            if (terminate && n < length) buffer[n] = '\0';
        }
        return result;
    }
};

// The reading of a reply: blanks and tabs, one sign, a base mark, the longest
// run of digits of that base; the value modulo 2^64.
int64_t Model(std::string_view r) {
    size_t i = r.find_first_not_of(" \t");
    if (i == std::string_view::npos) return 0;
    bool negative = false;
    if (r[i] == '-' || r[i] == '+') negative = r[i++] == '-';
    int base = 10;
    if (i < r.size() && (r[i] == '$' || r[i] == '%')) base = r[i++] == '$' ? 16 : 2;
    const char* first = r.data() + i;
    const char* end = first;
    for (uint64_t d; end < r.data() + r.size() && std::from_chars(end, end + 1, d, base).ec == std::errc();) ++end;
    // Chunks too short to overflow: value = value * base^n + chunk.
    uint64_t value = 0;
    while (first < end) {
        const char* stop = first + std::min<ptrdiff_t>(12, end - first);
        uint64_t chunk = 0, scale = 1;
        std::from_chars(first, stop, chunk, base);
        for (const char* c = first; c < stop; ++c) scale *= uint64_t(base);
        value = value * scale + chunk;
        first = stop;
    }
    return int64_t(negative ? 0 - value : value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CHECK(ReplyValue(std::string_view(reinterpret_cast<const char*>(data), size)) ==
          Model(std::string_view(reinterpret_cast<const char*>(data), size)));

    FuzzedDataProvider in(data, size);
    Service service;
    test::NullPorts none;
    Player p{ProgramState{}, Ports{none, service, none, none, none, none, none, none, none, none, none, none}};

    const uint8_t mode = in.ConsumeIntegral<uint8_t>();
    service.terminate = mode & 1;
    service.result = mode & 2 ? in.ConsumeIntegral<int32_t>() : 0;
    const bool noBuffer = (mode & 0x1C) == 0x1C;
    // The platform's buffer, exactly its size on the heap so that a read past
    // it is caught, filled with what an earlier reply may have left.
    std::unique_ptr<char[]> buffer(noBuffer ? nullptr : new char[kReplyBufferSize]);
    const char garbage = char(in.ConsumeIntegral<uint8_t>());
    if (buffer) std::memset(buffer.get(), garbage, kReplyBufferSize);
    p.st.replyBuffer = buffer.get();
    p.st.replyText = "old";

    std::string command = in.ConsumeRandomLengthString(1200);
    if (mode & 0x20) command.append(size_t(in.ConsumeIntegralInRange<int>(0, 600)), 'x');
    service.reply = in.ConsumeRemainingBytesAsString();

    int32_t result;
    if (mode & 0x40) {
        // Any units, two bytes each, low byte first.
        std::u16string wide;
        for (size_t i = 0; i + 1 < command.size(); i += 2)
            wide += char16_t(uint8_t(command[i]) | uint8_t(command[i + 1]) << 8);
        result = SendMciCommand(p, std::u16string_view(wide));
        CHECK(service.wideCalls == 1 && service.calls == 0);
        CHECK(service.seenWide == std::u16string_view(wide).substr(0, wide.find(u'\0')));
    } else {
        result = SendMciCommand(p, command);
        CHECK(service.calls == 1 && service.wideCalls == 0);
        CHECK(service.seen == std::string_view(command).substr(0, command.find('\0')));
    }
    CHECK(result == service.result);
    if (!buffer) {
        CHECK(service.seenLength == 0);
        CHECK(p.st.replyText.empty());
        return 0;
    }
    CHECK(service.seenLength == kReplyBufferSize);

    // The reply text: the buffer up to its first NUL, or all of it.
    const std::string_view whole(buffer.get(), kReplyBufferSize);
    const std::string_view want = whole.substr(0, whole.find('\0'));
    CHECK(p.st.replyText == want);
    CHECK(p.st.replyText.size() <= kReplyBufferSize);
    if (service.terminate && service.reply.size() < kReplyBufferSize)
        CHECK(p.st.replyText == std::string_view(service.reply).substr(0, service.reply.find('\0')));
    CHECK(ReplyValue(p.st.replyText) == Model(p.st.replyText));
    return 0;
}
