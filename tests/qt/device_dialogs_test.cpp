// The connection settings, the device list and the About box: the port list and its
// preselection, the device rows, the direct-connection question, Escape, and what the main
// window's commands do with the answers.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <fstream>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "base/Profile.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "session/CommandIds.h"
#include "support/PtyPair.h"
#include "support/RecordingOperator.h"
#include "ui/AboutDialog.h"
#include "ui/ConnectionSettingsDialog.h"
#include "ui/DeviceListDialog.h"

namespace vg28::test {
namespace {

NetDevice Device(const std::string& cp1251Name, std::uint16_t address) {
    NetDevice device;
    CopyText(device.deviceName, cp1251Name);
    device.deviceAddress = address;
    return device;
}

QStringList Entries(const QComboBox& combo) {
    QStringList entries;
    for (int i = 0; i < combo.count(); ++i)
        entries << combo.itemText(i);
    return entries;
}

QStringList Rows(const QTreeWidget& list) {
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        rows << list.topLevelItem(i)->text(0);
    return rows;
}

int SelectedRow(const QTreeWidget& list) {
    const QList<QTreeWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.indexOfTopLevelItem(selected.front());
}

// A port that vanished leaving the list without a selection (or selecting the vanished name),
// the simulator missing from the list, or a present port not preselected.
TEST(ConnectionSettings, ListsPortsAndPreselects) {
    const struct {
        std::vector<std::string> ports;
        const char* current;
        const char* entries;
        const char* selected;
    } rows[] = {
        {{"/dev/ttyS0", "/dev/ttyUSB3"},
         "/dev/ttyUSB1",
         "/dev/ttyS0|/dev/ttyUSB3|simulator",
         "/dev/ttyS0"},
        {{"/dev/ttyS0", "/dev/ttyUSB3"},
         "/dev/ttyUSB3",
         "/dev/ttyS0|/dev/ttyUSB3|simulator",
         "/dev/ttyUSB3"},
        {{"/dev/ttyS0"}, "simulator", "/dev/ttyS0|simulator", "simulator"},
        {{}, "/dev/ttyUSB0", "simulator", "simulator"},
        {{}, "", "simulator", "simulator"},
    };
    for (const auto& row : rows) {
        ui::ConnectionSettingsDialog dialog(row.ports, row.current);
        EXPECT_EQ(Entries(*dialog.PortList()).join(QLatin1Char('|')),
                  QString::fromUtf8(row.entries))
            << row.current;
        EXPECT_EQ(dialog.Port(), row.selected) << row.current;
        EXPECT_FALSE(dialog.PortList()->isEditable());
    }
}

// The chosen port not reaching the profile (so the next connection uses the old one), or a
// cancelled dialog changing it.
TEST(ConnectionSettings, OkStoresThePortCancelKeepsIt) {
    for (const bool ok : {true, false}) {
        RunningTerminal t([](UiProgramFolder& f) {
            Profile(f.SettingsPath()).Write(keys::kPortDevice, "/dev/vg28-missing-port");
        });
        ASSERT_TRUE(t.Started());
        AnswerModal(QString::fromLatin1(ok ? "ok" : "cancel"), [&](QWidget* dialog) {
            auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("portList"));
            ASSERT_NE(combo, nullptr);
            // The missing port is not offered; the simulator is.
            EXPECT_EQ(combo->findText(QStringLiteral("/dev/vg28-missing-port")), -1);
            combo->setCurrentIndex(combo->findText(QStringLiteral("simulator")));
        });
        bool ran = false;
        ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kConnectionSettings));
        ASSERT_TRUE(ran);
        EXPECT_EQ(UnansweredModals(), 0);
        const std::string expected = ok ? "simulator" : "/dev/vg28-missing-port";
        EXPECT_EQ(t.Frame().GetSession().PortName(), expected);
        EXPECT_EQ(Profile(t.Folder().SettingsPath()).Get(keys::kPortDevice), expected);
    }
}

