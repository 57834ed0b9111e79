#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "link/PortEnumerator.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

namespace fs = std::filesystem;

// A device folder made of plain files and the relative links udev makes in serial/by-id; the
// probe finds every device but the ones named absent.
struct FakeDevices {
    test::TempFolder root;
    std::string dev = root.File("dev");
    std::set<std::string> absent;

    FakeDevices() {
        fs::create_directories(dev + "/serial/by-id");
        for (const char* name :
             {"ttyS0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB0", "ttyUSB1", "ttyACM0", "ttyACM1",
              "ttyAMA0", "ttyUSB", "ttySx", "tty1", "console", "null"})
            root.WriteFile(std::string("dev/") + name, "");
        Link("usb-FTDI_FT232R_A50285BI-if00-port0", "../../ttyUSB1");
        Link("usb-Arduino_Uno_7523-if00", "../../ttyACM0");
        Link("usb-Silicon_Labs_CP2102_0001-if00-port0", "../../ttyUSB7");  // unplugged
        absent.insert(dev + "/ttyS1");
    }
    void Link(const std::string& name, const std::string& target) const {
        fs::create_symlink(target, dev + "/serial/by-id/" + name);
    }
    PortEnumerator Enumerator() const {
        return PortEnumerator(dev, [this](const std::string& path) {
            return absent.count(path) == 0 && fs::exists(path);
        });
    }
    std::string ById(const std::string& name) const { return dev + "/serial/by-id/" + name; }
    std::string Dev(const std::string& name) const { return dev + "/" + name; }
};

// Guards against an adapter listed twice (its device and its by-id link), listed under the
// name that changes with the plugging order when it has a stable one, a dangling link or a
// device that is not there listed, and against the order of the device names being lost.
TEST(PortEnumerator, EachDeviceOnceUnderItsStableName) {
    FakeDevices f;
    EXPECT_EQ(f.Enumerator().Ports(), std::vector<std::string>({
                                          f.ById("usb-Arduino_Uno_7523-if00"),
                                          f.Dev("ttyACM1"),
                                          f.Dev("ttyAMA0"),
                                          f.Dev("ttyS0"),
                                          f.Dev("ttyS2"),
                                          f.Dev("ttyS10"),
                                          f.Dev("ttyUSB0"),
                                          f.ById("usb-FTDI_FT232R_A50285BI-if00-port0"),
                                      }));
    // Two links to one device: the device is still listed once, under the first link.
    f.Link("usb-0_alias", "../../ttyUSB1");
    const std::vector<std::string> ports = f.Enumerator().Ports();
    EXPECT_EQ(std::count(ports.begin(), ports.end(), f.ById("usb-0_alias")), 1);
    EXPECT_EQ(std::count(ports.begin(), ports.end(), f.ById("usb-FTDI_FT232R_A50285BI-if00-port0")),
              0);
    EXPECT_EQ(ports.size(), 8u);
    // No by-id folder at all: the device names.
    fs::remove_all(f.dev + "/serial");
    EXPECT_EQ(f.Enumerator().Ports().at(0), f.Dev("ttyACM0"));
    EXPECT_TRUE(PortEnumerator(f.root.File("none")).Ports().empty());
}

// Guards against the connection settings losing the stored port or listing it twice: a port
// stored under its device name stands in for its by-id entry; a terminal without a usual name
// (a pseudo-terminal) is added; anything else stored is not offered.
TEST(PortEnumerator, PortsToOfferKeepTheStoredPort) {
    FakeDevices f;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    char slave[128] = {};
    ASSERT_EQ(::ptsname_r(master, slave, sizeof slave), 0);
    const std::vector<std::string> listed = f.Enumerator().Ports();
    const std::string byId = f.ById("usb-FTDI_FT232R_A50285BI-if00-port0");
    const struct {
        std::string current;
        std::string replaces;  // the listed entry current stands in for
        bool added;
    } cases[] = {
        {f.Dev("ttyUSB1"), byId, false},
        {byId, "", false},
        {f.Dev("ttyS0"), "", false},
        {slave, "", true},
        {f.Dev("ttyS1"), "", false},  // not there
        {f.Dev("console"), "", false},
        {f.root.File("dev/nothing"), "", false},
        {"", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.current);
        std::vector<std::string> expected = listed;
        if (!c.replaces.empty())
            *std::find(expected.begin(), expected.end(), c.replaces) = c.current;
        if (c.added) expected.push_back(c.current);
        EXPECT_EQ(f.Enumerator().PortsToOffer(c.current), expected);
    }
    ::close(master);
}

}  // namespace
}  // namespace vg28
