#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/Profile.h"
#include "platform/FixedText.h"
#include "project/ProjectLibrary.h"
#include "session/CommandIds.h"
#include "session/SessionHarness.h"

namespace vg28 {
namespace {

using test::HarnessOptions;
using test::SessionHarness;

NetDevice Device(const char* name, std::uint16_t address) {
    NetDevice device;
    CopyText(device.deviceName, name);
    device.deviceAddress = address;
    return device;
}

// Two instruments on one radio line, each answering only to its own name.
HarnessOptions RadioNetwork() {
    HarnessOptions options;
    options.network.instruments.clear();
    for (const char* name : {"gh1", "gh2"}) {
        sim::SimInstrumentConfig instrument;
        instrument.name = name;
        instrument.mode = 3;
        instrument.records = 0;
        instrument.identification = std::string("VG28-") + name;
        options.network.instruments.push_back(instrument);
    }
    options.devices = {Device("gh1", 12), Device("gh2", 13)};
    return options;
}

// Guards against F2 without a chosen instrument on a radio network connecting blindly instead
// of offering the device list first, and against the chosen instrument not being the one
// talked to.
TEST(SessionCommands, DeviceListFirstThenOnlyTheChosenInstrumentAnswers) {
    SessionHarness h(RadioNetwork());
    h.NewProject();
    std::vector<std::string> offered;
    h.shell.onDeviceList = [&](const std::vector<NetDevice>& list, const std::string& address,
                               std::uint16_t radioAddress) -> std::optional<DeviceChoice> {
        offered.push_back(address + "/" + std::to_string(radioAddress) + "/" +
                          std::to_string(list.size()));
        const bool first = offered.size() == 1;
        return DeviceChoice{first ? "gh1" : "gh2", static_cast<std::uint16_t>(first ? 12 : 13)};
    };
    h.session->Connect();
    ASSERT_EQ(offered, std::vector<std::string>{"/0/2"});
    EXPECT_EQ(std::string(TextOf(h.State().address)), "gh1");
    EXPECT_EQ(h.State().radioAddress, 12);
    EXPECT_FALSE(h.doc->HasProject());  // the next instrument's project replaces the PC's
    ASSERT_GE(h.TickUntil([&] { return h.Idle(); }, 20), 0);
    EXPECT_EQ(std::string(TextOf(h.State().deviceId)), "VG28-gh1");
    EXPECT_EQ(h.shell.title, "Арболюкс VG-28 - gh1 [Demo]");
    EXPECT_GE(h.RequestCount("ATFH,DT C,CN"), 1);  // dialled gh1's radio address

    // Switch to the other instrument: disconnect, reset, reconnect to gh2 only.
    ASSERT_TRUE(h.session->QueryCommand(cmd::kSelectDevice).enabled);
    ASSERT_TRUE(h.session->OnCommand(cmd::kSelectDevice));
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[1], "gh1/12/2");
    EXPECT_EQ(h.linesMade, 2);
    const std::size_t requestsBefore = h.network->Requests().size();
    ASSERT_GE(h.TickUntil([&] { return h.Idle(); }, 20), 0);
    EXPECT_EQ(std::string(TextOf(h.State().deviceId)), "VG28-gh2");
    for (std::size_t i = requestsBefore; i < h.network->Requests().size(); ++i) {
        const std::string& request = h.network->Requests()[i];
        if (request[0] == ':') {
            EXPECT_EQ(request.compare(0, 5, ":gh2;"), 0) << request;
        }
    }
}

// Guards against choosing the instrument already selected reconnecting, and against the
// direct connection not always reconnecting.
TEST(SessionCommands, DeviceChoiceRules) {
    HarnessOptions options = RadioNetwork();
    options.network.instruments.push_back(sim::SimInstrumentConfig{});  // on the cable
    options.network.instruments.back().mode = 3;
    SessionHarness h(options);
    h.NewProject();
    CopyText(h.State().address, "gh1");
    h.State().radioAddress = 12;
    ASSERT_TRUE(h.ConnectAndSettle());
    h.shell.onDeviceList = [](const std::vector<NetDevice>&, const std::string&,
                              std::uint16_t) -> std::optional<DeviceChoice> {
        return DeviceChoice{"gh1", 12};
    };
    h.session->SelectDevice();
    EXPECT_TRUE(h.State().connected);
    EXPECT_TRUE(h.doc->HasProject());
    EXPECT_EQ(h.linesMade, 1);

    h.shell.onDeviceList = [](const std::vector<NetDevice>&, const std::string&,
                              std::uint16_t) -> std::optional<DeviceChoice> {
        return DeviceChoice{"", 0xFFFF};
    };
    h.session->SelectDevice();
    EXPECT_EQ(h.linesMade, 2);
    EXPECT_EQ(std::string(TextOf(h.State().address)), "");
    EXPECT_EQ(h.State().radioAddress, 0xFFFF);
    ASSERT_GE(h.TickUntil([&] { return h.Idle(); }, 20), 0);
    h.session->SelectDevice();  // the direct connection again: reconnects again
    EXPECT_EQ(h.linesMade, 3);
    EXPECT_EQ(h.State().step, 1);
}

// Guards against closing in view mode without asking, or the No answer dropping the
// connection or letting the window close.
TEST(SessionCommands, CloseInViewModeAsks) {
    HarnessOptions options;
    options.network = SessionHarness::OneInstrument(1);
    SessionHarness h(options);
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    h.op.AnswerWith(10117, Answer::No);
    EXPECT_FALSE(h.session->OnClose());
    EXPECT_EQ(h.op.Count(10117), 1);
    EXPECT_EQ(h.op.Messages().back().text, "VG-28 в режиме просмотра.\nОтключиться?");
    EXPECT_TRUE(h.State().connected);
    EXPECT_TRUE(h.session->IsPortOpen());
    EXPECT_NE(std::string(TextOf(h.State().deviceId)), "");
    h.Tick();
    EXPECT_TRUE(h.Idle());

    h.op.AnswerWith(10117, Answer::Yes);
    EXPECT_TRUE(h.session->OnClose());
    EXPECT_FALSE(h.session->IsPortOpen());
    EXPECT_EQ(h.State().firmwareVersion, 0u);
    EXPECT_EQ(h.shell.linkIndicator, "Нет связи");
}

// Guards against the enabling rules of the command table.
TEST(SessionCommands, EnablingRules) {
    struct Case {
        const char* name;
        bool connected, project, synchronized;
        int mode;
        int devices;
        std::vector<int> enabled;
        std::vector<int> disabled;
    } cases[] = {
        {"offline, no project",
         false,
         false,
         false,
         0,
         0,
         {cmd::kConnect, cmd::kChooseProject, cmd::kConnectionSettings, cmd::kSensorDatabase,
          cmd::kShowControlPanel, cmd::kShowStartWindow, cmd::kAutoDownload, cmd::kHelp,
          cmd::kAbout},
         {cmd::kSelectDevice, cmd::kModeView, cmd::kModeRecord, cmd::kModeStop, cmd::kDownload,
          cmd::kTimeSync, cmd::kFormatMemory, cmd::kClearInstrument, cmd::kEditProject,
          cmd::kShowRecordTable, cmd::kUndefinedF3}},
        {"connected in view mode",
         true,
         true,
         false,
         1,
         2,
         {cmd::kSelectDevice, cmd::kModeRecord, cmd::kModeStop, cmd::kTimeSync, cmd::kFormatMemory,
          cmd::kClearInstrument, cmd::kEditProject, cmd::kShowRecordTable},
         {cmd::kModeView, cmd::kDownload}},
        {"synchronized recording",
         true,
         true,
         true,
         2,
         1,
         {cmd::kModeView, cmd::kModeStop, cmd::kDownload},
         {cmd::kModeRecord, cmd::kSelectDevice}},
        {"connected without project",
         true,
         false,
         true,
         3,
         0,
         {cmd::kModeView, cmd::kModeRecord, cmd::kTimeSync},
         {cmd::kModeStop, cmd::kDownload, cmd::kClearInstrument, cmd::kEditProject}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HarnessOptions options;
        for (int i = 0; i < c.devices; ++i)
            options.devices.push_back(Device(("d" + std::to_string(i)).c_str(), 1));
        SessionHarness h(options);
        if (c.project) h.NewProject();
        h.State().connected = c.connected;
        h.State().synchronized = c.synchronized;
        h.State().deviceMode = c.mode;
        for (int id : c.enabled)
            EXPECT_TRUE(h.session->QueryCommand(id).enabled) << id;
        for (int id : c.disabled)
            EXPECT_FALSE(h.session->QueryCommand(id).enabled) << id;
        EXPECT_FALSE(h.session->OnCommand(cmd::kUndefinedF3));
        EXPECT_FALSE(h.session->QueryCommand(cmd::kUndefinedF3).handled);
    }
}

// Guards against the checked marks and toggles of the settings commands.
TEST(SessionCommands, ChecksAndToggles) {
    SessionHarness h;
    EXPECT_TRUE(h.session->QueryCommand(cmd::kAutoDownload).checked);
    h.session->OnCommand(cmd::kAutoDownload);
    EXPECT_FALSE(h.session->QueryCommand(cmd::kAutoDownload).checked);
    EXPECT_TRUE(h.session->QueryCommand(cmd::kShowStartWindow).checked);
    h.session->OnCommand(cmd::kShowStartWindow);
    EXPECT_FALSE(h.session->QueryCommand(cmd::kShowStartWindow).checked);
    EXPECT_TRUE(h.session->QueryCommand(cmd::kShowControlPanel).checked);
    h.NewProject();
    h.session->OnCommand(cmd::kShowRecordTable);
    EXPECT_TRUE(h.session->QueryCommand(cmd::kShowRecordTable).checked);
    EXPECT_FALSE(h.session->QueryCommand(cmd::kShowControlPanel).checked);

    h.session->OnDestroy();
    EXPECT_EQ(h.profile.Get(keys::kConnectPDownload), 0);
    EXPECT_EQ(h.profile.Get(keys::kStartUpShow), 0);
    EXPECT_EQ(h.shell.tickPeriod, 0);
}

// Guards against the first tick's start window: its answer stored, the action run, and the
// timer switched from 1 ms to one second; without the window the connect action runs.
TEST(SessionCommands, FirstTickRunsTheStartAction) {
    struct Case {
        const char* name;
        int show;
        std::optional<StartChoice> choice;
        const char* expectedCall;  // what the action opened (empty: nothing)
        int actionAfter;
        int showAfter;
    } cases[] = {
        {"open a project", 1, StartChoice{1, true}, "projectList", 1, 0},
        {"new project", 1, StartChoice{0, false}, "projectList:new", 0, 1},
        {"cancelled", 1, std::nullopt, "", 1, 1},
        {"no start window", 0, std::nullopt, "", 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HarnessOptions options;
        options.openStart = false;
        options.network.instruments.clear();
        SessionHarness h(options);
        h.profile.Write(keys::kStartUpShow, c.show);
        h.profile.Write(keys::kStartUpAction, 1);
        h.shell.startChoice = c.choice;
        h.session->OnCreate();
        EXPECT_EQ(h.shell.tickPeriod, 1);
        EXPECT_EQ(h.shell.title, "Арболюкс VG-28");
        EXPECT_EQ(h.shell.linkIndicator, "Нет связи");
        h.session->OnTimer();
        EXPECT_EQ(h.shell.tickPeriod, 1000);
        EXPECT_EQ(h.shell.startWindowAction, c.show ? 1 : -1);
        if (*c.expectedCall) {
            EXPECT_EQ(h.shell.Count(c.expectedCall), 1);
        }
        EXPECT_EQ(h.shell.Count("projectList") + h.shell.Count("projectList:new"),
                  *c.expectedCall ? 1 : 0);
        // The connect action opened the port and started searching.
        EXPECT_EQ(h.session->IsPortOpen(), c.show == 0);
        h.session->OnTimer();
        EXPECT_EQ(h.shell.Count("startWindow"), c.show ? 1 : 0);
        h.session->OnDestroy();
        EXPECT_EQ(h.profile.Get(keys::kStartUpAction), c.actionAfter);
        EXPECT_EQ(h.profile.Get(keys::kStartUpShow), c.showAfter);
    }
}

// Guards against SetStep: nothing with the port closed, synchronization cleared for steps 2
// and 3, and a search started only when the link is not known to be alive.
TEST(SessionCommands, SetStepRules) {
    SessionHarness h;
    h.NewProject();
    h.State().synchronized = true;
    h.session->SetStep(2);
    EXPECT_TRUE(h.State().synchronized);  // port closed: nothing
    ASSERT_TRUE(h.ConnectAndSettle());
    h.State().tries = 5;
    h.session->SetStep(3);
    EXPECT_FALSE(h.State().synchronized);
    EXPECT_FALSE(h.State().searching);
    EXPECT_EQ(h.State().tries, 0);
    EXPECT_EQ(h.State().triesLimit, 32);
    h.State().lastReplyTime = h.clock.UtcSeconds() - 9;
    h.session->SetStep(6);
    EXPECT_FALSE(h.State().searching);
    h.State().lastReplyTime = h.clock.UtcSeconds() - 10;
    h.session->SetStep(6);
    EXPECT_TRUE(h.State().searching);
    h.session->SetStep(0);
    EXPECT_FALSE(h.State().searching);
}

// Guards against 32 failed ticks of a connected instrument not sending the session back to
// searching (with the tries kept, so 28 more end it), and against a busy handler's tick
// talking to the line.
TEST(SessionCommands, FailuresReturnToSearchingAndBusyTicksStayAway) {
    HarnessOptions options;
    options.network = SessionHarness::OneInstrument(1);
    SessionHarness h(options);
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    {
        Session::BusyScope busy(*h.session);
        const std::size_t requests = h.network->Requests().size();
        h.Tick();
        EXPECT_EQ(h.network->Requests().size(), requests);
    }
    h.State().deviceMode = 1;
    h.network->Faults().SetRates({{0, 1000}});  // every reply lost
    int ticks = 0;
    while (!h.State().searching && ticks < 100) {
        h.Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 32);
    EXPECT_EQ(h.State().tries, 32);
    EXPECT_EQ(h.shell.progressText, "Соединение с ");
    while (!h.op.Shown(10029) && ticks < 200) {
        h.Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 60);
    EXPECT_FALSE(h.session->IsPortOpen());
}

// Guards against a port that cannot be opened changing the state silently.
TEST(SessionCommands, PortThatCannotOpen) {
    SessionHarness h;
    h.failLineFactory = true;
    h.session->SetPortName("/dev/ttyNOPE");
    h.session->Connect();
    ASSERT_EQ(h.op.Ids(), std::vector<int>{10110});
    EXPECT_EQ(h.op.Messages()[0].text,
              "Ошибка подключения к порту /dev/ttyNOPE\n\nПоследовательный порт либо занят, либо "
              "отсутствует в системе.");
    EXPECT_FALSE(h.session->IsPortOpen());
    EXPECT_EQ(h.State().step, 0);
}

// Guards against the project description: changes saved and sent (step 2 when connected, the
// question otherwise), an unchanged project left alone, the exact-time option forced on.
TEST(SessionCommands, EditProject) {
    HarnessOptions options;
    options.network = SessionHarness::OneInstrument(3);
    SessionHarness h(options);
    h.NewProject();
    h.doc->setup.exactTime = 1;
    const int period = h.doc->setup.period;
    h.shell.onDescription = [](ProjectDescription& d) { return d.sensors != nullptr; };
    EXPECT_TRUE(h.session->EditProject());
    EXPECT_FALSE(h.State().uploadPending);
    EXPECT_FALSE(h.session->IsPortOpen());

    h.shell.onDescription = [](ProjectDescription& d) {
        CopyText(d.sensorIds[0], "TA 1");
        CopyText(d.notes[0], "north");
        d.period = 600;
        return true;
    };
    h.doc->setup.configTime.year = 2011;
    h.op.AnswerWith(10116, Answer::No);
    EXPECT_FALSE(h.session->EditProject());
    EXPECT_EQ(h.doc->setup.period, 600);
    EXPECT_NE(period, 600);
    EXPECT_EQ(h.doc->setup.configTime.year, 0);
    CProjectDoc saved(h.folder.Path(), h.profile, h.sensors);
    ASSERT_EQ(saved.LoadProject(h.doc->PathName()), kFileOk);
    EXPECT_EQ(std::string(TextOf(saved.setup.sensorIds[0])), "TA 1");
    EXPECT_EQ(std::string(TextOf(saved.setup.notes[0])), "north");

    h.shell.onDescription = [](ProjectDescription& d) {
        d.em50 = true;
        return true;
    };
    h.op.AnswerWith(10116, Answer::Yes);
    EXPECT_TRUE(h.session->EditProject());
    EXPECT_TRUE(h.State().uploadPending);
    EXPECT_TRUE(h.session->IsPortOpen());
    EXPECT_EQ(h.State().step, 1);
    ASSERT_GE(h.TickUntil([&] { return h.Idle(); }, 20), 0);
    EXPECT_FALSE(h.State().uploadPending);

    h.shell.onDescription = [](ProjectDescription& d) {
        d.period = 300;
        return true;
    };
    EXPECT_TRUE(h.session->EditProject());
    EXPECT_EQ(h.State().step, 2);
    EXPECT_TRUE(h.State().uploadPending);
    EXPECT_FALSE(h.State().synchronized);
}

// Guards against choosing a project: the link to the old one closed, the new one offered to the
// instrument, and a kept connection never trusted with the new project unsynchronized.
TEST(SessionCommands, ChooseProject) {
    HarnessOptions options;
    options.network = SessionHarness::OneInstrument(1);
    SessionHarness h(options);
    h.NewProject("Other");
    h.NewProject("Demo");
    ASSERT_TRUE(h.ConnectAndSettle());
    h.shell.onProjectList = [&](bool) -> std::optional<ProjectListResult> {
        ProjectLibrary(*h.doc, h.op).OpenProject("Other");
        return ProjectListResult{false};
    };
    h.op.AnswerWith(10117, Answer::No);  // keep the connection
    h.op.AnswerWith(10116, Answer::No);
    h.session->OnCommand(cmd::kChooseProject);
    EXPECT_TRUE(h.State().connected);
    EXPECT_FALSE(h.State().synchronized);
    EXPECT_EQ(h.State().step, 2);
    EXPECT_EQ(h.shell.title, "Арболюкс VG-28 -  [Other]");

    h.op.AnswerWith(10117, Answer::Yes);
    h.op.AnswerWith(10116, Answer::Yes);
    h.session->OnCommand(cmd::kChooseProject);
    EXPECT_TRUE(h.State().uploadPending);
    EXPECT_EQ(h.State().step, 1);
    EXPECT_EQ(h.linesMade, 2);
    EXPECT_FALSE(h.session->IsBusy());
}

// Guards against the sensor check missing an unknown sensor or complaining about free inputs.
TEST(SessionCommands, SensorsRegistered) {
    SessionHarness h;
    h.NewProject();
    EXPECT_TRUE(h.session->CheckSensorsRegistered());
    CopyText(h.doc->setup.sensorIds[5], "NO SUCH SENSOR");
    EXPECT_FALSE(h.session->CheckSensorsRegistered());
    ASSERT_EQ(h.op.Ids(), std::vector<int>{10035});
    EXPECT_EQ(h.op.Messages()[0].icon, MessageIcon::Warning);

    // The sensor editor's copy replaces the database and is saved.
    h.shell.onSensorEditor = [](SensorDatabase& copy) {
        SensorRecord record = EmptySensorRecord();
        CopyText(record.id, "NO SUCH SENSOR");
        copy.Append(record);
    };
    h.session->OnCommand(cmd::kSensorDatabase);
    EXPECT_TRUE(h.session->CheckSensorsRegistered());
    SensorDatabase saved;
    ASSERT_TRUE(saved.Load(h.folder.File("sensors.dat")));
    EXPECT_NE(saved.FindById("NO SUCH SENSOR"), nullptr);
}

// Guards against help, About and the connection settings: the help file's place, its failure
// message, and the chosen port stored in the profile.
TEST(SessionCommands, HelpAboutAndPort) {
    SessionHarness h;
    h.session->OnCommand(cmd::kHelp);
    EXPECT_EQ(h.shell.calls.back(), "help:" + h.folder.Path() + "Vextorb.chm");
    ASSERT_EQ(h.op.Ids(), std::vector<int>{10111});
    EXPECT_EQ(h.op.Messages()[0].text, "Простите, \"помощь\" недоступна!");
    h.shell.helpOpens = true;
    h.session->OnCommand(cmd::kHelp);
    EXPECT_EQ(h.op.Ids().size(), 1u);

    h.session->OnCommand(cmd::kAbout);
    EXPECT_EQ(h.shell.calls.back(), "about");

    h.shell.connectionChoice = "/dev/ttyACM3";
    h.session->OnCommand(cmd::kConnectionSettings);
    EXPECT_EQ(h.session->PortName(), "/dev/ttyACM3");
    EXPECT_EQ(h.profile.Get(keys::kPortDevice), "/dev/ttyACM3");
}

}  // namespace
}  // namespace vg28
