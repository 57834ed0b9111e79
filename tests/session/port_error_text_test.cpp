#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "SessionHarness.h"
#include "link/CSerialPort.h"
#include "session/PortErrorText.h"
#include "support/OtherUser.h"
#include "support/PtyPair.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

const std::string kFailed = "Ошибка подключения к порту ";
const std::string kMaybeBusyOrMissing =
    "\n\nПоследовательный порт либо занят, либо отсутствует в системе.";
const std::string kInUse =
    "Порт занят другой программой (другой копией терминала, vg28-tool или иной). Закройте её и "
    "подключитесь снова.";

std::string GroupOfFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    const group* entry = ::getgrgid(info.st_gid);
    return entry ? entry->gr_name : std::to_string(info.st_gid);
}

std::string ThisUser() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry ? entry->pw_name : "";
}

std::string AccessDeniedLine(const std::string& group, const std::string& user) {
    return "Нет прав на доступ к порту: пользователь должен состоять в группе " + group +
           ", которой принадлежит устройство. Добавьте его в группу (sudo "
           "usermod -aG " +
           group + " " + user + ") и войдите в систему заново.";
}

// Guards against the operator being sent looking in the wrong place: each cause of a failed
// open gets its own line under message 10110 (the ports there are instead of a missing one, the
// device's group to join, another program holding it), and any other failure only 10110.
TEST(PortErrorText, OneLineByCause) {
    test::TempFolder folder;
    folder.WriteFile("ttyUSB0", "");
    const std::string device = folder.File("ttyUSB0");
    const std::vector<std::string> two = {"/dev/serial/by-id/usb-FTDI_FT232R_A5-if00-port0",
                                          "/dev/ttyS0"};
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back("/dev/ttyS" + std::to_string(i));
    const struct {
        const char* name;
        unsigned long error;
        std::vector<std::string> found;
        std::string line;  // empty: 10110 alone
    } cases[] = {
        {"missing", ENOENT, two,
         "Такого порта нет. Найденные порты: /dev/serial/by-id/usb-FTDI_FT232R_A5-if00-port0, "
         "/dev/ttyS0"},
        {"gone adapter",
         ENODEV,
         {},
         "Такого порта нет, и других последовательных портов в системе не найдено."},
        {"many ports", ENXIO, ten,
         "Такого порта нет. Найденные порты: /dev/ttyS0, /dev/ttyS1, /dev/ttyS2, /dev/ttyS3, "
         "/dev/ttyS4, /dev/ttyS5, /dev/ttyS6, /dev/ttyS7, …"},
        {"denied", EACCES, two, AccessDeniedLine(GroupOfFile(device), ThisUser())},
        {"in use", EBUSY, two, kInUse},
        {"not a terminal", ENOTTY, two, ""},
        {"no code", 0, two, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int listed = 0;
        const std::string text = PortErrorText(device, c.error, [&] {
            ++listed;
            return c.found;
        });
        std::string expected = kFailed + device + kMaybeBusyOrMissing;
        if (!c.line.empty()) expected += "\n\n" + c.line;
        EXPECT_EQ(text, expected);
        // The ports are looked for only when they are to be named.
        EXPECT_EQ(listed, c.line.rfind("Такого порта нет", 0) == 0 ? 1 : 0);
    }
}

// Guards against the group in the advice being a guess: it is the group of the device itself.
TEST(PortErrorText, NamesTheGroupOfTheDevice) {
    test::PtyPair pty;
    ASSERT_FALSE(pty.slave.empty());
    ASSERT_TRUE(test::MakeDeviceOfOtherGroup(pty.slave));
    const std::string group = GroupOfFile(pty.slave);
    ASSERT_FALSE(group.empty());
    EXPECT_EQ(DeviceGroupOf(pty.slave), group);
    EXPECT_NE(PortErrorText(pty.slave, EACCES).find(AccessDeniedLine(group, ThisUser())),
              std::string::npos);
    EXPECT_EQ(DeviceGroupOf("/nonexistent/ttyUSB0"), "");
}

// Guards against the cause being lost between the port and the desktop program's connect: the
// session's message for a real port that is missing, held by another program, or not the
// user's to open.
TEST(PortErrorText, SessionConnectTellsTheCause) {
    test::TempFolder folder;
    test::PtyPair held;
    ASSERT_FALSE(held.slave.empty());
    const int holder = ::open(held.slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    test::PtyPair denied;
    ASSERT_TRUE(test::MakeDeviceOfOtherGroup(denied.slave));

    // What Connect showed, as "<message count> <text>".
    auto connect = [](test::SessionHarness& h, const std::string& port) {
        h.session->SetLineFactory({});  // the real serial port
        h.session->SetPortName(port);
        h.session->Connect();
        const bool unchanged = !h.session->IsPortOpen() && h.State().step == 0;
        if (h.op.Ids() != std::vector<int>{10110} || !unchanged) return std::string("wrong");
        return h.op.Messages()[0].text;
    };

    const std::string missing = folder.File("ttyUSB9");
    test::SessionHarness h1;
    const std::string missingText = connect(h1, missing);
    ASSERT_EQ(
        missingText.rfind(kFailed + missing + kMaybeBusyOrMissing + "\n\nТакого порта нет", 0), 0u)
        << missingText;
    std::size_t named = 0;
    for (const std::string& port : CSerialPort::EnumeratePorts()) {
        if (named++ < 8) {
            EXPECT_NE(missingText.find(port), std::string::npos) << port;
        }
    }

    test::SessionHarness h2;
    EXPECT_EQ(connect(h2, held.slave),
              kFailed + held.slave + kMaybeBusyOrMissing + "\n\n" + kInUse);
    ::close(holder);

    test::SessionHarness h3;
    const std::string group = GroupOfFile(denied.slave);
    const auto deniedText =
        test::RunUnprivileged([&] { return connect(h3, denied.slave) + "\nuser=" + ThisUser(); });
    if (!deniedText) GTEST_SKIP() << "no unprivileged user to connect as";
    const std::string user = deniedText->substr(deniedText->rfind("\nuser=") + 6);
    EXPECT_EQ(*deniedText, kFailed + denied.slave + kMaybeBusyOrMissing + "\n\n" +
                               AccessDeniedLine(group, user) + "\nuser=" + user);
}

}  // namespace
}  // namespace vg28
