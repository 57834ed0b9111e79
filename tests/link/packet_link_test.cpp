#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "ScriptedLine.h"
#include "base/DebugLog.h"
#include "link/PacketLink.h"
#include "platform/FakeClock.h"
#include "platform/FixedText.h"
#include "project/CurrentState.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

using namespace std::string_literals;

struct LinkRig {
    FakeClock clock;
    CurrentState state{};
    PacketLink link{clock};
    test::ScriptedLine* line = nullptr;

    explicit LinkRig(const char* address = "") {
        CopyText(state.address, address);
        link.SetState(&state);
        auto scripted = std::make_unique<test::ScriptedLine>(clock);
        line = scripted.get();
        EXPECT_TRUE(link.OpenLine(std::move(scripted)));
        line->calls.clear();
    }
};

// Guards against the address prefix going out with modem commands, or missing on "+\r".
TEST(PacketLink, AddressPrefixOnlyWhereDue) {
    struct Case {
        const char* address;
        std::string command;
        std::string sent;
    } cases[] = {
        {"", "info\r", "info\r"},
        {"dev1", "info\r", ":dev1;info\r"},
        {"dev1", "+\r", ":dev1;+\r"},
        {"dev1", "+++", "+++"},
        {"dev1", "ATFH,DT 1A,CN\r", "ATFH,DT 1A,CN\r"},
        {"dev1", "at\r", ":dev1;at\r"},  // "AT" counts only as written
        {"dev1", "++\r", ":dev1;++\r"},
    };
    for (const Case& c : cases) {
        LinkRig rig(c.address);
        EXPECT_TRUE(rig.link.SendPacket(c.command)) << c.command;
        EXPECT_EQ(rig.line->written, c.sent) << c.command;
        // The prefix is a write of its own.
        EXPECT_EQ(rig.line->writes.size(), c.sent == c.command ? 1u : 2u) << c.command;
    }
}

// Guards against wrong noise trimming, address checking and line assembly on received lines.
TEST(PacketLink, ReceivesTrimsAndChecksAddress) {
    struct Case {
        const char* name;
        const char* address;
        std::string incoming;
        bool ok;
        std::string reply;
    } cases[] = {
        {"plain", "", "MODE;START\r", true, "MODE;START\r"},
        {"noise kept char", "", "\xFF\x00#MODE;START\r"s, true, "#MODE;START\r"},
        {"noise with high bytes", "", "\x00\x00\xC0\xFFMODE;STOP\r"s, true, "\xFFMODE;STOP\r"},
        {"walk reaches start", "", "x7MODE;START\r", true, "x7MODE;START\r"},
        {"no semicolon", "", "\x01OK\r", true, "\x01OK\r"},
        {"line feeds dropped", "", "MO\nDE;STOP\r", true, "MODE;STOP\r"},
        {"address removed", "dev1", ":dev1;MODE;START\r", true, "MODE;START\r"},
        {"noise before address", "dev1", "\x13\xFE#:dev1;MODE;START\r", true, "MODE;START\r"},
        {"other instrument", "dev1", ":dev2;MODE;START\r", false, ":dev2;MODE;START\r"},
        {"longer name", "dev1", ":dev10;MODE;START\r", false, ":dev10;MODE;START\r"},
        {"no prefix", "dev1", "MODE;START\r", false, "MODE;START\r"},
        {"name with a blank", "greenhouse 1", ":greenhouse 1;MODE;START\r", true, "MODE;START\r"},
        {"noise before a name with a dash", "VG-2", "\x13#:VG-2;MODE;STOP\r", true, "MODE;STOP\r"},
        {"another name ending like ours", "greenhouse 1", ":greenhouse 11;MODE;START\r", false,
         " 11;MODE;START\r"},
        {"modem answer", "dev1", "OK\r", true, "OK\r"},
        {"no CR", "", "MODE;START", false, "MODE;START"},
        {"nothing", "", "", false, ""},
    };
    for (const Case& c : cases) {
        LinkRig rig(c.address);
        rig.line->incoming = c.incoming;
        std::string reply;
        EXPECT_EQ(rig.link.ReceiveLine(reply), c.ok) << c.name;
        EXPECT_EQ(reply, c.reply) << c.name;
    }
}

