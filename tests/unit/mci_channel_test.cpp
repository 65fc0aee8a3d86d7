#include "playback/mci_channel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/unit/fake_ports.h"

namespace vireo {
namespace {

TEST(ReplyValue, Conversions) {
    struct Case {
        const char* reply;
        int64_t want;
    };
    const Case cases[] = {
        {"", 0},
        {"  123", 123},
        {"\t \t42", 42},
        {"12abc", 12},
        {"-5", -5},
        {"+5", 5},
        {"+", 0},
        {"-", 0},
        {"$1F", 31},
        {"$1f", 31},
        {"$ff zz", 255},
        {"$1G", 1},
        {"-$10", -16},
        {"%101", 5},
        {"%1012", 5},
        {"+%11", 3},
        {"$", 0},
        {"%", 0},
        {"-$", 0},
        {"%2", 0},
        {"abc", 0},
        {"ABC", 0},  // hexadecimal letters need the "$"
        {"- 5", 0},  // the sign comes right before the digits
        {"+-5", 0},  // one sign only
        {"5 6", 5},
        {"\n5", 0},  // only blanks and tabs are skipped
        {"000185700", 185700},
        {"185700\r\n", 185700},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"$7FFFFFFFFFFFFFFF", INT64_MAX},
        // Beyond 64 bits the value wraps around, as unsigned arithmetic does.
        {"9223372036854775808", INT64_MIN},
        {"18446744073709551615", -1},
        {"18446744073709551616", 0},
        {"18446744073709551617", 1},
        {"$FFFFFFFFFFFFFFFF", -1},
        {"$10000000000000001", 1},
        {"-18446744073709551615", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplyValue(c.reply), c.want) << '"' << c.reply << '"';
}

TEST(MciCommandTexts, Vocabulary) {
    EXPECT_EQ(mci::OpenCommand("C:\\Ma musique\\Un titre.wav"),
              "open \"C:\\Ma musique\\Un titre.wav\" alias Morceau");
    EXPECT_EQ(mci::OpenCommand("C:\\Musique\\"), "open \"C:\\Musique\\\" alias Morceau");
    EXPECT_EQ(mci::OpenCommand("D:\\Répertoire\\été.mp3"), "open \"D:\\R\xE9pertoire\\\xE9t\xE9.mp3\" alias Morceau");
    EXPECT_EQ(mci::PlayFromCommand(65432), "play Morceau from 65432");
    EXPECT_EQ(mci::PlayFromCommand(0), "play Morceau from 0");
    EXPECT_EQ(mci::PlayFromCommand(INT32_MAX), "play Morceau from 2147483647");
    EXPECT_STREQ(mci::kSetTimeFormatMs, "set Morceau time format ms");
    EXPECT_STREQ(mci::kSeekToEndWait, "seek Morceau to end wait");
    EXPECT_STREQ(mci::kStatusPositionWait, "status Morceau position wait");
    EXPECT_STREQ(mci::kStatusLengthWait, "status Morceau length wait");
    EXPECT_STREQ(mci::kSeekToStart, "seek Morceau to start");
    EXPECT_STREQ(mci::kPlayFromStart, "play Morceau from 1 notify");
    EXPECT_STREQ(mci::kStatusPosition, "status Morceau position");
    EXPECT_STREQ(mci::kPauseWait, "pause Morceau wait");
    EXPECT_STREQ(mci::kClose, "close Morceau");
}

// Records what it was given and answers from a script, like the real service
// writing into the caller's buffer.
class ScriptedMci : public MciPort {
public:
    std::string command;
    char* buffer = nullptr;
    unsigned length = 0;
    const char* write = nullptr;  // nullptr: leave the buffer untouched
    int32_t result = 0;
    int32_t sendString(const char* c, char* reply, unsigned n) override {
        command = c;
        return answer(reply, n);
    }
    int32_t sendStringW(const char16_t* c, char* reply, unsigned n) override {
        wideCommand = c;
        return answer(reply, n);
    }
    int32_t answer(char* reply, unsigned n) {
        buffer = reply;
        length = n;
        if (write && reply) std::strcpy(reply, write);
        return result;
    }
    std::u16string wideCommand;
};

struct ChannelRig {
    ScriptedMci mci;
    test::Rig rig;  // for the other ports
    Player p{{}, {rig.controls, mci, rig.events, rig.boxes, rig.windows, rig.launcher, rig.taskbar,
                  rig.files, rig.dirs, rig.requester, rig.media, rig.system}};
    std::array<char, kReplyBufferSize> buffer;
    ChannelRig() {
        buffer.fill('#');
        p.st.replyBuffer = buffer.data();
    }
};

TEST(SendMciCommand, PassesTheBufferAndKeepsTheReply) {
    ChannelRig r;
    r.mci.write = "185700";
    EXPECT_EQ(SendMciCommand(r.p, "status Morceau position wait"), 0);
    EXPECT_EQ(r.mci.command, "status Morceau position wait");
    EXPECT_EQ(r.mci.buffer, r.buffer.data());
    EXPECT_EQ(r.mci.length, 256u);
    EXPECT_EQ(r.p.st.replyText, "185700");
}

TEST(SendMciCommand, ReturnsTheResultAndRefreshesTheReplyAfterAFailure) {
    ChannelRig r;
    r.mci.write = "4000";
    SendMciCommand(r.p, "status Morceau position");
    // A service that does not clear the buffer on failure leaves the old reply.
    r.mci.write = nullptr;
    r.mci.result = 281;
    EXPECT_EQ(SendMciCommand(r.p, "status Morceau position"), 281);
    EXPECT_EQ(r.p.st.replyText, "4000");
    r.mci.write = "";
    r.mci.result = -7;
    EXPECT_EQ(SendMciCommand(r.p, "status Morceau position"), -7);
    EXPECT_EQ(r.p.st.replyText, "");
}

TEST(SendMciCommand, NeverReadsPastAnUnterminatedBuffer) {
    ChannelRig r;  // the buffer is all '#', no NUL anywhere
    r.mci.result = 263;
    SendMciCommand(r.p, "close Morceau");
    EXPECT_EQ(r.p.st.replyText, std::string(256, '#'));
}

TEST(SendMciCommand, TakesCommandsThatAreNotTerminatedAndLongOnes) {
    ChannelRig r;
    const std::string text = "status Morceau positionXYZ";
    SendMciCommand(r.p, std::string_view(text).substr(0, 23));
    EXPECT_EQ(r.mci.command, "status Morceau position");

    const std::string path = "C:\\" + std::string(700, 'a') + "\\b.wav";
    SendMciCommand(r.p, mci::OpenCommand(path));
    EXPECT_EQ(r.mci.command, "open \"" + path + "\" alias Morceau");
}

TEST(SendMciCommand, WithoutABufferTheReplyIsEmpty) {
    ChannelRig r;
    r.p.st.replyBuffer = nullptr;
    r.p.st.replyText = "old";
    r.mci.result = 0;
    SendMciCommand(r.p, "status Morceau position");
    EXPECT_EQ(r.mci.buffer, nullptr);
    EXPECT_EQ(r.mci.length, 0u);
    EXPECT_EQ(r.p.st.replyText, "");
}

// The fake service must behave like the measured one, or every test built on it lies.
TEST(FakeMciService, BehavesAsMeasured) {
    test::Rig r;
    r.mci.files["C:\\a.wav"] = {3200, test::TrackKind::Wav};
    r.mci.files["C:\\b.mp3"] = {2000, test::TrackKind::Mp3};
    Player& p = r.p;

    // Closed alias: status 281, close 263, reply empty.
    EXPECT_EQ(SendMciCommand(p, mci::kStatusPosition), 281);
    EXPECT_EQ(p.st.replyText, "");
    EXPECT_EQ(SendMciCommand(p, mci::kClose), 263);
    EXPECT_NE(SendMciCommand(p, mci::OpenCommand("C:\\missing.wav")), 0);
    EXPECT_EQ(SendMciCommand(p, mci::OpenCommand("C:\\missing.mp3")), 277);

    ASSERT_EQ(SendMciCommand(p, mci::OpenCommand("C:\\a.wav")), 0);
    EXPECT_EQ(SendMciCommand(p, mci::kSeekToEndWait), 0);
    SendMciCommand(p, mci::kStatusPositionWait);
    EXPECT_EQ(p.st.replyText, "3200");
    SendMciCommand(p, mci::kSeekToStart);
    SendMciCommand(p, mci::kPlayFromStart);
    r.clock.advance(332);
    SendMciCommand(p, mci::kStatusPosition);
    EXPECT_EQ(p.st.replyText, "1");
    r.clock.advance(1);
    SendMciCommand(p, mci::kStatusPosition);
    EXPECT_EQ(p.st.replyText, "334");
    SendMciCommand(p, mci::kPauseWait);
    r.clock.advance(5000);
    SendMciCommand(p, mci::kStatusPosition);
    EXPECT_EQ(p.st.replyText, "334");
    SendMciCommand(p, mci::PlayFromCommand(334));
    r.clock.advance(10000);
    SendMciCommand(p, mci::kStatusPosition);
    EXPECT_EQ(p.st.replyText, "3200");  // stays at the length after the end
    EXPECT_EQ(SendMciCommand(p, mci::kClose), 0);
    EXPECT_EQ(SendMciCommand(p, mci::kStatusPosition), 281);
    EXPECT_EQ(p.st.replyText, "");

    ASSERT_EQ(SendMciCommand(p, mci::OpenCommand("C:\\b.mp3")), 0);
    EXPECT_EQ(SendMciCommand(p, mci::kSeekToEndWait), 277);
    EXPECT_EQ(p.st.replyText, "");
    SendMciCommand(p, mci::kStatusLengthWait);
    EXPECT_EQ(p.st.replyText, "2000");
    EXPECT_EQ(SendMciCommand(p, mci::kPlayFromStart), 0);
    r.clock.advance(5000);
    SendMciCommand(p, mci::kStatusPosition);
    EXPECT_EQ(p.st.replyText, "1");  // falls back to the last start position
    EXPECT_EQ(SendMciCommand(p, mci::OpenCommand("C:\\a.wav")), test::kMciDuplicateAlias);
}

}  // namespace
}  // namespace vireo
