#include <gtest/gtest.h>

#include <string>

#include "collect/CollectStatus.h"
#include "platform/FixedText.h"

namespace vg28 {
namespace {

NetDevice Device(const char* cp1251Name, std::uint16_t address) {
    NetDevice device;
    CopyText(device.deviceName, cp1251Name);
    device.deviceAddress = address;
    return device;
}

// Guards against a device's last known state being dropped when the list is made anew (the
// next round's status would forget when it last answered), another device's being taken for
// it, or the last round's counts carried into the next.
TEST(CollectStatus, ForDevicesCarriesWhatWasKnownOfTheSameDevice) {
    CollectStatus before;
    DeviceStatus a;
    a.name = "a";
    a.address = 1;
    a.result = "ok";
    a.project = "Demo1";
    a.records = 40;
    a.added = 3;
    a.em50Added = 2;
    a.lastContact = "2011-01-18 15:30:00";
    a.notes.push_back("clock set");
    before.devices.push_back(a);
    DeviceStatus moved = a;
    moved.name = "b";
    moved.address = 5;
    before.devices.push_back(moved);

    // "Теплица" in CP1251: the status has it in UTF-8.
    const CollectStatus after = before.ForDevices(
        {Device("\xD2\xE5\xEF\xEB\xE8\xF6\xE0", 4), Device("b", 6), Device("a", 1)});
    ASSERT_EQ(after.devices.size(), 3u);
    EXPECT_EQ(after.devices[0].name, "Теплица");
    EXPECT_EQ(after.devices[0].result, DeviceStatus::kNotYet);
    EXPECT_FALSE(after.devices[0].lastContact);
    EXPECT_EQ(after.devices[1].address, 6);
    EXPECT_TRUE(after.devices[1].project.empty()) << "another address is another device";
    const DeviceStatus& carried = after.devices[2];
    EXPECT_EQ(carried.project, "Demo1");
    EXPECT_EQ(carried.records, 40);
    EXPECT_EQ(carried.lastContact, a.lastContact);
    EXPECT_EQ(carried.added, 0);
    EXPECT_EQ(carried.em50Added, 0);
    EXPECT_TRUE(carried.notes.empty());
}

// Guards against the status table losing its columns' alignment for names outside ASCII or
// a missing value, and the log line leaving out why a device was not collected.
TEST(CollectStatus, TableAndLogLine) {
    CollectStatus status;
    DeviceStatus ok;
    ok.name = "теплица";
    ok.address = 12;
    ok.result = "ok";
    ok.project = "Томаты";
    ok.records = 51;
    ok.added = 3;
    ok.lastRecord = "2011-01-18 16:00:00";
    ok.lastContact = "2011-01-18 16:04:05";
    ok.clockOffset = -2;
    ok.mode = "record";
    ok.nextRecord = "2011-01-18 16:10:00";
    DeviceStatus absent;
    absent.name = "x";
    absent.address = 9;
    absent.result = "no answer within 15 s";
    status.devices = {ok, absent};
    EXPECT_EQ(status.Table(),
              "DEVICE   ADDRESS  PROJECT  RECORDS  ADDED  EM50  LAST RECORD          LAST "
              "CONTACT         CLOCK  MODE    NEXT RECORD          RESULT\n"
              "теплица  12       Томаты   51       3      0     2011-01-18 16:00:00  2011-01-18 "
              "16:04:05  -2     record  2011-01-18 16:10:00  ok\n"
              "x        9        -        0        0      0     -                    -         "
              "           -      -       -                    no answer within 15 s\n");
    EXPECT_EQ(ok.LogLine(),
              "теплица [12]: ok; project Томаты, 51 records (+3, Em50 +0), last 2011-01-18 "
              "16:00:00; clock -2 s; mode record; next record 2011-01-18 16:10:00");
    EXPECT_EQ(absent.LogLine(), "x [9]: no answer within 15 s; last contact -");
}

}  // namespace
}  // namespace vg28