// Guards against overrunning the reply buffer with a line of 2046 or more characters.
TEST(PacketLink, OverlongLineIsCutAt2046) {
    LinkRig rig;
    rig.line->incoming = std::string(3000, 'A') + "\r";
    std::string reply;
    EXPECT_TRUE(rig.link.ReceiveLine(reply));
    EXPECT_EQ(reply.size(), PacketLink::kMaxLine);
    EXPECT_EQ(reply.find_first_not_of('A'), std::string::npos);
    EXPECT_TRUE(rig.link.ReceiveLine(reply));  // the rest is the next line
    EXPECT_EQ(reply.size(), 3001 - PacketLink::kMaxLine);
    rig.line->incoming = std::string(2045, 'B') + "\r";
    EXPECT_TRUE(rig.link.ReceiveLine(reply));
    EXPECT_EQ(reply.back(), '\r');
}

// Guards against the last-reply time being set without a line, or not set with one.
TEST(PacketLink, LastReplyTimeFollowsReceivedLines) {
    LinkRig rig;
    std::string reply;
    EXPECT_FALSE(rig.link.ReceiveLine(reply));
    EXPECT_EQ(rig.state.lastReplyTime, 0);
    rig.line->incoming = "OK\r";
    EXPECT_TRUE(rig.link.ReceiveLine(reply));
    EXPECT_EQ(rig.state.lastReplyTime, rig.clock.UtcSeconds());
}

// Guards against a local echo being taken as the reply and against retries that do not retry.
TEST(PacketLink, TransactSkipsEchoAndRetries) {
    {
        LinkRig rig;
        rig.line->incoming = "info\rINFO;VG-28;1.0.2.0;\"x\";\r";
        std::string reply;
        EXPECT_TRUE(rig.link.Transact("info\r", reply, 3));
        EXPECT_EQ(reply, "INFO;VG-28;1.0.2.0;\"x\";\r");
        EXPECT_EQ(rig.line->written, "info\r");
    }
    {
        LinkRig rig;
        const std::int64_t start = rig.clock.MonotonicMs();
        std::string reply;
        EXPECT_FALSE(rig.link.Transact("mode\r", reply, 3));
        EXPECT_EQ(rig.line->written, "mode\rmode\rmode\r");
        EXPECT_EQ(rig.clock.MonotonicMs() - start, 100 + 3 * (2000 + 100));
    }
    {
        LinkRig rig;
        std::string reply = "stale";
        EXPECT_TRUE(rig.link.Transact("mode\r", reply, 0));
        EXPECT_TRUE(reply.empty());
        EXPECT_TRUE(rig.line->written.empty());
    }
    {
        LinkRig rig;
        rig.line->incoming = "MODE;STOP\r";
        std::string reply;
        EXPECT_FALSE(rig.link.Transact("mode\r", reply, 1, "INFO"));
        rig.line->incoming = "MODE;STOP\r";
        EXPECT_TRUE(rig.link.Transact("mode\r", reply, 1, "MODE;"));
    }
}

