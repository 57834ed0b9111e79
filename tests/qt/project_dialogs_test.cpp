// The project dialogs: the description's period, duplicate and station rules, the project
// list's order and buttons, the new project name checks and the start window.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "sensors/SensorDatabase.h"
#include "support/RecordingOperator.h"
#include "support/TestProject.h"
#include "ui/ProjectDescriptionDialog.h"
#include "ui/ProjectListDialog.h"
#include "ui/StartDialog.h"

namespace vg28::test {
namespace {

struct DescriptionFixture {
    DescriptionFixture() {
        EXPECT_TRUE(sensors.Load(ShippedSensorDatabase())) << ShippedSensorDatabase();
    }
    ProjectDescription Make(std::initializer_list<std::pair<int, const char*>> ids) {
        ProjectDescription d;
        d.name = "Demo";
        d.period = 600;
        d.sensors = &sensors;
        for (const auto& [k, id] : ids)
            CopyText(d.sensorIds[k], id);
        return d;
    }
    SensorDatabase sensors;
    RecordingOperator op;
};

// Period texts read wrongly ("1:00" as 1 s) or periods that break the hourly cycles accepted.
TEST(ProjectDescription, PeriodTextsAndTheirCheck) {
    const struct {
        const char* text;
        int seconds;
        bool accepted;
    } rows[] = {{"1:00", 60, true}, {"30", 30, true},         {"00:30:00", 1800, true},
                {"7", 7, false},    {"0", 0, false},          {"", 0, false},
                {"1:30", 90, true}, {"02:00:00", 7200, true}, {"1:2:3:4", 3723, false}};
    for (const auto& row : rows) {
        EXPECT_EQ(ui::ProjectDescriptionDialog::ParsePeriod(QString::fromUtf8(row.text)),
                  row.seconds)
            << row.text;
        DescriptionFixture f;
        ProjectDescription d = f.Make({{0, "TA 1"}});
        ui::ProjectDescriptionDialog dialog(d, f.op);
        dialog.PeriodCombo()->setEditText(QString::fromUtf8(row.text));
        dialog.OnOk();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, row.accepted) << row.text;
        if (row.accepted) {
            EXPECT_EQ(d.period, row.seconds);
        } else {
            ASSERT_EQ(f.op.Messages().size(), 1u) << row.text;
            EXPECT_EQ(f.op.Messages()[0].stringId, 10411);
        }
    }
}

// The same sensor on two inputs passing silently, "Plug and Play" counted as a duplicate, or
// No not keeping the dialog open.
TEST(ProjectDescription, DuplicateSensorQuestion) {
    const struct {
        const char* name;
        Answer answer;
        bool duplicate;
    } rows[] = {{"yes", Answer::Yes, true}, {"no", Answer::No, true}};
    for (const auto& row : rows) {
        DescriptionFixture f;
        f.op.SetDefault(row.answer);
        ProjectDescription d = f.Make({{1, "TA 1"}, {4, "TA 1"}});
        ui::ProjectDescriptionDialog dialog(d, f.op);
        dialog.OnOk();
        ASSERT_EQ(f.op.Messages().size(), 1u) << row.name;
        EXPECT_EQ(f.op.Messages()[0].text,
                  "Внимание!\n\nДатчик [TA 1] добавлен несколько раз.\nПродолжить?");
        EXPECT_EQ(dialog.result() == QDialog::Accepted, row.answer == Answer::Yes) << row.name;
    }
    DescriptionFixture f;
    ProjectDescription d = f.Make({{0, "TA 1"}});
    ui::ProjectDescriptionDialog dialog(d, f.op);
    dialog.StationCombo()->setCurrentIndex(2);  // Em50: "Plug and Play" on 8..14
    dialog.OnOk();
    EXPECT_TRUE(f.op.Messages().empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// Station choices writing the wrong channels, or the substrate sensor lost with "KWS".
TEST(ProjectDescription, StationChoicesSetTheModuleChannels) {
    const struct {
        int station;  // combo index: -1 none, 1 KWS, 2 Em50
        bool em50;
        const char* ch8;
        const char* ch11;
        const char* ch12;
        const char* ch15;
    } rows[] = {
        {-1, false, "", "", "", "Plug and Play"},
        {0, false, "", "", "", "Plug and Play"},
        {1, false, "KWS/R PAR", "KWS/SMTE/VWC C1", "KWS/SMTE/BEC", "CV/VPD"},
        {2, true, "Plug and Play", "Plug and Play", "Plug and Play", "keep"},
    };
    for (const auto& row : rows) {
        DescriptionFixture f;
        ProjectDescription d = f.Make(
            {{0, "TA 1"}, {8, "KWS/R PAR"}, {11, "KWS/SMTE/VWC C1"}, {15, "keep"}, {16, "keep"}});
        ui::ProjectDescriptionDialog dialog(d, f.op);
        EXPECT_EQ(dialog.StationCombo()->currentText(), QStringLiteral("KWS"));
        EXPECT_TRUE(dialog.SubstrateCombo()->isEnabled());
        dialog.StationCombo()->setCurrentIndex(row.station);
        EXPECT_EQ(dialog.SubstrateCombo()->isEnabled(), row.station == 1) << row.station;
        dialog.OnOk();
        ASSERT_EQ(dialog.result(), QDialog::Accepted) << row.station;
        EXPECT_EQ(d.em50, row.em50) << row.station;
        EXPECT_EQ(TextOf(d.sensorIds[8]), row.ch8) << row.station;
        EXPECT_EQ(TextOf(d.sensorIds[11]), row.ch11) << row.station;
        EXPECT_EQ(TextOf(d.sensorIds[12]), row.ch12) << row.station;
        EXPECT_EQ(TextOf(d.sensorIds[15]), row.ch15) << row.station;
    }
}

// A sensor missing from the database kept on OK, a note longer than 31 characters, or no
// sensor at all accepted.
TEST(ProjectDescription, MissingSensorsNotesAndEmptyProjects) {
    DescriptionFixture f;
    ProjectDescription d = f.Make({{0, "TA 1"}, {2, "T 9"}});
    ui::ProjectDescriptionDialog dialog(d, f.op);
    EXPECT_EQ(dialog.SensorCombo(2)->currentIndex(), -1);
    dialog.NoteEdit(0)->setText(QString(40, QLatin1Char('x')));
    EXPECT_EQ(dialog.NoteEdit(0)->text().size(), 31);
    dialog.OnOk();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(TextOf(d.sensorIds[2]), "");
    EXPECT_EQ(TextOf(d.notes[0]).size(), 31u);

    DescriptionFixture g;
    ProjectDescription empty = g.Make({});
    ui::ProjectDescriptionDialog none(empty, g.op);
    none.OnOk();
    EXPECT_NE(none.result(), QDialog::Accepted);
    ASSERT_EQ(g.op.Messages().size(), 1u);
    EXPECT_EQ(g.op.Messages()[0].text, "Пожалуйста, выберите хотя бы один датчик!");
}

// A note that CP1251 cannot hold stored as question marks without a word; a Cyrillic note not
// stored in CP1251.
TEST(ProjectDescription, NotesMustFitCp1251) {
    DescriptionFixture f;
    ProjectDescription d = f.Make({{0, "TA 1"}});
    ui::ProjectDescriptionDialog dialog(d, f.op);
    dialog.NoteEdit(3)->setText(QStringLiteral("Лист 名"));
    dialog.OnOk();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(f.op.Messages().size(), 1u);
    EXPECT_EQ(f.op.Messages()[0].stringId, 10204);
    EXPECT_EQ(f.op.Messages()[0].text.rfind("Недопустимые символы: \"名\"\n", 0), 0u)
        << f.op.Messages()[0].text;
    EXPECT_EQ(TextOf(d.notes[3]), "");
    dialog.NoteEdit(3)->setText(QStringLiteral("Лист"));
    dialog.OnOk();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(TextOf(d.notes[3]), TextCodec::Utf8ToCp1251("Лист"));
    EXPECT_EQ(f.op.Messages().size(), 1u);
}

// Projects listed in file order instead of unrecorded first, then newest last record first.
TEST(ProjectList, OrderAndClose) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    CProjectDoc& doc = *t.App().Core().Doc();
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "beta", {{0, "TA 1"}}));
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "old", {{0, "TA 1"}}, {"2020-01-01 10:00:00;S1;1"}));
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "Alpha", {{0, "TA 1"}}));
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "new", {{0, "TA 1"}}, {"2026-01-01 10:00:00;S1;1"}));
    doc.AppendLastRecord();
    RecordingOperator op;
    ui::ProjectListDialog dialog(doc, op, Clock::System(), false);
    EXPECT_FALSE(doc.HasProject());
    EXPECT_EQ(dialog.ShownNames(), std::vector<std::string>({"Alpha", "beta", "new", "old"}));
    // Escape does nothing; "&Закрыть" closes without a project.
    AnswerModal(QStringLiteral("close"), [](QWidget* w) {
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_TRUE(w->isVisible());
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_FALSE(doc.HasProject());
}

// A new project name that is no plain file name accepted (or crashing), the dialog closing
// on a refused name.
TEST(ProjectList, NewProjectNamesAreChecked) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    CProjectDoc& doc = *t.App().Core().Doc();
    RecordingOperator op;
    ui::ProjectListDialog list(doc, op, Clock::System(), false);
    int refused = 0;
    for (const char* bad : {"a/b", "c:d", "..", ".", "x\ty"}) {
        AnswerModal(QString(), [&, bad](QWidget* w) {
            auto* edit = w->findChild<QLineEdit*>(QStringLiteral("projectName"));
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->text().size(), 13);  // YYYYMMDD_hhmm
            edit->setText(QString::fromUtf8(bad));
            Child<QAbstractButton>(*w, QStringLiteral("ok"))->click();
            refused += w->isVisible() ? 1 : 0;
            Child<QAbstractButton>(*w, QStringLiteral("cancel"))->click();
        });
        ASSERT_NO_FATAL_FAILURE(list.NewProject());
    }
    EXPECT_EQ(refused, 5);
    ASSERT_EQ(op.Messages().size(), 5u);
    for (const OperatorMessage& m : op.Messages())
        EXPECT_EQ(m.stringId, 10202);
    for (const std::string& file : t.Folder().Folder().Files())
        EXPECT_EQ(file.find(".phj"), std::string::npos) << file;
    AnswerModal(QString(), [](QWidget* w) {
        Child<QLineEdit>(*w, QStringLiteral("projectName"))->setText(QStringLiteral("Good"));
        Child<QAbstractButton>(*w, QStringLiteral("ok"))->click();
    });
    ASSERT_NO_FATAL_FAILURE(list.NewProject());
    EXPECT_TRUE(list.NewlyCreated());
    EXPECT_EQ(doc.ProjectName(), "Good");
}

