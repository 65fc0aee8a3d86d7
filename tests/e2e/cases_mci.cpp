// The real MCI service through the player's own channel: what it reports for a
// WAV file of known length, and a position that advances in real time.
#include <cstring>

#include "playback/mci_channel.h"
#include "playback/mci_win32.h"
#include "tests/e2e/e2e.h"
#include "tests/e2e/fixture.h"
#include "tests/null_ports.h"

using namespace vireo::e2e;

namespace {

struct Sample {
    DWORD atMs;
    int64_t positionMs;
};

}  // namespace

VIREO_E2E_CASE(mci_real_service) {
    namespace mci = vireo::mci;
    std::string dir = "C:\\vireo-e2e\\" + caseName() + "\\";
    wipeTree(dir);
    makeDirs(dir.substr(0, dir.size() - 1));
    std::string file = dir + "Un titre à écouter.wav";  // blanks and an accent in the path
    writeWav(file, 3.2);

    vireo::test::NullPorts none;  // the channel needs a whole Player; only its MCI port is used
    vireo::Win32Mci service;
    vireo::Player player{vireo::ProgramState{}, vireo::Ports{none, service, none, none, none, none, none, none, none, none, none, none}};
    char buffer[vireo::kReplyBufferSize];
    std::memset(buffer, 0xCC, sizeof buffer);  // like the fixed block, never cleared
    player.st.replyBuffer = buffer;
    auto send = [&](std::string_view command) { return vireo::SendMciCommand(player, command); };

    require(checkEq(0, send(mci::OpenCommand(file)), "open " + show(file)), "the WAV file opens");
    Cleanup closeDevice{[&] { send(mci::kClose); }};
    checkEq(0, send(mci::kSetTimeFormatMs), "set time format ms");
    checkEq(0, send(mci::kSeekToEndWait), "seek to end");
    checkEq(0, send(mci::kStatusPositionWait), "status position after the seek to the end");
    checkEq("3200", player.st.replyText, "reply: the length in ms");
    checkEq(3200, vireo::ReplyValue(player.st.replyText), "ReplyValue of the length");
    checkEq(0, send(mci::kStatusLengthWait), "status length");
    checkEq(3200, vireo::ReplyValue(player.st.replyText), "status length value");
    checkEq(0, send(mci::kSeekToStart), "seek to start");
    send(mci::kStatusPositionWait);
    checkEq(0, vireo::ReplyValue(player.st.replyText), "position after the seek to the start");

    checkEq(0, send(mci::kPlayFromStart), "play from 1");
    DWORD start = GetTickCount();
    std::vector<Sample> samples;
    while (GetTickCount() - start < 2000) {
        send(mci::kStatusPosition);
        samples.push_back({GetTickCount() - start, vireo::ReplyValue(player.st.replyText)});
        Sleep(50);
    }
    bool monotonic = true;
    for (size_t i = 1; i < samples.size(); ++i) monotonic = monotonic && samples[i].positionMs >= samples[i - 1].positionMs;
    check(monotonic, format("position never goes back (%zu samples)", samples.size()));
    auto at = [&](DWORD ms) {
        for (const Sample& s : samples)
            if (s.atMs >= ms) return s;
        return samples.back();
    };
    Sample s1 = at(1000), s2 = samples.back();
    note(format("position %lld ms after %lu ms, %lld ms after %lu ms", static_cast<long long>(s1.positionMs), s1.atMs,
                static_cast<long long>(s2.positionMs), s2.atMs));
    checkNear(s1.atMs, s1.positionMs, 450, "position after about 1 s of playing follows the clock");
    checkNear(s2.atMs, s2.positionMs, 450, "position after about 2 s of playing follows the clock");

    checkEq(0, send(mci::kPauseWait), "pause");
    send(mci::kStatusPosition);
    int64_t paused = vireo::ReplyValue(player.st.replyText);
    Sleep(600);
    send(mci::kStatusPosition);
    checkEq(paused, vireo::ReplyValue(player.st.replyText), "position stays while paused");

    checkEq(0, send(mci::PlayFromCommand(static_cast<int32_t>(paused))), "play from the paused position");
    int64_t last = paused;
    waitUntil([&] {
        send(mci::kStatusPosition);
        last = vireo::ReplyValue(player.st.replyText);
        return last >= 3200;
    }, 4000, 50);
    checkEq(3200, last, "position reaches the length at the natural end");
    Sleep(500);
    send(mci::kStatusPosition);
    checkEq(3200, vireo::ReplyValue(player.st.replyText), "position stays at the length after the end");

    checkEq(0, send(mci::kClose), "close");
    int32_t closed = send(mci::kStatusPosition);
    check(closed != 0, format("status on the closed alias fails (result %d)", closed));
    checkEq("", player.st.replyText, "a failed command leaves an empty reply");
    wipeTree(dir);
}
