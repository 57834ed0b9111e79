#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/CSerialException.h"
#include "link/CSerialPort.h"
#include "link/PacketLink.h"
#include "platform/Clock.h"
#include "project/CurrentState.h"
#include "protocol/InstrumentCommands.h"
#include "protocol/ReplyGrammar.h"
#include "support/SimProcess.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

// A pseudo-terminal pair: the test holds the master, the port opens the slave.
struct PtyPair {
    int master = -1;
    std::string slave;
    PtyPair() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            char name[128] = {};
            if (::ptsname_r(master, name, sizeof name) == 0) slave = name;
        }
    }
    ~PtyPair() {
        if (master >= 0) ::close(master);
    }
};

// Guards against the connection settings dropping a stored port that works but has none of the
// usual serial names (a pseudo-terminal), or offering one that is gone or is no device.
TEST(CSerialPort, PortsToOfferKeepTheStoredTerminal) {
    PtyPair pty;
    ASSERT_FALSE(pty.slave.empty());
    const struct {
        std::string current;
        bool offered;
    } cases[] = {
        {pty.slave, true},
        {"/dev/vg28-no-such-port", false},
        {"/etc/hostname", false},
        {"", false},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> ports = CSerialPort::PortsToOffer(c.current);
        const long found = std::count(ports.begin(), ports.end(), c.current);
        EXPECT_EQ(found, c.offered ? 1 : 0) << c.current;
        EXPECT_EQ(ports.size(), CSerialPort::EnumeratePorts().size() + (c.offered ? 1 : 0));
    }
}

// Guards against a pseudo-terminal not working as a port: raw bytes both ways, time-outs that
// return 0 instead of blocking, modem-control calls it refuses, close semantics.
TEST(CSerialPort, WorksOnPseudoTerminal) {
    PtyPair pty;
    ASSERT_FALSE(pty.slave.empty());
    CSerialPort port;
    port.Open(pty.slave, 9600, kParityNone, 8, kStopOne, kFlowNone);
    ASSERT_TRUE(port.IsOpen());
    EXPECT_NO_THROW(port.SetDtr());
    EXPECT_NO_THROW(port.ClearDtr());
    SerialTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 10;
    timeouts.ReadTotalTimeoutConstant = 30;
    port.SetTimeouts(timeouts);

    unsigned char byte = 0;
    EXPECT_EQ(port.Read(&byte, 1), 0u);  // nothing comes: the read times out

    const char reply[] = "MODE;START\r\n\x01\xFF";
    ASSERT_EQ(::write(pty.master, reply, sizeof reply - 1), static_cast<ssize_t>(sizeof reply - 1));
    char buffer[64] = {};
    std::size_t got = 0;
    while (got < sizeof reply - 1) {
        const std::size_t n = port.Read(buffer + got, sizeof reply - 1 - got);
        if (n == 0) break;
        got += n;
    }
    EXPECT_EQ(std::string(buffer, got), std::string(reply, sizeof reply - 1));  // no translation

    EXPECT_EQ(port.Write("info\r", 5), 5u);
    char sent[16] = {};
    ::usleep(20000);
    EXPECT_EQ(::read(pty.master, sent, sizeof sent), 5);
    EXPECT_EQ(std::string(sent, 5), "info\r");

    EXPECT_NE(port.Close(), -1);
    EXPECT_EQ(port.Close(), -1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_THROW(port.Read(&byte, 1), CSerialException);
}

// Guards against a failed open being silent or carrying no error code and text.
TEST(CSerialPort, FailedOpenThrowsWithCode) {
    CSerialPort port;
    try {
        port.Open("/dev/nonexistent-vg28-port", 9600, kParityNone, 8, kStopOne, kFlowNone);
        FAIL() << "open succeeded";
    } catch (const CSerialException& error) {
        EXPECT_EQ(error.Error(), static_cast<unsigned long>(ENOENT));
        char text[8];
        unsigned help = 7;
        EXPECT_TRUE(error.GetErrorMessage(text, sizeof text, &help));
        EXPECT_EQ(help, 0u);
        EXPECT_EQ(std::strlen(text), sizeof text - 1);  // cut to the buffer
    }
    EXPECT_FALSE(port.IsOpen());

    // Bad settings fail after the open; the caller (the link) then closes the port.
    PtyPair pty;
    EXPECT_THROW(port.Open(pty.slave, 12345, kParityNone, 8, kStopOne, kFlowNone),
                 CSerialException);
    EXPECT_TRUE(port.IsOpen());
    port.Close();
    PacketLink link(Clock::System());
    EXPECT_FALSE(link.OpenPort("/dev/nonexistent-vg28-port"));
}

// Guards against the real serial path not reaching an instrument: vg28-sim on a
// pseudo-terminal, the port opened by its link name, identification and a record selection.
TEST(CSerialPort, TalksToSimulatorProgram) {
    test::TempFolder folder;
    const std::string linkPath = folder.File("ttyVG28");
    test::SimProcess sim;
    const std::string printed =
        sim.Start({"--link", linkPath, "--records", "5", "--mode", "MANUAL"});
    ASSERT_EQ(printed.rfind("/dev/", 0), 0u) << printed;

    CurrentState state{};
    PacketLink link(Clock::System());
    link.SetState(&state);
    ASSERT_TRUE(link.OpenPort(linkPath));
    InstrumentCommands commands(link);
    std::string info;
    EXPECT_TRUE(commands.QueryInfo(info));
    EXPECT_EQ(info.substr(0, 6), "VG-28;");
    int mode = -1;
    EXPECT_TRUE(commands.QueryMode(mode));
    EXPECT_EQ(mode, 1);
    int count = -1;
    EXPECT_TRUE(commands.SelectRecordsFrom(TimeStamp{}, count));
    EXPECT_EQ(count, 5);
    for (int i = 0; i < count; ++i) {
        std::string line;
        ASSERT_TRUE(commands.ReadLine(line));
        EXPECT_EQ(line.rfind("RECORD;", 0), 0u);
    }
    EXPECT_NE(state.lastReplyTime, 0);
    link.ClosePort();

    EXPECT_TRUE(sim.Stop());
}

}  // namespace
}  // namespace vg28