// A new project name that CP1251 cannot hold created (it would reach the instrument as '?') or
// refused without its message; a Cyrillic name of 16 characters (32 bytes) refused as too long.
TEST(ProjectList, NewProjectNamesMustFitCp1251) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    CProjectDoc& doc = *t.App().Core().Doc();
    RecordingOperator op;
    ui::ProjectListDialog list(doc, op, Clock::System(), false);
    int refused = 0;
    for (const char* bad : {"名前", "Поле \xF0\x9F\x8C\xB1"}) {
        AnswerModal(QString(), [&, bad](QWidget* w) {
            Child<QLineEdit>(*w, QStringLiteral("projectName"))->setText(QString::fromUtf8(bad));
            Child<QAbstractButton>(*w, QStringLiteral("ok"))->click();
            refused += w->isVisible() ? 1 : 0;
            Child<QAbstractButton>(*w, QStringLiteral("cancel"))->click();
        });
        ASSERT_NO_FATAL_FAILURE(list.NewProject());
    }
    EXPECT_EQ(refused, 2);
    ASSERT_EQ(op.Messages().size(), 2u);
    EXPECT_EQ(op.Messages()[0].stringId, 10204);
    EXPECT_EQ(op.Messages()[0].text.rfind("Недопустимые символы: \"名前\"\n", 0), 0u)
        << op.Messages()[0].text;
    EXPECT_EQ(op.Messages()[1].text.rfind("Недопустимые символы: \"\xF0\x9F\x8C\xB1\"\n", 0), 0u);
    EXPECT_EQ(op.Messages()[0].icon, MessageIcon::Stop);
    for (const std::string& file : t.Folder().Folder().Files())
        EXPECT_EQ(file.find(".phj"), std::string::npos) << file;

    const QString sixteen = QStringLiteral("Теплица_на_даче1");
    AnswerModal(QString(), [&sixteen](QWidget* w) {
        auto* edit = Child<QLineEdit>(*w, QStringLiteral("projectName"));
        edit->setText(sixteen);
        EXPECT_EQ(edit->text(), sixteen);
        Child<QAbstractButton>(*w, QStringLiteral("ok"))->click();
    });
    ASSERT_NO_FATAL_FAILURE(list.NewProject());
    EXPECT_TRUE(list.NewlyCreated());
    EXPECT_EQ(doc.ProjectName(), "Теплица_на_даче1");
    EXPECT_TRUE(t.Folder().Folder().Exists("Теплица_на_даче1.phj"));
    EXPECT_EQ(op.Messages().size(), 2u);
}