// Guards against echo checks that compare the wrong case, look a third time or leave the
// command buffer in lower case for the repeat.
TEST(PacketLink, SendExpectEchoRules) {
    struct Case {
        const char* name;
        std::string incoming;
        bool ok;
    } cases[] = {
        {"upper-case echo", "MODE;START\r", true},
        {"mixed-case echo", "Mode;Start\r", true},
        {"lower-case copy is a local echo", "mode;start\r", false},
        {"echo with more after it", "MODE;START\rX", true},
        {"second line echoes", "MODE;STOP\rMODE;START\r", true},
        {"second line compared as received", "MODE;STOP\rmode;start\r", false},
        {"third line too late", "A\rB\rMODE;START\r", false},
        {"short echo", "MODE;STA\r", false},
        {"no answer", "", false},
    };
    for (const Case& c : cases) {
        LinkRig rig;
        rig.line->incoming = c.incoming;
        std::string command = "mode;start\r";
        EXPECT_EQ(rig.link.SendExpectEcho(command, 100), c.ok) << c.name;
        EXPECT_EQ(command, "MODE;START\r") << c.name;
    }
}

// Guards against a failed open leaving the port open with partial settings.
TEST(PacketLink, FailedOpenClosesThePort) {
    for (const char* step : {"SetDtr", "SetTimeouts"}) {
        FakeClock clock;
        PacketLink link(clock);
        auto scripted = std::make_unique<test::ScriptedLine>(clock);
        test::ScriptedLine& line = *scripted;
        line.failAt = step;
        // The link drops the line it could not open; keep it alive to look at it afterwards.
        auto keep = std::shared_ptr<test::ScriptedLine>(scripted.release());
        struct Forward final : SerialLine {
            std::shared_ptr<test::ScriptedLine> to;
            void Open(const LineSettings& s) override { to->Open(s); }
            int Close() override { return to->Close(); }
            bool IsOpen() const override { return to->IsOpen(); }
            std::size_t Read(void* b, std::size_t n) override { return to->Read(b, n); }
            std::size_t Write(const void* d, std::size_t n) override { return to->Write(d, n); }
            void SetTimeouts(const SerialTimeouts& t) override { to->SetTimeouts(t); }
            void SetDtr() override { to->SetDtr(); }
            void ClearDtr() override { to->ClearDtr(); }
            const std::string& Name() const override { return to->Name(); }
        };
        auto forward = std::make_unique<Forward>();
        forward->to = keep;
        EXPECT_FALSE(link.OpenLine(std::move(forward))) << step;
        EXPECT_FALSE(link.IsOpen()) << step;
        EXPECT_FALSE(line.IsOpen()) << step;
        EXPECT_EQ(line.calls.back(), "Close") << step;
    }
}

// Guards against wrong line settings, time-outs or DTR handling on open and close.
TEST(PacketLink, OpenAndCloseSettings) {
    LinkRig rig;
    EXPECT_EQ(rig.line->settings.baudRate, 9600u);
    EXPECT_EQ(rig.line->settings.parity, kParityNone);
    EXPECT_EQ(rig.line->settings.dataBits, 8);
    EXPECT_EQ(rig.line->settings.stopBits, kStopOne);
    EXPECT_EQ(rig.line->settings.flowControl, kFlowNone);
    EXPECT_EQ(rig.line->timeouts.ReadIntervalTimeout, 100u);
    EXPECT_EQ(rig.line->timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(rig.line->timeouts.ReadTotalTimeoutConstant, 2000u);
    EXPECT_EQ(rig.line->timeouts.WriteTotalTimeoutMultiplier, 2u);
    EXPECT_EQ(rig.line->timeouts.WriteTotalTimeoutConstant, 100u);
    auto& calls = rig.line->calls;
    rig.link.ClosePort();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "ClearDtr");
    EXPECT_EQ(calls[1], "Close");
    EXPECT_FALSE(rig.link.IsOpen());
    std::string reply;
    EXPECT_FALSE(rig.link.SendPacket("info\r"));
    EXPECT_FALSE(rig.link.ReceiveLine(reply));
}

// Guards against a port error escaping the link as an exception.
TEST(PacketLink, PortErrorsBecomeFailures) {
    LinkRig rig;
    rig.line->failAt = "Write";
    EXPECT_FALSE(rig.link.SendPacket("info\r"));
    rig.line->failAt = "Read";
    std::string reply;
    EXPECT_FALSE(rig.link.ReceiveLine(reply));
    EXPECT_FALSE(rig.link.Transact("info\r", reply, 2));
}