// Rows that drop the address, show "[0]", garble a Cyrillic name, or select the wrong row.
TEST(DeviceList, RowsAndTheCurrentInstrument) {
    const std::string cyrillic = TextCodec::Utf8ToCp1251("теплица");
    const std::vector<NetDevice> devices = {Device("greenhouse 1", 12), Device("station", 0),
                                            Device(cyrillic, 7)};
    const struct {
        std::vector<NetDevice> devices;
        std::string address;
        int selected;
    } rows[] = {
        {devices, "station", 2}, {devices, cyrillic, 3},   {devices, "greenhouse 1", 1},
        {devices, "", -1},       {devices, "Station", -1},  // exact comparison
        {{}, "station", -1},
    };
    for (const auto& row : rows) {
        RecordingOperator op;
        ui::DeviceListDialog dialog(row.devices, row.address, op);
        QStringList expected{QStringLiteral("Прямое соединение")};
        if (!row.devices.empty())
            expected << QStringLiteral("greenhouse 1 [12]") << QStringLiteral("station")
                     << QStringLiteral("теплица [7]");
        EXPECT_EQ(Rows(*dialog.List()), expected);
        EXPECT_EQ(SelectedRow(*dialog.List()), row.selected) << row.address;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Список устройств"));
        EXPECT_EQ(dialog.List()->headerItem()->text(0), QStringLiteral("ID устройства"));
        // No row is cut short.
        const int widest = dialog.List()->fontMetrics().horizontalAdvance(expected.back());
        EXPECT_GE(dialog.List()->columnWidth(0), std::max(102, widest));
    }
}

// Choosing with nothing selected closing the dialog, the direct connection taken without the
// question (or No closing the dialog), a wrong address for an instrument, or Escape closing.
TEST(DeviceList, ChoosingRowsAndTheDirectConnection) {
    const std::vector<NetDevice> devices = {Device("greenhouse 1", 12), Device("station", 0)};
    const struct {
        int row;  // -1: none selected
        Answer answer;
        bool accepted;
        const char* name;
        std::uint16_t address;
        bool asked;
    } rows[] = {
        {-1, Answer::Yes, false, "", 0, false},
        {0, Answer::No, false, "", 0, true},
        {0, Answer::Yes, true, "", 0xFFFF, true},
        {1, Answer::Yes, true, "greenhouse 1", 12, false},
        {2, Answer::Yes, true, "station", 0, false},
    };
    for (const auto& row : rows) {
        RecordingOperator op;
        op.SetDefault(row.answer);
        ui::DeviceListDialog dialog(devices, "", op);
        dialog.show();
        if (row.row >= 0) dialog.List()->setCurrentItem(dialog.List()->topLevelItem(row.row));
        QTest::keyClick(dialog.List(), Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible()) << "Escape closed the dialog";
        Child<QPushButton>(dialog, QStringLiteral("choose"))->click();
        EXPECT_EQ(dialog.isVisible(), !row.accepted) << row.row;
        EXPECT_EQ(dialog.result() == QDialog::Accepted, row.accepted) << row.row;
        ASSERT_EQ(op.Messages().size(), row.asked ? 1u : 0u) << row.row;
        if (row.asked) {
            EXPECT_EQ(op.Messages()[0].text, ui::DeviceListDialog::kDirectQuestion);
        }
        if (row.accepted) {
            EXPECT_EQ(dialog.Choice().name, row.name);
            EXPECT_EQ(dialog.Choice().radioAddress, row.address);
        }
    }
}

// A double-click on an instrument not choosing it, or "&Отменить" not cancelling.
TEST(DeviceList, DoubleClickChoosesCancelCancels) {
    const std::vector<NetDevice> devices = {Device("greenhouse 1", 12), Device("station", 0)};
    RecordingOperator op;
    ui::DeviceListDialog chosen(devices, "", op);
    chosen.show();
    QTreeWidget* list = chosen.List();
    const QRect rect = list->visualItemRect(list->topLevelItem(2));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(chosen.result(), QDialog::Accepted);
    EXPECT_EQ(chosen.Choice().name, "station");
    ui::DeviceListDialog cancelled(devices, "station", op);
    cancelled.show();
    Child<QPushButton>(cancelled, QStringLiteral("cancel"))->click();
    EXPECT_FALSE(cancelled.isVisible());
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
}