// Project files copied from Windows (".PHJ") missing from the list or not opening; Cyrillic
// names shown in another encoding or sorted by their bytes.
TEST(ProjectList, WindowsFilesAndCyrillicNames) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    CProjectDoc& doc = *t.App().Core().Doc();
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "Теплица", {{0, "TA 1"}}));
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "поле", {{0, "TA 1"}}));
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "Win", {{0, "TA 1"}}, {"2020-01-01 10:00:00;S1;1"}));
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "Alpha", {{0, "TA 1"}}));
    doc.ResetProject();
    std::filesystem::rename(t.Folder().Folder().File("Win.phj"),
                            t.Folder().Folder().File("Win.PHJ"));
    RecordingOperator op;
    ui::ProjectListDialog dialog(doc, op, Clock::System(), false);
    EXPECT_EQ(dialog.ShownNames(), std::vector<std::string>({"Alpha", "поле", "Теплица", "Win"}));
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("projectList"));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->topLevelItem(2)->text(0), QStringLiteral("Теплица"));
    for (const int row : {3, 2}) {
        tree->setCurrentItem(tree->topLevelItem(row));
        tree->topLevelItem(row)->setSelected(true);
        dialog.OpenSelected();
        EXPECT_EQ(doc.ProjectName(), row == 3 ? "Win" : "Теплица");
    }
    EXPECT_EQ(doc.PathName(), t.Folder().Folder().File("Теплица.phj"));
    EXPECT_TRUE(op.Messages().empty());
}

// The start window not preset to the stored action, or its answer not returned.
TEST(StartWindow, PresetAndChoice) {
    ui::StartDialog dialog(1);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Арболюкс VG-28"));
    EXPECT_TRUE(Child<QRadioButton>(dialog, QStringLiteral("actionOpen"))->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(dialog, QStringLiteral("dontShowAgain"))->isChecked());
    Child<QRadioButton>(dialog, QStringLiteral("actionConnect"))->setChecked(true);
    Child<QCheckBox>(dialog, QStringLiteral("dontShowAgain"))->setChecked(true);
    const StartChoice choice = dialog.Choice();
    EXPECT_EQ(choice.action, 2);
    EXPECT_TRUE(choice.dontShowAgain);
}

}  // namespace
}  // namespace vg28::test
