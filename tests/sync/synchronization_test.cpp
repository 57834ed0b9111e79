#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "base/DebugLog.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "graph/GraphScript.h"
#include "platform/FileFaults.h"
#include "platform/TextCodec.h"
#include "sync/SyncDialogDriver.h"
#include "sync/SyncRig.h"

namespace vg28 {
namespace {

using Policy = HeadlessSyncDriver::Policy;
using test::SyncRig;

// A driver that runs the given script.
class ScriptedDriver final : public SyncDialogDriver {
public:
    explicit ScriptedDriver(std::function<int(SyncWorker&)> script) : m_script(std::move(script)) {}
    int Run(SyncWorker& worker) override { return m_script(worker); }

private:
    std::function<int(SyncWorker&)> m_script;
};

// Ticks until the first question, opens its details, records them, lets the test look at the
// instrument while the question is shown, and answers with the given button; the rest of the run
// must need no further question. With a FileFaults armed, the closing of the run (the saves)
// happens under it.
class AnsweringDriver final : public SyncDialogDriver {
public:
    AnsweringDriver(Clock& clock, SyncWorker::Button answer) : m_clock(clock), m_answer(answer) {}

    int Run(SyncWorker& worker) override {
        while (!worker.IsClosed() && !worker.QuestionVisible()) {
            worker.Tick();
            m_clock.SleepMs(SyncWorker::kTickMs);
        }
        if (worker.QuestionVisible()) {
            ++questions;
            worker.Press(SyncWorker::kButtonDetails);
            question = worker.QuestionText();
            if (atQuestion) atQuestion();
            worker.Press(m_answer);
        }
        HeadlessSyncDriver rest(m_clock, Policy::FailOnQuestion);
        const int result = rest.Run(worker);
        refusedLater = rest.RefusedQuestion();
        if (failFileOperation > 0) faults.emplace(failFileOperation, failForGood);
        return result;
    }