void WriteNetwork(UiProgramFolder& f) {
    std::ofstream(f.Folder().File("net.xcfg"))
        << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<net>\n"
           "  <device id=\"greenhouse 1\" xsaddr=\"12\"/>\n"
           "  <device id=\"greenhouse 2\" xsaddr=\"13\"/>\n</net>\n";
    Profile profile(f.SettingsPath());
    profile.Write(keys::kPortDevice, "simulator");
}

// Choosing the instrument already selected reconnecting and closing its project; choosing
// another or the confirmed direct connection not switching; a declined question switching.
TEST(DeviceList, ChoiceThroughTheMainWindow) {
    const struct {
        int row;
        const char* answer;  // the direct-connection question, or nothing
        bool switched;
        const char* address;
        std::uint16_t radioAddress;
    } rows[] = {
        {1, nullptr, false, "greenhouse 1", 12},
        {2, nullptr, true, "greenhouse 2", 13},
        {0, "yes", true, "", 0xFFFF},
        {0, "no", false, "greenhouse 1", 12},
    };
    for (const auto& row : rows) {
        RunningTerminal t(WriteNetwork);
        ASSERT_TRUE(t.Started());
        CProjectDoc& doc = *t.App().Core().Doc();
        ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "Greenhouse", {{0, "TA 1"}}));
        CurrentState& state = doc.m_rCurState;
        CopyText(state.address, "greenhouse 1");
        state.radioAddress = 12;
        bool busy = false;
        AnswerModal(QString(), [&](QWidget* dialog) {
            busy = t.Frame().GetSession().IsBusy();
            auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("deviceList"));
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(SelectedRow(*list), 1);  // the current instrument
            list->setCurrentItem(list->topLevelItem(row.row));
            // Clicked once the queued answer to the question waits.
            QTimer::singleShot(0, dialog, [dialog] {
                dialog->findChild<QPushButton*>(QStringLiteral("choose"))->click();
            });
        });
        if (row.answer) {
            AnswerModal(QString::fromLatin1(row.answer), [](QWidget* box) {
                EXPECT_EQ(qobject_cast<QMessageBox*>(box)->text().toStdString(),
                          ui::DeviceListDialog::kDirectQuestion);
            });
            // No keeps the device list open: it is cancelled then.
            if (!std::string(row.answer).compare("no")) AnswerModal(QStringLiteral("cancel"));
        }
        bool ran = false;
        ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kSelectDevice));
        ASSERT_TRUE(ran);
        EXPECT_EQ(UnansweredModals(), 0) << row.row;
        EXPECT_TRUE(busy);
        EXPECT_EQ(TextOf(state.address), row.address) << row.row;
        EXPECT_EQ(state.radioAddress, row.radioAddress) << row.row;
        EXPECT_EQ(doc.HasProject(), !row.switched) << row.row;
        EXPECT_EQ(t.Frame().GetSession().IsPortOpen(), row.switched) << row.row;
        t.Frame().GetSession().Disconnect(false);
    }
}

// The About box missing the model or the version line, its title bar in English, or the main
// window ticking meanwhile.
TEST(About, ShowsModelAndVersionWhileBusy) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    bool busy = false;
    QString product;
    QString version;
    AnswerModal(QStringLiteral("ok"), [&](QWidget* dialog) {
        busy = t.Frame().GetSession().IsBusy();
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("О программе"));
        product = Child<QLabel>(*dialog, QStringLiteral("aboutProduct"))->text();
        version = Child<QLabel>(*dialog, QStringLiteral("aboutVersion"))->text();
        EXPECT_FALSE(Child<QLabel>(*dialog, QStringLiteral("aboutIcon"))->pixmap().isNull());
    });
    bool ran = false;
    ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kAbout));
    ASSERT_TRUE(ran);
    EXPECT_EQ(UnansweredModals(), 0);
    EXPECT_TRUE(busy);
    EXPECT_FALSE(t.Frame().GetSession().IsBusy());
    EXPECT_TRUE(product.contains(QStringLiteral("VG-28")));
    EXPECT_EQ(version, QStringLiteral("Эмулятор Терминала (Версия 1.0.2.6)"));
}

