// Not a test: pictures of the windows and dialogs for a look by eye, written to the folder
// named by VG28_SHOT_DIR. Run with --gtest_also_run_disabled_tests --gtest_filter=*Shots*.

#include <gtest/gtest.h>
#include <QDir>
#include <QMenu>
#include <QMessageBox>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "sensors/SensorDatabase.h"
#include "support/RecordingOperator.h"
#include "support/TestProject.h"
#include "ui/ColumnChoiceDialog.h"
#include "ui/GraphTypeDialog.h"
#include "ui/NewProjectDialog.h"
#include "ui/ProjectDescriptionDialog.h"
#include "ui/ProjectListDialog.h"
#include "ui/QtOperator.h"
#include "ui/StartDialog.h"

namespace vg28::test {
namespace {

void Save(QWidget& widget, const QString& name) {
    widget.show();
    RunningTerminal::Pump(100);
    widget.grab().save(QDir(qEnvironmentVariable("VG28_SHOT_DIR")).filePath(name + ".png"));
}

TEST(Shots, DISABLED_WindowsAndDialogs) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("VG28_SHOT_DIR"));
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    CProjectDoc& doc = *t.App().Core().Doc();
    ASSERT_NO_FATAL_FAILURE(
        MakeProject(doc, "Теплица",
                    {{0, "TA 1"},
                     {1, "RH 1"},
                     {2, "PAR 1"},
                     {8, "KWS/R PAR"},
                     {9, "KWS/AT"},
                     {10, "KWS/RH"},
                     {15, "CV/VPD"},
                     {16, "CV/DP"}},
                    {"2026-12-07 10:00:00;S1;21.5;S2;60;S3;300;S9;410;S10;22.4;S11;61.5;S16;0.9;"
                     "S17;14.2;F:KWS;1;F:KWS-SHT;1;F:KWS-FAN;1",
                     "2026-12-07 10:10:00;S1;22.5;S2;58;S3;320;S9;420;S10;22.9;S11;60.5;S16;1.0;"
                     "S17;14.0;F:KWS;1;F:KWS-SHT;1;F:KWS-FAN;1;F:BL;1"}));
    t.Frame().GetSession().UpdateTitle();
    doc.m_rCurState.connected = true;
    doc.m_rCurState.deviceMode = 2;
    doc.m_rCurState.firmwareVersion = 0x01000205;
    std::snprintf(doc.m_rCurState.deviceId, sizeof doc.m_rCurState.deviceId, "VG28-00115");
    doc.m_rCurState.moduleVersion = 0x01020003;
    std::snprintf(doc.m_rCurState.moduleId, sizeof doc.m_rCurState.moduleId, "KWS-00042");
    doc.m_rCurState.m_rNextRecordTime = SystemTime{2026, 12, 1, 7, 10, 20, 0, 0};
    t.Frame().SetLinkIndicator("На связи");
    t.Frame().ShowControlPanel(false);
    doc.UpdateAllViews(kHintAll);
    t.Frame().resize(652, 585);
    Save(t.Frame(), "main-panel");
    t.Frame().resize(640, 484);
    Save(t.Frame(), "main-panel-640x484");
    t.Frame().ShowSearchProgress("Поиск VG-28", 60);
    t.Frame().SetSearchProgress(20);
    Save(t.Frame(), "main-panel-progress");
    t.Frame().HideSearchProgress();
    t.Frame().SetStatusText("Готов");
    t.Frame().showMaximized();
    Save(t.Frame(), "main-panel-maximized");
    t.Frame().showNormal();
    t.Frame().resize(900, 585);
    t.Frame().ShowRecordTable();
    t.Frame().RunCommand(32797);
    Save(t.Frame(), "main-table-diagnostics");
    t.Frame().RunCommand(32794);
    t.Frame().resize(652, 585);
    Save(t.Frame(), "main-table");
    t.Frame().resize(640, 484);
    Save(t.Frame(), "main-table-640x484");

    ui::ColumnChoiceDialog columns(0x7);
    Save(columns, "dialog-column-choice");
    ui::GraphTypeDialog graph(1);
    Save(graph, "dialog-graph-type");
    ui::StartDialog start(2);
    Save(start, "dialog-start");
    RecordingOperator op;
    ui::NewProjectDialog newProject(QStringLiteral("20260107_1430"), op,
                                    [](const std::string&) { return 0; });
    Save(newProject, "dialog-new-project");
    ui::ProjectListDialog list(doc, op, Clock::System(), false);
    Save(list, "dialog-project-list");
    SensorDatabase sensors;
    ASSERT_TRUE(sensors.Load(ShippedSensorDatabase())) << ShippedSensorDatabase();
    ProjectDescription description;
    description.name = "Теплица";
    description.period = 600;
    description.sensors = &sensors;
    std::snprintf(description.sensorIds[0], kIdLength, "TA 1");
    std::snprintf(description.sensorIds[8], kIdLength, "KWS/R PAR");
    std::snprintf(description.sensorIds[11], kIdLength, "KWS/SMTE/VWC C1");
    std::snprintf(description.notes[0], kIdLength, "Bench 4");
    ui::ProjectDescriptionDialog describe(description, op);
    Save(describe, "dialog-project-description");
    // The program's own question box, as the operator sees it.
    AnswerModal(QStringLiteral("yes"), [](QWidget* box) { Save(*box, "message-box"); });
    ui::QtOperator(&t.Frame())
        .Ask(0, "Внимание!\n\nДатчик [TA 1] добавлен несколько раз.\nПродолжить?");
}

}  // namespace
}  // namespace vg28::test
