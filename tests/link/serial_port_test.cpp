#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "link/CSerialException.h"
#include "link/CSerialPort.h"
#include "link/PacketLink.h"
#include "platform/Clock.h"
#include "project/CurrentState.h"
#include "protocol/InstrumentCommands.h"
#include "protocol/ReplyGrammar.h"
#include "support/OtherUser.h"
#include "support/PtyPair.h"
#include "support/SimProcess.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

using test::PtyPair;

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

void OpenAtInstrumentSettings(CSerialPort& port, const std::string& device) {
    port.Open(device, 9600, kParityNone, 8, kStopOne, kFlowNone);
}

// The failure of opening the device, or nullopt when it opened.
std::optional<PortFailure> OpenFailure(const std::string& device) {
    CSerialPort port;
    try {
        OpenAtInstrumentSettings(port, device);
        return std::nullopt;
    } catch (const CSerialException& error) {
        return error.Failure();
    }
}

// Who holds a port while the test tries to open it a second time.
enum class Holder { PortOfThisProcess, LockOfAnotherDescriptor, LockOfAnotherProcess };

// Guards against a port that another copy of the program or another program holds being opened
// and shared (exclusive mode alone does not stop root), against a refused open leaving the port
// open or disturbing the holder, and against the port staying locked after the holder lets go.
TEST(CSerialPort, PortInUseIsRefusedAndTheHolderGoesOn) {
    for (const Holder holder : {Holder::PortOfThisProcess, Holder::LockOfAnotherDescriptor,
                                Holder::LockOfAnotherProcess}) {
        SCOPED_TRACE(static_cast<int>(holder));
        PtyPair pty;
        ASSERT_FALSE(pty.slave.empty());
        CSerialPort first;
        int lockFd = -1;
        pid_t child = -1;
        int release[2] = {-1, -1};
        if (holder == Holder::PortOfThisProcess) {
            OpenAtInstrumentSettings(first, pty.slave);
        } else if (holder == Holder::LockOfAnotherDescriptor) {
            lockFd = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
            ASSERT_EQ(::flock(lockFd, LOCK_EX | LOCK_NB), 0);
        } else {
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            ASSERT_EQ(::pipe(release), 0);
            child = ::fork();
            if (child == 0) {
                ::close(ready[0]);
                ::close(release[1]);
                const int fd = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
                const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
                (void)!::write(ready[1], &ok, 1);
                char end = 0;
                (void)!::read(release[0], &end, 1);  // until the parent closes its end
                _exit(0);
            }
            ::close(ready[1]);
            ::close(release[0]);
            char ok = 0;
            ASSERT_EQ(::read(ready[0], &ok, 1), 1);
            ::close(ready[0]);
            ASSERT_EQ(ok, 'y');
        }

        CSerialPort second;
        try {
            OpenAtInstrumentSettings(second, pty.slave);
            ADD_FAILURE() << "a port in use opened a second time";
        } catch (const CSerialException& error) {
            EXPECT_EQ(error.Failure(), PortFailure::InUse);
            EXPECT_EQ(error.Error(), static_cast<unsigned long>(EBUSY));
        }
        EXPECT_FALSE(second.IsOpen());

        if (holder == Holder::PortOfThisProcess) {
            // The holder still talks over its port.
            SerialTimeouts timeouts;
            timeouts.ReadTotalTimeoutConstant = 500;
            first.SetTimeouts(timeouts);
            ASSERT_EQ(::write(pty.master, "OK\r", 3), 3);
            char reply[3] = {};
            EXPECT_EQ(first.Read(reply, sizeof reply), 3u);
            EXPECT_EQ(std::string(reply, 3), "OK\r");
            first.Close();
        } else if (lockFd >= 0) {
            ::close(lockFd);
        } else {
            ::close(release[1]);
            int status = 0;
            ::waitpid(child, &status, 0);
        }
        EXPECT_EQ(OpenFailure(pty.slave), std::nullopt) << "still locked after the holder left";
    }
}

// Guards against a failed open whose cause the operator cannot be told: a missing device, a
// device the user may not open, and any other failure each keep their own cause.
TEST(CSerialPort, FailedOpenTellsItsCause) {
    test::TempFolder folder;
    folder.WriteFile("plain-file", "not a terminal");
    EXPECT_EQ(OpenFailure(folder.File("ttyUSB7")), PortFailure::NoSuchPort);
    EXPECT_EQ(OpenFailure(folder.File("plain-file")), PortFailure::Other);

    PtyPair pty;
    ASSERT_TRUE(test::MakeDeviceOfOtherGroup(pty.slave));
    const auto denied = test::RunUnprivileged([&] {
        const std::optional<PortFailure> failure = OpenFailure(pty.slave);
        return std::string(failure == PortFailure::AccessDenied ? "denied" : "other");
    });
    if (!denied) GTEST_SKIP() << "no unprivileged user to open the device as";
    EXPECT_EQ(*denied, "denied");
}

// Guards against the exclusive mode outliving the port: while another program keeps the
// terminal open (vg28-sim keeps its slave open), a user other than root could not open the port
// again after closing it.
TEST(CSerialPort, ClosedPortOpensAgainForAnyUser) {
    PtyPair pty;
    ASSERT_FALSE(pty.slave.empty());
    ASSERT_EQ(::chmod(pty.slave.c_str(), 0666), 0);
    const int keeper = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(keeper, 0);
    const auto result = test::RunUnprivileged([&] {
        std::string seen;
        for (int round = 0; round < 2; ++round) {
            CSerialPort port;
            try {
                OpenAtInstrumentSettings(port, pty.slave);
            } catch (const CSerialException& error) {
                return seen + "open " + std::to_string(round) + " failed: " + error.Message();
            }
            // Its own second open is refused too: one owner per port.
            const std::optional<PortFailure> again = OpenFailure(pty.slave);
            seen += again == PortFailure::InUse ? "held;" : "shared;";
            port.Close();
        }
        return seen;
    });
    ::close(keeper);
    if (!result) GTEST_SKIP() << "no unprivileged user to open the port as";
    EXPECT_EQ(*result, "held;held;");
}

}  // namespace
}  // namespace vg28