// Not a test: pictures of the connection settings, the device list and the About box, written
// to the folder named by VG28_SHOT_DIR.
TEST(Shots, DISABLED_ConnectionAndDeviceDialogs) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("VG28_SHOT_DIR"));
    const QDir folder(qEnvironmentVariable("VG28_SHOT_DIR"));
    const auto save = [&](QWidget& widget, const char* name) {
        widget.show();
        RunningTerminal::Pump(100);
        widget.grab().save(folder.filePath(QString::fromLatin1(name) + ".png"));
    };
    ui::ConnectionSettingsDialog settings(
        {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00"},
        "/dev/ttyUSB0");
    save(settings, "dialog-connection-settings");
    RecordingOperator op;
    ui::DeviceListDialog devices(
        {Device("greenhouse 1", 12), Device("station", 0),
         Device(TextCodec::Utf8ToCp1251("теплица северная длинное имя"), 65000)},
        "station", op);
    save(devices, "dialog-device-list");
    ui::AboutDialog about;
    save(about, "dialog-about");
}

// The desktop program's error box for a port that will not open losing the line that says
// why: F2 on a port another program holds.
TEST(ConnectError, BoxSaysThePortIsInUse) {
    PtyPair held;
    ASSERT_FALSE(held.slave.empty());
    const int holder = ::open(held.slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    RunningTerminal t([&](UiProgramFolder& folder) {
        Profile(folder.SettingsPath()).Write(keys::kPortDevice, held.slave);
    });
    ASSERT_TRUE(t.Started());
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    AnswerModal(QStringLiteral("ok"), [&](QWidget* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        text = message->text();
        icon = message->icon();
    });
    ASSERT_TRUE(t.Frame().RunCommand(cmd::kConnect));
    ::close(holder);
    EXPECT_EQ(UnansweredModals(), 0);
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(text, QString::fromStdString(
                        "Ошибка подключения к порту " + held.slave +
                        "\n\nПоследовательный порт либо занят, либо отсутствует в системе.\n\n"
                        "Порт занят другой программой (другой копией терминала, vg28-tool или "
                        "иной). Закройте её и подключитесь снова."));
    EXPECT_FALSE(t.Frame().GetSession().IsPortOpen());
}

// Not a test: the error box of F2 for a port that is missing, one the user may not open (the
// connect runs with the effective user "nobody" when this is root) and one in use, written to
// VG28_SHOT_DIR as port-error-*.png.
TEST(Shots, DISABLED_PortErrors) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("VG28_SHOT_DIR"));
    const QDir folder(qEnvironmentVariable("VG28_SHOT_DIR"));
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    t.Frame().resize(652, 585);
    t.Frame().show();
    const auto shoot = [&](const std::string& port, const char* name) {
        t.Frame().GetSession().SetPortName(port);
        AnswerModal(QStringLiteral("ok"), [&](QWidget* box) {
            // Back to root before the picture is written.
            if (::geteuid() != ::getuid()) {
                EXPECT_EQ(::seteuid(::getuid()), 0);
            }
            RunningTerminal::Pump(100);
            box->grab().save(folder.filePath(QString::fromLatin1(name) + ".png"));
        });
        t.Frame().RunCommand(cmd::kConnect);
    };
    std::string missing = "/dev/ttyUSB0";
    for (int i = 1; ::access(missing.c_str(), F_OK) == 0; ++i)
        missing = "/dev/ttyUSB" + std::to_string(i);
    shoot(missing, "port-error-missing");

    PtyPair held;
    const int holder = ::open(held.slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    shoot(held.slave, "port-error-in-use");
    ::close(holder);

    PtyPair denied;
    const group* dialout = ::getgrnam("dialout");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(denied.slave.c_str(), 0, dialout ? dialout->gr_gid : 0), 0);
        ASSERT_EQ(::chmod(denied.slave.c_str(), 0660), 0);
        const passwd* nobody = ::getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        ASSERT_EQ(::seteuid(nobody->pw_uid), 0);
    } else {
        ASSERT_EQ(::chmod(denied.slave.c_str(), 0), 0);
    }
    shoot(denied.slave, "port-error-denied");
    EXPECT_EQ(::geteuid(), ::getuid());
    EXPECT_EQ(UnansweredModals(), 0);
}

}  // namespace
}  // namespace vg28::test