// Guards against log lines in another format, and against a log written while switched off.
TEST(DebugLog, WritesExactLinesOnlyWhenOn) {
    test::TempFolder folder;
    FakeClock clock({2011, 1, 18, 15, 30, 5, 42});
    const std::string log = folder.File("vg28.log");

    SetDebugLogSource(folder.File("absent.ini"), log, &clock);
    DebugLog("SendPacket(%d) [%s]", 5, "info\r");
    EXPECT_FALSE(folder.Exists("vg28.log"));

    folder.WriteFile("off.ini", "[Debug]\r\nLog=0\r\n");
    SetDebugLogSource(folder.File("off.ini"), log, &clock);
    DebugLog("x");
    EXPECT_FALSE(folder.Exists("vg28.log"));

    folder.WriteFile("on.ini", "[Debug]\r\nLog=1\r\n");
    SetDebugLogSource(folder.File("on.ini"), log, &clock);
    DebugLog("SendPacket(%d) [%s]", 5, "info\r");
    DebugLog("RecvPacket(%d) [%s]", 1, "MODE;START\r");
    DebugLog("ends with CR\r");
    // The decision holds: switching the profile off later changes nothing.
    folder.WriteFile("on.ini", "[Debug]\r\nLog=0\r\n");
    DebugLog("%s", std::string(3000, 'x').c_str());
    const std::string expected =
        "18.01.2011 15:30:05.042 - SendPacket(5) [info\r]\r\n"
        "18.01.2011 15:30:05.042 - RecvPacket(1) [MODE;START\r]\r\n"
        "18.01.2011 15:30:05.042 - ends with CR\r\n";
    const std::string text = folder.ReadFile("vg28.log");
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    // An overlong message is cut to the 2047 characters of its buffer.
    EXPECT_EQ(text.size() - expected.size(),
              std::string("18.01.2011 15:30:05.042 - ").size() + 2047 + 2);
    SetDebugLogSource("", "");
}

// Guards against a FIFO in the place of the log blocking the program at its first logged line
// (an open for writing waits for a reader); the line is dropped, as any unwritable line is.
TEST(DebugLog, PipeInPlaceOfTheLogIsNeverOpened) {
    test::TempFolder folder;
    FakeClock clock;
    folder.WriteFile("on.ini", "[Debug]\nLog=1\n");
    const std::string log = folder.File("pipe.log");
    ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
    SetDebugLogSource(folder.File("on.ini"), log, &clock);
    // Should the open block, a reader opened from another thread lets it go on, so that the test
    // fails instead of hanging.
    std::atomic<bool> logged{false};
    std::thread rescue([&] {
        for (int i = 0; i < 200 && !logged; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (logged) return;
        const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK);
        while (!logged)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (reader >= 0) ::close(reader);
    });
    const auto started = std::chrono::steady_clock::now();
    DebugLog("first line");
    logged = true;
    rescue.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    struct stat info {};
    ASSERT_EQ(::stat(log.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    SetDebugLogSource("", "");
}

// Guards against logging more than 479 characters of a reply.
TEST(DebugLog, RecvPacketLogsAtMost479Characters) {
    test::TempFolder folder;
    FakeClock clock;
    folder.WriteFile("on.ini", "[Debug]\nLog=1\n");
    SetDebugLogSource(folder.File("on.ini"), folder.File("l.log"), &clock);
    LinkRig rig;
    rig.line->incoming = std::string(1000, 'Z') + "\r";
    std::string reply;
    EXPECT_TRUE(rig.link.ReceiveLine(reply));
    const std::string text = folder.ReadFile("l.log");
    EXPECT_NE(text.find("RecvPacket(1) [" + std::string(479, 'Z') + "]\r\n"), std::string::npos);
    SetDebugLogSource("", "");
}

}  // namespace
}  // namespace vg28