    int questions = 0;
    std::string question;
    bool refusedLater = false;
    std::function<void()> atQuestion;
    // 1-based file operation of the closing that fails (0: none), once or for good.
    int failFileOperation = 0;
    bool failForGood = false;
    std::optional<FileFaults> faults;

private:
    Clock& m_clock;
    SyncWorker::Button m_answer;
};

// Guards against a run that goes on comparing (or writing) after identical configuration times
// have shown both sides to hold the same project.
TEST(Synchronization, IdenticalConfigTimesEndAfterStepOne) {
    SyncRig rig;
    rig.CreatePcProject("Demo");
    ASSERT_TRUE(rig.Run(Policy::FailOnQuestion));
    EXPECT_EQ(rig.Worker().Result(), SyncWorker::kResultDone);
    EXPECT_TRUE(rig.State().synchronized);
    EXPECT_TRUE(rig.Requested("cfgtime"));
    EXPECT_FALSE(rig.Requested("project;f;"));
    EXPECT_FALSE(rig.Requested("project;period"));
    EXPECT_FALSE(rig.Requested("sensor;"));
}

// Guards against asking the operator (or taking the instrument's empty project) when the
// instrument has no project and the PC has one; the instrument goes back to recording after.
TEST(Synchronization, EmptyInstrumentProjectTakesPcProjectWithoutQuestion) {
    sim::SimNetworkConfig config;
    config.instruments[0].project = "";
    SyncRig rig(config);
    rig.CreatePcProject("Field");
    rig.doc->setup.period = 1200;
    CopyText(rig.doc->setup.sensorIds[0], "TL 1");
    ASSERT_TRUE(rig.Run(Policy::FailOnQuestion));
    EXPECT_EQ(rig.Worker().QuestionCount(), 0);
    EXPECT_EQ(rig.Instrument().Project(), "Field");
    EXPECT_EQ(rig.Instrument().Period(), 1200);
    EXPECT_EQ(rig.Instrument().Sensor(1).id, "TL 1");
    EXPECT_EQ(rig.Instrument().Mode(), 2);
}

// Guards against losing an existing project file of the instrument's project, or not creating
// one (with everything from the instrument) when the PC has none.
TEST(Synchronization, NamedInstrumentProjectOpensOrCreatesItsFile) {
    for (const bool fileExists : {false, true}) {
        SyncRig rig;
        if (fileExists) {
            rig.CreatePcProject("Demo");
            rig.doc->setup.configTime = TimeStamp::FromSeconds(0);  // older than the instrument's
            int added = 0;
            ASSERT_TRUE(rig.doc->AddRecordLine(rig.Instrument().Records().front(), added));
            rig.doc->SaveProject();
        }
        rig.doc->ResetProject();
        ASSERT_TRUE(rig.Run(Policy::FailOnQuestion)) << fileExists;
        EXPECT_EQ(rig.doc->ProjectName(), "Demo");
        EXPECT_EQ(rig.doc->records.size(), fileExists ? 1u : 0u);
        EXPECT_EQ(rig.doc->setup.period, rig.Instrument().Period());
        EXPECT_EQ(TextOf(rig.doc->setup.sensorIds[0]), "TA 1");
        EXPECT_EQ(rig.doc->setup.configTime, TimeStamp::FromSeconds(rig.Instrument().ConfigTime()));
        CProjectDoc reread(rig.folder.Path(), rig.profile, rig.sensors);
        ASSERT_EQ(reread.LoadProject(rig.folder.File("Demo.phj")), kFileOk);
        EXPECT_EQ(reread.setup.period, rig.Instrument().Period());
        EXPECT_EQ(reread.records.size(), fileExists ? 1u : 0u);
    }
}

// Guards against a summary answer that governs only its own question, a sensor stage that
// asks again after "PC" was chosen in the parameter stage, and a recording instrument whose
// project is changed without stopping it first (and not restarted after).
TEST(Synchronization, SummaryAnswerPcWritesEveryLaterDifference) {
    SyncRig rig;
    rig.CreatePcProject("Demo");
    rig.doc->setup.configTime = TimeStamp::FromSeconds(0);
    rig.doc->setup.period = 1200;
    CopyText(rig.doc->setup.sensorIds[0], "TL 1");
    CopyText(rig.doc->setup.sensorIds[2], "TA 1");

    rig.State().step = 2;
    SyncWorker worker(*rig.env, SyncJob::Full);
    std::int64_t answeredAt = 0;
    std::int64_t resumedAt = 0;
    std::size_t requestsAtAnswer = 0;
    ScriptedDriver driver([&](SyncWorker& w) {
        while (!w.IsClosed() && !w.QuestionVisible()) {
            w.Tick();
            rig.clock.SleepMs(SyncWorker::kTickMs);
        }
        EXPECT_TRUE(w.QuestionVisible());
        EXPECT_EQ(w.QuestionText(), "Проекты отличаются.\nИспользовать данные из...");
        EXPECT_EQ(w.VisibleButtons(), SyncWorker::kButtonCancel | SyncWorker::kButtonDetails |
                                          SyncWorker::kButtonInstrument | SyncWorker::kButtonPc);
        EXPECT_FALSE(w.ProgressVisible());
        w.Press(SyncWorker::kButtonPc);
        EXPECT_EQ(rig.Instrument().Mode(), 1);  // stopped before its project changes
        answeredAt = rig.clock.MonotonicMs();
        requestsAtAnswer = rig.network->Requests().size();
        const int period = rig.Instrument().Period();
        while (!w.IsClosed() && rig.Instrument().Period() == period) {
            if (w.QuestionVisible()) w.Close(SyncWorker::kResultFailed);
            w.Tick();
            if (resumedAt == 0 && rig.network->Requests().size() > requestsAtAnswer &&
                rig.network->Requests().back() != "+")
                resumedAt = rig.clock.MonotonicMs();
            rig.clock.SleepMs(SyncWorker::kTickMs);
        }
        HeadlessSyncDriver rest(rig.clock, Policy::FailOnQuestion);
        return rest.Run(w);
    });
    EXPECT_TRUE(RunSynchronization(*rig.env, driver, worker));
    EXPECT_EQ(rig.network->Requests()[requestsAtAnswer], "+") << "the pause keeps the link alive";
    EXPECT_GE(resumedAt - answeredAt, 13000);
    EXPECT_EQ(worker.QuestionCount(), 1);
    EXPECT_EQ(rig.Instrument().Period(), 1200);
    EXPECT_EQ(rig.Instrument().Sensor(1).id, "TL 1");
    EXPECT_EQ(rig.Instrument().Sensor(3).id, "TA 1");
    EXPECT_EQ(rig.Instrument().Mode(), 2);
}

// Guards against an unknown instrument sensor that is dropped instead of joining the database
// with its type from the first word and the standard flag, or a database saved by a failed run.
TEST(Synchronization, UnknownInstrumentSensorJoinsDatabase) {
    sim::SimNetworkConfig config;
    sim::SimSensor unknown = sim::SimInstrument::DefaultSensor(1);
    unknown.id = "XT 900 special";
    unknown.precision = 3;
    config.instruments[0].sensors.push_back(unknown);
    SyncRig rig(config);
    rig.CreatePcProject("Demo");
    rig.doc->setup.configTime = TimeStamp::FromSeconds(0);
    CopyText(rig.doc->setup.sensorIds[0], "TA 1");
    ASSERT_TRUE(rig.Run(Policy::InstrumentWins));
    EXPECT_EQ(rig.Worker().SensorsAdded(), 1);
    EXPECT_EQ(TextOf(rig.doc->setup.sensorIds[0]), "XT 900 special");
    SensorDatabase saved;
    ASSERT_TRUE(saved.Load(rig.folder.File("sensors.dat")));
    const SensorRecord* added = saved.FindById("XT 900 special");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(TextOf(added->type), "XT");
    EXPECT_EQ(added->standardCoefficients, 1);
    EXPECT_EQ(added->precision, 3);
    EXPECT_EQ(saved.FindById("Plug and Play"), nullptr);
}

// Guards against the PC overriding the inputs whose sensor the instrument decides (S10, S11,
// S13-S17), even when the PC's project is being sent.
TEST(Synchronization, ForcedInputsAlwaysTakeInstrumentSensor) {
    SyncRig rig;
    rig.CreatePcProject("Demo");
    CopyText(rig.doc->setup.sensorIds[9], "KWS/RH");   // instrument: KWS/AT
    CopyText(rig.doc->setup.sensorIds[10], "KWS/AT");  // instrument: KWS/RH
    CopyText(rig.doc->setup.sensorIds[12], "TA 1");    // instrument: nothing
    CopyText(rig.doc->setup.sensorIds[15], "TA 1");    // instrument: CV/VPD
    CopyText(rig.doc->setup.sensorIds[1], "TA 1");     // not forced: the PC's goes out
    rig.State().uploadPending = true;
    ASSERT_TRUE(rig.Run(Policy::FailOnQuestion));
    const struct {
        int input;
        const char* id;
    } expected[] = {{10, "KWS/AT"}, {11, "KWS/RH"}, {13, "Plug and Play"},
                    {16, "CV/VPD"}, {17, "CV/DP"},  {2, "TA 1"}};
    for (const auto& e : expected)
        EXPECT_EQ(TextOf(rig.doc->setup.sensorIds[e.input - 1]), e.id) << e.input;
    EXPECT_EQ(rig.Instrument().Sensor(10).id, "KWS/AT");
    EXPECT_EQ(rig.Instrument().Sensor(2).id, "TA 1");
    EXPECT_FALSE(rig.State().uploadPending);
}

// Guards against a run that never ends when the instrument stops answering, and a time-out
// that is not reported.
TEST(Synchronization, TimeBudgetFailsTheRun) {
    SyncRig rig;
    rig.CreatePcProject("Demo");
    rig.profile.WriteInt("Debug", "Log", 1);
    SetDebugLogSource(rig.profile.Path(), rig.folder.File("vg28.log"), &rig.clock);
    sim::FaultRates lost;
    lost.perMille[static_cast<int>(sim::FaultKind::Lost)] = 1000;
    rig.network->Faults().SetRates(lost);
    const std::int64_t start = rig.clock.MonotonicMs();
    EXPECT_FALSE(rig.Run(Policy::InstrumentWins));
    EXPECT_EQ(rig.Worker().Result(), SyncWorker::kResultTimeout);
    EXPECT_GE(rig.clock.MonotonicMs() - start, 94 * 4 * 1000);
    EXPECT_LT(rig.clock.MonotonicMs() - start, 94 * 4 * 1000 + 30000);
    EXPECT_NE(rig.folder.ReadFile("vg28.log").find("SYNCRES_TIMEOUT"), std::string::npos);
    EXPECT_FALSE(rig.State().synchronized);
    SetDebugLogSource(rig.folder.File("none.ini"), rig.folder.File("none.log"));
}

// Guards against records lost or taken twice when replies are lost or late during a long
// download, and against a document and file that disagree afterwards; the instrument goes on
// recording meanwhile.
TEST(Synchronization, DownloadWithLostRepliesTakesEachRecordOnce) {
    sim::SimNetworkConfig config;
    config.instruments[0].records = 500;
    SyncRig rig(config);
    rig.CreatePcProject("Demo");
    rig.State().synchronized = true;
    int count = 0;
    ASSERT_TRUE(rig.commands->SelectRecordsFrom(TimeStamp{}, count));
    ASSERT_EQ(count, 500);
    // A second selection while the first is still being sent repeats every record.
    rig.link.SendPacket("record;s;from;1980-01-01 00:00:01\r");
    sim::FaultRates faults;
    faults.perMille[static_cast<int>(sim::FaultKind::Lost)] = 20;
    faults.perMille[static_cast<int>(sim::FaultKind::Late)] = 10;
    faults.perMille[static_cast<int>(sim::FaultKind::Noise)] = 20;
    rig.network->Faults().SetRates(faults);
    rig.State().downloadCount = count;
    ASSERT_TRUE(rig.Run(Policy::FailOnQuestion, SyncJob::Download));
    EXPECT_EQ(rig.Worker().Result(), SyncWorker::kResultDone);

    const auto& instrument = rig.Instrument().Records();
    ASSERT_GE(rig.doc->records.size(), 500u);
    ASSERT_LE(rig.doc->records.size(), instrument.size());
    std::set<std::string> times;
    for (std::size_t i = 0; i < rig.doc->records.size(); ++i) {
        const std::string time = CProjectDoc::FormatRecordTime(rig.doc->records[i].time, false);
        EXPECT_TRUE(times.insert(time).second) << "twice: " << time;
        MeasurementRecord expected{};
        ASSERT_TRUE(rig.doc->ParseRecordLine(expected, instrument[i], nullptr));
        EXPECT_EQ(rig.doc->records[i].time, expected.time) << i;
    }
    CProjectDoc reread(rig.folder.Path(), rig.profile, rig.sensors);
    ASSERT_EQ(reread.LoadProject(rig.folder.File("Demo.phj")), kFileOk);
    ASSERT_EQ(reread.records.size(), rig.doc->records.size());
    for (std::size_t i = 0; i < reread.records.size(); ++i)
        EXPECT_EQ(reread.records[i].time, rig.doc->records[i].time);

    // Still recording: the next period brings one more record.
    const std::size_t held = instrument.size();
    rig.clock.Advance(rig.Instrument().Period() * 1000LL);
    rig.Instrument().CatchUp();
    EXPECT_EQ(rig.Instrument().Records().size(), held + 1);
}

// Guards against an instrument project name that leads outside the program folder (or to
// no file name at all) being opened, created or overwritten.
TEST(Synchronization, InstrumentNameThatIsNoFileNameFailsTheRun) {
    for (const char* name : {"..", ".", "../escape", "a/b", "C:x", "a\\b", "   ", "x\x01y"}) {
        sim::SimNetworkConfig config;
        config.instruments[0].project = name;
        SyncRig rig(config);
        const auto before = rig.folder.Files();
        EXPECT_FALSE(rig.Run(Policy::InstrumentWins)) << name;
        EXPECT_EQ(rig.folder.Files(), before) << name;
        EXPECT_FALSE(std::filesystem::exists(rig.folder.Path() + "../escape.phj"));
        ASSERT_FALSE(rig.op.Messages().empty()) << name;
        EXPECT_EQ(rig.op.Messages().back().stringId, ids::kInvalidInstrumentName);
        EXPECT_NE(rig.op.Messages().back().text.find(name[0] == 'x' ? "x?y" : name),
                  std::string::npos)
            << name;
        EXPECT_FALSE(rig.doc->HasProject());
    }
}

// Guards against the project name crossing the wire in the PC's UTF-8 (the instrument holds
// garbage), and a name from the instrument compared or shown in its raw CP1251 bytes: a
// question for the same name, an unreadable question for different names.
TEST(Synchronization, ProjectNamesCrossTheWireInCp1251) {
    const struct {
        const char* name;
        const char* instrument;  // as the operator reads it; the simulator holds CP1251
        const char* pc;
        const char* question;  // the detailed name question, empty when none is asked
    } rows[] = {
        {"PC name sent", "", "Поле", ""},
        {"same name", "Поле", "Поле", ""},
        {"same name but for case", "ТЕПЛИЦА", "теплица", ""},
        {"other name", "Теплица", "Поле",
         "Названия проектов отличаются:\nVG-28\t- Теплица\nPC\t- Поле\nИспользовать данные из..."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        sim::SimNetworkConfig config;
        config.instruments[0].project = TextCodec::Utf8ToCp1251(row.instrument);
        SyncRig rig(config);
        rig.CreatePcProject(row.pc);
        std::string question;
        ScriptedDriver driver([&](SyncWorker& w) {
            while (!w.IsClosed()) {
                if (w.QuestionVisible()) {
                    w.Press(SyncWorker::kButtonDetails);
                    question = w.QuestionText();
                    w.Close(SyncWorker::kResultCancelled);
                    break;
                }
                w.Tick();
                rig.clock.SleepMs(SyncWorker::kTickMs);
            }
            return w.Result();
        });
        rig.State().step = 2;
        SyncWorker worker(*rig.env, SyncJob::Full);
        const bool ok = RunSynchronization(*rig.env, driver, worker);
        EXPECT_EQ(question, row.question);
        if (*row.question) continue;
        EXPECT_TRUE(ok);
        const std::string held = TextCodec::Utf8ToCp1251(*row.instrument ? row.instrument : row.pc);
        EXPECT_EQ(rig.Instrument().Project(), held);
        EXPECT_EQ(rig.Requested("project;id;\"" + held + "\""), !*row.instrument);
        EXPECT_EQ(rig.doc->ProjectName(), row.pc);
    }
}

// Guards against an instrument project name that becomes a file name in its raw CP1251 bytes
// (a file the project list cannot show, a second project for the same name): the project,
// its download and its graph script all go by the UTF-8 name.
TEST(Synchronization, InstrumentProjectNameBecomesUtf8FileName) {
    sim::SimNetworkConfig config;
    config.instruments[0].project = TextCodec::Utf8ToCp1251("Теплица");
    config.instruments[0].records = 5;
    SyncRig rig(config);
    ASSERT_TRUE(rig.Run(Policy::InstrumentWins));
    EXPECT_EQ(rig.doc->ProjectName(), "Теплица");
    EXPECT_EQ(rig.doc->PathName(), rig.folder.File("Теплица.phj"));
    EXPECT_TRUE(rig.folder.Exists("Теплица.phj"));

    int count = 0;
    ASSERT_TRUE(rig.commands->SelectRecordsFrom(rig.doc->NextDownloadFrom(), count));
    ASSERT_EQ(count, 5);
    rig.State().downloadCount = count;
    ASSERT_TRUE(rig.Run(Policy::FailOnQuestion, SyncJob::Download));
    EXPECT_EQ(rig.doc->records.size(), 5u);
    CProjectDoc reread(rig.folder.Path(), rig.profile, rig.sensors);
    ASSERT_EQ(reread.LoadProject(rig.folder.File("Теплица.phj")), kFileOk);
    EXPECT_EQ(reread.records.size(), 5u);

    ASSERT_EQ(WriteGraphScript(*rig.doc, 0), kFileOk);
    EXPECT_NE(rig.folder.ReadFile("Теплица-ag.xml").find("szDescription=\"Теплица\""),
              std::string::npos);

    // The next run finds the same project by its name.
    rig.State().step = 2;
    ASSERT_TRUE(rig.Run(Policy::FailOnQuestion));
    EXPECT_EQ(rig.Worker().QuestionCount(), 0);
    std::vector<std::string> projects;
    for (const std::string& file : rig.folder.Files())
        if (file.ends_with(".phj")) projects.push_back(file);
    EXPECT_EQ(projects, std::vector<std::string>({"Теплица.phj"}));
}

// Guards against a simulator whose setting commands leave its configuration time behind, which
// would make the next synchronization take both projects as identical.
TEST(Synchronization, SimulatorSettingsMoveConfigurationTime) {
    SyncRig rig;
    const std::int64_t before = rig.Instrument().ConfigTime();
    rig.clock.Advance(60000);
    ASSERT_TRUE(rig.commands->SetPeriod(0, 900));
    EXPECT_GT(rig.Instrument().ConfigTime(), before);
    const std::int64_t afterPeriod = rig.Instrument().ConfigTime();
    rig.clock.Advance(60000);
    ASSERT_TRUE(rig.commands->SetProjectFlags(true, true));
    EXPECT_GT(rig.Instrument().ConfigTime(), afterPeriod);
}

// Guards against the exact-time flag left off on the instrument (and the project's exactTime
// left at 0) when the Em50 flags differ too: the flags are written before the Em50 question, and
// the answer still decides the Em50 flag on both sides.
TEST(Synchronization, ExactTimeIsWrittenBeforeTheEm50Question) {
    const struct {
        const char* name;
        SyncWorker::Button answer;
        bool em50;  // the winner's flag: the instrument has it on, the PC off
    } cases[] = {{"VG-28", SyncWorker::kButtonInstrument, true},
                 {"PC", SyncWorker::kButtonPc, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimNetworkConfig config;
        config.instruments[0].exactTime = false;
        config.instruments[0].em50Flag = true;
        SyncRig rig(config);
        rig.CreatePcProject("Demo");
        rig.doc->setup.configTime = TimeStamp::FromSeconds(0);
        rig.doc->setup.em50 = 0;
        rig.State().step = 2;
        SyncWorker worker(*rig.env, SyncJob::Full);
        AnsweringDriver driver(rig.clock, c.answer);
        bool exactAtQuestion = false;
        bool em50AtQuestion = false;
        driver.atQuestion = [&] {
            exactAtQuestion = rig.Instrument().ExactTime();
            em50AtQuestion = rig.Instrument().Em50Flag();
        };
        EXPECT_TRUE(RunSynchronization(*rig.env, driver, worker));
        EXPECT_EQ(driver.questions, 1);
        EXPECT_FALSE(driver.refusedLater);
        EXPECT_EQ(driver.question,
                  "Параметры проекта отличаются:\nVG-28\t- Em50 on\nPC\t- Em50 off\n"
                  "Использовать данные из...");
        EXPECT_TRUE(exactAtQuestion);
        EXPECT_TRUE(em50AtQuestion) << "the answer decides the Em50 flag, not the forced write";
        EXPECT_EQ(worker.Result(), SyncWorker::kResultDone);
        EXPECT_TRUE(rig.Instrument().ExactTime());
        EXPECT_EQ(rig.doc->setup.exactTime, 1);
        EXPECT_EQ(rig.Instrument().Em50Flag(), c.em50);
        EXPECT_EQ(rig.doc->setup.em50 != 0, c.em50);
        CProjectDoc reread(rig.folder.Path(), rig.profile, rig.sensors);
        ASSERT_EQ(reread.LoadProject(rig.folder.File("Demo.phj")), kFileOk);
        EXPECT_EQ(reread.setup.exactTime, 1);
        EXPECT_EQ(reread.setup.em50 != 0, c.em50);
    }
}

// Guards against a known sensor whose characteristics differ on the instrument passing without
// a question, a question that names the wrong characteristic or value, an answer "VG-28" that
// does not overwrite the database record (keeping its type) or an answer "PC" that does not send
// the database's description to the instrument.
TEST(Synchronization, SensorCharacteristicsQuestionAndOverwrite) {
    const struct {
        const char* name;
        std::function<void(sim::SimSensor&)> change;
        const char* instrumentText;
        const char* pcText;
        std::function<bool(const SensorRecord&)> hasInstrumentValue;
    } differences[] = {
        {"units", [](sim::SimSensor& s) { s.units = "K"; }, "Units: K", "Units: °C",
         [](const SensorRecord& r) { return TextOf(r.units) == "K"; }},
        {"maximum", [](sim::SimSensor& s) { s.maximum = 70.0; }, "Maximum: 70.0", "Maximum: 60.0",
         [](const SensorRecord& r) { return r.maximum == 70.0; }},
        {"coefficient", [](sim::SimSensor& s) { s.coefficients[1] = 41.5; },
         "Coefficient 1: 41.50000", "Coefficient 1: 40.00000",
         [](const SensorRecord& r) { return r.coefficients[1] == 41.5; }},
    };
    for (const auto& d : differences) {
        for (const bool instrumentWins : {true, false}) {
            SCOPED_TRACE(std::string(d.name) + (instrumentWins ? ", VG-28" : ", PC"));
            sim::SimNetworkConfig config;
            sim::SimSensor changed = sim::SimInstrument::DefaultSensor(1);
            d.change(changed);
            config.instruments[0].sensors.push_back(changed);
            SyncRig rig(config);
            rig.CreatePcProject("Demo");
            rig.doc->setup.configTime = TimeStamp::FromSeconds(0);
            const SensorRecord before = *rig.sensors.FindById("TA 1");
            rig.State().step = 2;
            SyncWorker worker(*rig.env, SyncJob::Full);
            AnsweringDriver driver(
                rig.clock, instrumentWins ? SyncWorker::kButtonInstrument : SyncWorker::kButtonPc);
            EXPECT_TRUE(RunSynchronization(*rig.env, driver, worker));
            EXPECT_EQ(driver.questions, 1);
            EXPECT_FALSE(driver.refusedLater);
            EXPECT_EQ(driver.question, std::string("Характеристики датчика \"TA 1\" отличаются.\n"
                                                   "VG-28\t- ") +
                                           d.instrumentText + "\nPC\t- " + d.pcText +
                                           "\nИспользовать данные из...");
            EXPECT_EQ(worker.Result(), SyncWorker::kResultDone);
            EXPECT_EQ(TextOf(rig.doc->setup.sensorIds[0]), "TA 1");
            const SensorRecord* inMemory = rig.sensors.FindById("TA 1");
            ASSERT_NE(inMemory, nullptr);
            if (instrumentWins) {
                SensorDatabase saved;
                ASSERT_TRUE(saved.Load(rig.env->sensorsPath));
                EXPECT_EQ(saved.Count(), rig.sensors.Count());
                const SensorRecord* record = saved.FindById("TA 1");
                ASSERT_NE(record, nullptr);
                EXPECT_TRUE(d.hasInstrumentValue(*record));
                EXPECT_TRUE(d.hasInstrumentValue(*inMemory));
                EXPECT_EQ(TextOf(record->type), TextOf(before.type));
                EXPECT_EQ(record->standardCoefficients, 0);
            } else {
                EXPECT_FALSE(rig.folder.Exists("sensors.dat"));
                EXPECT_FALSE(d.hasInstrumentValue(*inMemory));
                const sim::SimSensor& sent = rig.Instrument().Sensor(1);
                EXPECT_EQ(sent.units, std::string(TextOf(before.units)));
                EXPECT_EQ(sent.maximum, before.maximum);
                EXPECT_EQ(sent.coefficients[1], before.coefficients[1]);
            }
        }
    }
}

// Guards against a failed save of the project after a successful run that keeps the document,
// reports success, asks nothing, or clears the instrument without the operator's Yes.
TEST(Synchronization, FailedProjectSaveResetsAndOffersToClearInstrument) {
    for (const Answer answer : {Answer::Yes, Answer::No}) {
        const bool yes = answer == Answer::Yes;
        SCOPED_TRACE(yes ? "yes" : "no");
        SyncRig rig;
        rig.CreatePcProject("Demo");
        rig.doc->setup.configTime = TimeStamp::FromSeconds(0);
        rig.doc->SaveProject();
        const std::string fileBefore = rig.folder.ReadFile("Demo.phj");
        rig.op.SetDefault(answer);
        rig.State().step = 2;
        SyncWorker worker(*rig.env, SyncJob::Full);
        AnsweringDriver driver(rig.clock, SyncWorker::kButtonInstrument);
        driver.failFileOperation = 1;
        driver.failForGood = true;
        EXPECT_FALSE(RunSynchronization(*rig.env, driver, worker));
        EXPECT_GE(driver.faults->Failures(), 1);
        EXPECT_EQ(driver.questions, 0);
        EXPECT_EQ(worker.Result(), SyncWorker::kResultDone);
        ASSERT_EQ(rig.op.Messages().size(), 1u);
        EXPECT_EQ(rig.op.Messages()[0].stringId, ids::kSyncSaveFailed);
        EXPECT_EQ(rig.op.Messages()[0].text,
                  "Ошибка записи - невозможно записать файл!\n\nОчистить VG-28?");
        EXPECT_EQ(rig.op.Messages()[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(rig.op.Messages()[0].icon, MessageIcon::Question);
        EXPECT_FALSE(rig.doc->HasProject());
        EXPECT_FALSE(rig.State().synchronized);
        EXPECT_EQ(rig.Instrument().Project(), yes ? "" : "Demo");
        EXPECT_EQ(rig.folder.ReadFile("Demo.phj"), fileBefore);
    }
}

// Guards against a run that calls itself a success when the sensors it brought could not be
// written to "sensors.dat": the operator is told, the database stays as it is on disk, the
// project keeps the instrument's sensors but not its configuration time, and the next run adds
// them again without a question.
TEST(Synchronization, FailedSensorDatabaseSaveIsReportedAndRepeated) {
    sim::SimNetworkConfig config;
    sim::SimSensor unknown = sim::SimInstrument::DefaultSensor(1);
    unknown.id = "XT 900 special";
    config.instruments[0].sensors.push_back(unknown);
    SyncRig rig(config);
    rig.CreatePcProject("Demo");
    rig.doc->setup.configTime = TimeStamp::FromSeconds(0);
    const std::size_t known = rig.sensors.Count();
    rig.State().step = 2;
    SyncWorker worker(*rig.env, SyncJob::Full);
    AnsweringDriver driver(rig.clock, SyncWorker::kButtonInstrument);
    driver.failFileOperation = 1;  // the database is written first, the project after it
    EXPECT_TRUE(RunSynchronization(*rig.env, driver, worker));
    EXPECT_EQ(driver.faults->Failures(), 1);
    EXPECT_EQ(driver.questions, 0);
    EXPECT_EQ(worker.SensorsAdded(), 1);
    EXPECT_TRUE(worker.DatabaseNotSaved());
    ASSERT_EQ(rig.op.Messages().size(), 1u);
    EXPECT_EQ(rig.op.Messages()[0].stringId, ids::kFileErrorBase + kFileWriteError);
    EXPECT_EQ(rig.op.Messages()[0].text,
              "Ошибка записи - сохранение файла невозможна!\n\n" + rig.env->sensorsPath);
    EXPECT_EQ(rig.op.Messages()[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(rig.folder.Exists("sensors.dat"));
    EXPECT_EQ(rig.sensors.Count(), known);
    EXPECT_EQ(rig.sensors.FindById("XT 900 special"), nullptr);
    EXPECT_TRUE(rig.State().synchronized);
    EXPECT_EQ(TextOf(rig.doc->setup.sensorIds[0]), "XT 900 special");
    EXPECT_EQ(rig.doc->setup.configTime, TimeStamp{});
    CProjectDoc reread(rig.folder.Path(), rig.profile, rig.sensors);
    ASSERT_EQ(reread.LoadProject(rig.folder.File("Demo.phj")), kFileOk);
    EXPECT_EQ(TextOf(reread.setup.sensorIds[0]), "XT 900 special");
    EXPECT_EQ(reread.setup.configTime, TimeStamp{});

    // The disk works again: the next run compares again and saves the sensor.
    driver.faults.reset();
    ASSERT_TRUE(rig.Run(Policy::FailOnQuestion));
    EXPECT_EQ(rig.Worker().SensorsAdded(), 1);
    EXPECT_FALSE(rig.Worker().DatabaseNotSaved());
    EXPECT_EQ(rig.op.Messages().size(), 1u);
    SensorDatabase saved;
    ASSERT_TRUE(saved.Load(rig.env->sensorsPath));
    EXPECT_EQ(saved.Count(), known + 1);
    EXPECT_NE(saved.FindById("XT 900 special"), nullptr);
    EXPECT_NE(rig.sensors.FindById("XT 900 special"), nullptr);
    EXPECT_EQ(rig.doc->setup.configTime, TimeStamp::FromSeconds(rig.Instrument().ConfigTime()));
}

// Guards against a run without a project on either side that does not end at once with result
// 4, shows no "В VG-28 нет проекта!", or leaves the session synchronized.
TEST(Synchronization, NoProjectOnEitherSideEndsWithResultFour) {
    sim::SimNetworkConfig config;
    config.instruments[0].project = "";
    SyncRig rig(config);
    rig.doc->ResetProject();
    rig.State().synchronized = true;
    const auto before = rig.folder.Files();
    EXPECT_FALSE(rig.Run(Policy::InstrumentWins));
    EXPECT_EQ(rig.Worker().Result(), SyncWorker::kResultNoProject);
    EXPECT_EQ(rig.Worker().QuestionCount(), 0);
    ASSERT_EQ(rig.op.Messages().size(), 1u);
    EXPECT_EQ(rig.op.Messages()[0].stringId, ids::kNoInstrumentProject);
    EXPECT_EQ(rig.op.Messages()[0].text, "В VG-28 нет проекта!");
    EXPECT_EQ(rig.op.Messages()[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(rig.State().synchronized);
    EXPECT_FALSE(rig.doc->HasProject());
    EXPECT_EQ(rig.folder.Files(), before);
    EXPECT_FALSE(rig.Requested("project;f;"));
    EXPECT_FALSE(rig.Requested("sensor;"));
}

}  // namespace
}  // namespace vg28
