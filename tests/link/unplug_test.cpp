#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "link/CSerialException.h"
#include "link/CSerialPort.h"
#include "link/PacketLink.h"
#include "platform/FakeClock.h"
#include "support/PtyPair.h"
#include "support/SimProcess.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

// Guards against a read or write on a terminal whose far end went away (a USB adapter pulled
// out looks the same to the port) counting as a silent line, which would keep the session
// talking to a dead descriptor for ever, and against other failures being taken for it.
TEST(PortUnplug, FailuresOfAPortWhoseDeviceWentAwayAreTold) {
    struct Case {
        const char* name;
        bool write;
    } cases[] = {{"read", false}, {"write", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::PtyPair pty;
        ASSERT_FALSE(pty.slave.empty());
        CSerialPort port;
        port.Open(pty.slave, 9600, kParityNone, 8, kStopOne, kFlowNone);
        SerialTimeouts timeouts{};
        timeouts.ReadTotalTimeoutConstant = 500;
        timeouts.WriteTotalTimeoutConstant = 500;
        port.SetTimeouts(timeouts);
        ::close(pty.master);
        pty.master = -1;
        bool gone = false;
        try {
            char bytes[8] = "mode\r";
            if (c.write) {
                port.Write(bytes, 5);
            } else {
                port.Read(bytes, sizeof bytes);
            }
        } catch (const CSerialException& error) {
            gone = error.IsDeviceGone();
        }
        EXPECT_TRUE(gone);
    }
    const unsigned long otherFailures[] = {ENOENT, EACCES, EBUSY, CSerialException::kStopped};
    for (const unsigned long code : otherFailures)
        EXPECT_FALSE(CSerialException::DeviceGone(code)) << code;
}

// Guards against the link giving up its port for good when the device goes away, against the
// port not being opened again under its name (a /dev/serial/by-id link, here vg28-sim's
// --link) once the adapter is back, against a try while it is away costing no time (the
// search would be over before anyone could plug it back in), and against a port the operator
// closed being opened again.
TEST(PortUnplug, LinkOpensTheSameNameAgainWhenTheDeviceIsBack) {
    test::TempFolder folder;
    const std::string byId = folder.File("usb-Arbolux_VG-28-if00-port0");
    FakeClock clock(LocalTime{2026, 12, 8, 12, 0, 0});
    PacketLink link(clock);
    std::string reply;

    test::SimProcess first;
    ASSERT_EQ(first.Start({"--link", byId, "--mode", "MANUAL"}).rfind("/dev/", 0), 0u);
    ASSERT_TRUE(link.OpenPort(byId));
    ASSERT_TRUE(link.Transact("mode\r", reply, 1, "MODE;"));

    // Pulled out: the far end closes and the by-id name disappears.
    EXPECT_TRUE(first.Stop());
    EXPECT_FALSE(link.Transact("mode\r", reply, 1, "MODE;"));
    EXPECT_TRUE(link.IsOpen()) << "the port is still the operator's";
    ASSERT_NE(link.Line(), nullptr);
    EXPECT_FALSE(link.Line()->IsOpen()) << "the dead descriptor is kept";
    const std::int64_t before = clock.MonotonicMs();
    EXPECT_FALSE(link.Transact("mode\r", reply, 1, "MODE;"));
    EXPECT_GE(clock.MonotonicMs() - before, PacketLink::kReadTimeoutMs);

    // Plugged in again: a new instrument behind the same name.
    test::SimProcess second;
    ASSERT_EQ(second.Start({"--link", byId, "--mode", "STOP"}).rfind("/dev/", 0), 0u);
    ASSERT_TRUE(link.Transact("mode\r", reply, 1, "MODE;")) << reply;
    EXPECT_EQ(reply.rfind("MODE;STOP", 0), 0u) << reply;
    EXPECT_TRUE(link.Line()->IsOpen());

    // Closed by the operator, then pulled out: nothing opens it again.
    link.ClosePort();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.Transact("mode\r", reply, 1, "MODE;"));
    EXPECT_FALSE(link.Line()->IsOpen());
    EXPECT_TRUE(second.Stop());
}

}  // namespace
}  // namespace vg28
