// "База датчиков" and "Изменение коэффициентов" driven through their controls: protection,
// the stored IDs, the refused saves, template fills, existing sensors keeping their
// characteristics, the close box in the middle of an edit, Enter and Escape, coefficients.

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstring>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "base/StringIds.h"
#include "platform/FixedText.h"
#include "platform/Locale.h"
#include "sensors/SensorDatabase.h"
#include "support/RecordingOperator.h"
#include "support/TestProject.h"
#include "ui/CoefficientDialog.h"
#include "ui/QtOperator.h"
#include "ui/SensorEditorDialog.h"

namespace vg28::test {
namespace {

// The shipped database (or the test's own records) and a comma as decimal separator, as in a
// Russian locale; the locale is put back afterwards.
struct EditorFixture {
    EditorFixture() {
        Locale::SetCurrent(Locale(',', "%d.%m.%Y", "%H:%M:%S"));
        op.SetDefault(Answer::No);
        EXPECT_TRUE(database.Load(ShippedSensorDatabase())) << ShippedSensorDatabase();
        shipped = database.Count();
    }
    ~EditorFixture() {
        Locale::SetCurrent(Locale());
        ClearModalAnswers();
    }
    SensorDatabase database;
    std::size_t shipped = 0;
    RecordingOperator op;
};

void Click(QWidget& dialog, const char* name) {
    Child<QPushButton>(dialog, name)->click();
}

void SetText(QWidget& dialog, const char* name, const char* text) {
    QLineEdit* edit = Child<QLineEdit>(dialog, name);
    EXPECT_TRUE(edit->isEnabled()) << name;
    edit->setText(QString::fromUtf8(text));
}

void SetComboText(QWidget& dialog, const char* name, const char* text) {
    QComboBox* combo = Child<QComboBox>(dialog, name);
    EXPECT_TRUE(combo->isEnabled()) << name;
    combo->setEditText(QString::fromUtf8(text));
}

// Chooses an item as a person does: the combo shows it and reports the choice.
void Choose(QWidget& dialog, const char* name, const QString& item) {
    QComboBox* combo = Child<QComboBox>(dialog, name);
    ASSERT_TRUE(combo->isEnabled()) << name;
    const int index = combo->findText(item);
    ASSERT_GE(index, 0) << item.toStdString();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

bool Select(QWidget& dialog, const char* id) {
    QListWidget* list = Child<QListWidget>(dialog, "sensors");
    const QList<QListWidgetItem*> items = list->findItems(QString::fromUtf8(id), Qt::MatchExactly);
    if (items.isEmpty()) return false;
    list->setCurrentItem(items.front());
    return true;
}

QString SelectedText(QWidget& dialog) {
    QListWidgetItem* item = Child<QListWidget>(dialog, "sensors")->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

// Sets coefficient row to text through "&Редактировать" and the coefficient dialog.
void EditCoefficient(QWidget& dialog, int row, const char* text, const char* button = "ok") {
    QTreeWidget* rows = Child<QTreeWidget>(dialog, "coefficients");
    rows->setCurrentItem(rows->topLevelItem(row));
    AnswerModal(QString::fromLatin1(button), [text](QWidget* modal) {
        Child<QLineEdit>(*modal, QStringLiteral("coefficientValue"))
            ->setText(QString::fromUtf8(text));
    });
    ASSERT_NO_FATAL_FAILURE(Click(dialog, "editCoefficient"));
}

// A new sensor typed by hand: every field filled with a valid value.
void FillByHand(QWidget& dialog, const char* type, const char* id) {
    Click(dialog, "new");
    SetComboText(dialog, "type", type);
    SetText(dialog, "id", id);
    SetComboText(dialog, "units", "C");
    SetText(dialog, "minimum", "0");
    SetText(dialog, "maximum", "10");
    ASSERT_NO_FATAL_FAILURE(Choose(dialog, "maxOutput", QStringLiteral("2.5")));
    ASSERT_NO_FATAL_FAILURE(EditCoefficient(dialog, 1, "4"));
}

const SensorRecord* Find(const SensorDatabase& database, const char* id) {
    return database.FindById(id);
}

// Protected sensors changed or deleted without the profile's "Open", open ones refused, a
// refusal with the wrong message or icon, or a deletion without the question.
TEST(SensorEditor, ProtectionThroughTheButtons) {
    const struct {
        const char* id;
        bool openAll;
        bool change;
        bool remove;
    } rows[] = {
        {"KWS/AT", false, false, false},     {"KWS/SMTE/BEC", false, true, false},
        {" Sample TA", false, false, false}, {"TA 1", false, true, true},
        {"KWS/AT", true, true, true},
    };
    for (const auto& row : rows) {
        EditorFixture f;
        ui::SensorEditorDialog dialog(f.database, row.openAll, f.op);
        ASSERT_TRUE(Select(dialog, row.id)) << row.id;
        Click(dialog, "change");
        EXPECT_EQ(dialog.IsEditing(), row.change) << row.id;
        if (row.change) {
            EXPECT_TRUE(f.op.Messages().empty()) << row.id;
            EXPECT_FALSE(Child<QPushButton>(dialog, "close")->isEnabled()) << row.id;
            Click(dialog, "cancel");
        } else {
            ASSERT_EQ(f.op.Messages().size(), 1u) << row.id;
            EXPECT_EQ(f.op.Messages()[0].stringId, 10430);
            EXPECT_EQ(f.op.Messages()[0].text, "Вы не можете изменить датчик.");
            EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Stop);
        }
        f.op.Clear();
        EXPECT_EQ(SelectedText(dialog), QString::fromUtf8(row.id));
        Click(dialog, "delete");  // answered No
        ASSERT_EQ(f.op.Messages().size(), 1u) << row.id;
        if (row.remove) {
            EXPECT_EQ(f.op.Messages()[0].text, "Удалить датчик из базы?");
            EXPECT_EQ(f.op.Messages()[0].buttons, MessageButtons::YesNo);
            EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Question);
        } else {
            EXPECT_EQ(f.op.Messages()[0].text, "Вы не можете удалить датчик!");
            EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Information);
        }
        EXPECT_EQ(f.database.Count(), f.shipped) << row.id;
    }
}

// Yes to the question removing the wrong record or leaving the selection on nothing.
TEST(SensorEditor, DeleteMovesTheSelectionToTheNextEntry) {
    EditorFixture f;
    f.op.SetDefault(Answer::Yes);
    ui::SensorEditorDialog dialog(f.database, false, f.op);
    QListWidget* list = Child<QListWidget>(dialog, "sensors");
    ASSERT_TRUE(Select(dialog, "TA 1"));
    const int row = list->currentRow();
    const QString next = list->item(row + 1)->text();
    Click(dialog, "delete");
    EXPECT_EQ(f.database.Count(), f.shipped - 1);
    EXPECT_EQ(Find(f.database, "TA 1"), nullptr);
    EXPECT_EQ(SelectedText(dialog), next);
    EXPECT_EQ(TextOf(dialog.WorkingRecord().id), next.toStdString());
    // The last entry deleted (with "Open": the last entries are protected): the entry before
    // it is selected.
    ui::SensorEditorDialog open(f.database, true, f.op);
    QListWidget* openList = Child<QListWidget>(open, "sensors");
    const int last = openList->count() - 1;
    const QString before = openList->item(last - 1)->text();
    openList->setCurrentRow(last);
    Click(open, "delete");
    EXPECT_EQ(f.database.Count(), f.shipped - 2);
    EXPECT_EQ(SelectedText(open), before);
}

// Guards against deleting the last sensor: sensors.dat without sensors does not load and the
// program would refuse to start.
TEST(SensorEditor, LastSensorIsNotDeleted) {
    EditorFixture f;
    f.op.SetDefault(Answer::Yes);
    while (f.database.Count() > 1)
        f.database.RemoveAt(0);
    ui::SensorEditorDialog dialog(f.database, true, f.op);
    Child<QListWidget>(dialog, "sensors")->setCurrentRow(0);
    Click(dialog, "delete");
    EXPECT_EQ(f.database.Count(), 1u);
    ASSERT_EQ(f.op.Messages().size(), 1u);
    EXPECT_EQ(f.op.Messages()[0].stringId, ids::kCannotDeleteSensor);
}

// A new sensor stored as "T T 1" or "T T", or with its suffix lost; the saved entry not
// selected afterwards.
TEST(SensorEditor, NewSensorIdStored) {
    const struct {
        const char* type;
        const char* idText;
        const char* stored;
    } rows[] = {{"T", "1", "T 1"}, {"T", "T", "T"}, {"Влажн", "A 2", "Влажн A 2"}};
    for (const auto& row : rows) {
        EditorFixture f;
        ui::SensorEditorDialog dialog(f.database, false, f.op);
        ASSERT_NO_FATAL_FAILURE(FillByHand(dialog, row.type, row.idText));
        Click(dialog, "save");
        EXPECT_TRUE(f.op.Messages().empty()) << row.stored;
        EXPECT_FALSE(dialog.IsEditing()) << row.stored;
        ASSERT_EQ(f.database.Count(), f.shipped + 1) << row.stored;
        const SensorRecord& saved = f.database.At(f.shipped);
        EXPECT_EQ(ui::FromCp1251(std::string(TextOf(saved.id))), QString::fromUtf8(row.stored));
        EXPECT_EQ(saved.coefficients[1], 4.0);
        EXPECT_EQ(saved.maxOutput, 2.5);
        EXPECT_EQ(SelectedText(dialog), QString::fromUtf8(row.stored));
    }
    EXPECT_EQ(UnansweredModals(), 0);
}

// Saves that must be refused going through (duplicate ID in another letter case, min = max,
// no maximum output), the wrong message, or the fields closed after a refusal so that the
// operator cannot mend what the message asks for.
TEST(SensorEditor, RefusedSaves) {
    const struct {
        const char* name;
        const char* type;
        const char* idText;
        const char* units;
        const char* minimum;
        const char* maximum;
        const char* maxOutput;
        bool openAll;
        const char* message;  // nullptr: saved
    } rows[] = {
        {"duplicate, other case", "ta", "1", "C", "0", "10", "2.5", false,
         "Датчик с таким ID уже есть в базе!\nИзмените ID."},
        {"duplicate, same case", "TA", "2", "C", "0", "10", "2.5", true,
         "Датчик с таким ID уже есть в базе!\nИзмените ID."},
        {"min = max", "T", "1", "C", "5", "5", "2.5", false,
         "Максимум должен быть больше минимума!"},
        {"min = max, written differently", "T", "1", "C", "5", "5,000", "2.5", true,
         "Максимум должен быть больше минимума!"},
        {"n/a output", "T", "1", "C", "0", "10", "n/a", false, "Максимальный выход - 20 В!"},
        {"n/a output, open all", "T", "1", "C", "0", "10", "n/a", true, nullptr},
        {"no units", "T", "1", "", "0", "10", "2.5", false, "Укажите единицы измерения!"},
    };
    for (const auto& row : rows) {
        EditorFixture f;
        ui::SensorEditorDialog dialog(f.database, row.openAll, f.op);
        ASSERT_NO_FATAL_FAILURE(FillByHand(dialog, row.type, row.idText));
        SetComboText(dialog, "units", row.units);
        SetText(dialog, "minimum", row.minimum);
        SetText(dialog, "maximum", row.maximum);
        ASSERT_NO_FATAL_FAILURE(Choose(dialog, "maxOutput", QString::fromUtf8(row.maxOutput)));
        Click(dialog, "save");
        if (!row.message) {
            EXPECT_TRUE(f.op.Messages().empty()) << row.name;
            EXPECT_EQ(f.database.Count(), f.shipped + 1) << row.name;
            EXPECT_EQ(f.database.At(f.shipped).maxOutput, 0.0) << row.name;
            continue;
        }
        ASSERT_EQ(f.op.Messages().size(), 1u) << row.name;
        EXPECT_EQ(f.op.Messages()[0].text, row.message) << row.name;
        EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Stop) << row.name;
        EXPECT_EQ(f.database.Count(), f.shipped) << row.name;
        EXPECT_TRUE(dialog.IsEditing()) << row.name;
        for (const char* field : {"type", "units", "maxOutput"})
            EXPECT_TRUE(Child<QWidget>(dialog, field)->isEnabled()) << row.name << " " << field;
        EXPECT_TRUE(Child<QLineEdit>(dialog, "minimum")->isEnabled()) << row.name;
    }
}

// A new sensor filled from the first sensor of its type instead of the type's template when
// the template comes later in the file; the characteristics left open after the fill.
TEST(SensorEditor, TemplateFillWhicheverOrder) {
    SensorRecord sample = EmptySensorRecord();
    CopyText(sample.id, " Sample T");
    CopyText(sample.type, "T");
    CopyText(sample.description, "Template");
    CopyText(sample.units, "%");
    sample.precision = 2;
    sample.maxOutput = 5.0;
    sample.minimum = 0.0;
    sample.maximum = 50.0;
    sample.coefficients[1] = 10.0;
    sample.standardCoefficients = 1;
    SensorRecord first = sample;
    CopyText(first.id, "T 1");
    CopyText(first.description, "First");
    first.maximum = 40.0;
    first.standardCoefficients = 0;
    SensorRecord other = sample;
    CopyText(other.id, "U 1");
    CopyText(other.type, "U");
    const std::vector<std::vector<SensorRecord>> orders = {{sample, first, other},
                                                           {first, other, sample}};
    for (const auto& records : orders) {
        EditorFixture f;
        f.database.ReplaceAll(records);
        ui::SensorEditorDialog dialog(f.database, false, f.op);
        Click(dialog, "new");
        ASSERT_NO_FATAL_FAILURE(Choose(dialog, "type", QStringLiteral("T")));
        const SensorRecord& work = dialog.WorkingRecord();
        EXPECT_EQ(std::memcmp(&work, &sample, kSensorFirstBlock), 0);
        EXPECT_EQ(Child<QLineEdit>(dialog, "id")->text(), QStringLiteral("#"));
        EXPECT_EQ(Child<QLineEdit>(dialog, "description")->text(), QStringLiteral("Template"));
        EXPECT_EQ(Child<QLineEdit>(dialog, "maximum")->text(), QStringLiteral("50,00"));
        EXPECT_EQ(Child<QLabel>(dialog, "minimumUnits")->text(), QStringLiteral("%"));
        EXPECT_EQ(Child<QComboBox>(dialog, "maxOutput")->currentText(), QStringLiteral("5.0"));
        for (const char* closed : {"type", "units", "description", "maxOutput", "coefficients",
                                   "editCoefficient", "standardButton", "method"})
            EXPECT_FALSE(Child<QWidget>(dialog, closed)->isEnabled()) << closed;
        EXPECT_TRUE(Child<QLineEdit>(dialog, "id")->isEnabled());
        SetText(dialog, "id", "2");
        Click(dialog, "save");
        EXPECT_TRUE(f.op.Messages().empty());
        const SensorRecord* saved = Find(f.database, "T 2");
        ASSERT_NE(saved, nullptr);
        EXPECT_EQ(std::memcmp(saved, &sample, kSensorFirstBlock), 0);
    }
}

// Changing only the ID of an existing sensor rewriting its characteristics through the shown
// texts: a range rounded to the display precision, an output between the offered values, a
// method without a label.
TEST(SensorEditor, ChangedSensorKeepsItsCharacteristics) {
    EditorFixture f;
    SensorRecord odd = EmptySensorRecord();
    CopyText(odd.id, "T 1");
    CopyText(odd.type, "T");
    CopyText(odd.units, "C");
    odd.precision = 1;
    odd.minimum = 0.04;
    odd.maximum = 33.333;
    odd.maxOutput = 3.3;
    odd.method = kMethodAvg;
    odd.coefficients[0] = 1.5;
    odd.reserved1[0] = 0x42;
    f.database.Append(odd);
    ui::SensorEditorDialog dialog(f.database, false, f.op);
    ASSERT_TRUE(Select(dialog, "T 1"));
    Click(dialog, "change");
    ASSERT_TRUE(dialog.IsEditing());
    EXPECT_FALSE(Child<QWidget>(dialog, "minimum")->isEnabled());
    EXPECT_EQ(Child<QLineEdit>(dialog, "id")->text(), QStringLiteral("1"));
    SetText(dialog, "id", "5");
    Click(dialog, "save");
    EXPECT_TRUE(f.op.Messages().empty());
    ASSERT_EQ(f.database.Count(), f.shipped + 1);
    const SensorRecord& saved = f.database.At(f.shipped);
    EXPECT_EQ(TextOf(saved.id), "T 5");
    EXPECT_EQ(std::memcmp(&saved, &odd, kSensorFirstBlock), 0);
}

// A sensor of the given type and ID with valid characteristics of its own.
SensorRecord Sensor(const char* type, const char* id) {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.type, ui::ToCp1251(QString::fromUtf8(type)));
    CopyText(record.id, ui::ToCp1251(QString::fromUtf8(id)));
    CopyText(record.units, "C");
    CopyText(record.description, "Long names");
    record.precision = 1;
    record.maximum = 50.0;
    record.maxOutput = 2.5;
    record.coefficients[1] = 1.0;
    return record;
}

// Texts the program puts into the length-limited fields cut to the typing limits: an ID suffix
// of 16 or more characters, a type of 17 to 31, so that saving after a change of the
// coefficients only renames the sensor (and the project channels naming it lose it); an ID
// not formed from its type renamed by a save that did not touch the ID field.
TEST(SensorEditor, TextsThatTheProgramPutsAreKeptWhole) {
    const struct {
        const char* name;
        const char* type;
        const char* id;
        const char* shownId;
        bool openAll;
    } rows[] = {
        {"suffix of 18", "T", "T 0123456789ABCDEFGH", "0123456789ABCDEFGH", false},
        {"suffix of 29", "T", "T 0123456789ABCDEFGHIJKLMNOPQRS", "0123456789ABCDEFGHIJKLMNOPQRS",
         false},
        {"type of 24", "Soil moisture, 30cm deep", "Soil moisture, 30cm deep 1", "1", true},
        {"type of 31", "Soil moisture probe 1.2 m depth", "Soil moisture probe 1.2 m depth",
         "Soil moisture probe 1.2 m depth", true},
        {"ID of another type", "T", "Влажность A", "Влажность A", false},
        {"two blanks", "T", "T  2", "2", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EditorFixture f;
        const SensorRecord before = Sensor(row.type, row.id);
        f.database.Append(before);
        ui::SensorEditorDialog dialog(f.database, row.openAll, f.op);
        ASSERT_TRUE(Select(dialog, row.id));
        EXPECT_EQ(Child<QLineEdit>(dialog, "id")->text(), QString::fromUtf8(row.shownId));
        EXPECT_EQ(Child<QComboBox>(dialog, "type")->currentText(), QString::fromUtf8(row.type));
        Click(dialog, "change");
        ASSERT_TRUE(dialog.IsEditing());
        EXPECT_EQ(Child<QLineEdit>(dialog, "id")->text(), QString::fromUtf8(row.shownId));
        EXPECT_EQ(Child<QComboBox>(dialog, "type")->currentText(), QString::fromUtf8(row.type));
        ASSERT_NO_FATAL_FAILURE(EditCoefficient(dialog, 2, "3"));
        Click(dialog, "save");
        EXPECT_TRUE(f.op.Messages().empty());
        ASSERT_FALSE(dialog.IsEditing());
        const SensorRecord& saved = f.database.At(f.shipped);
        EXPECT_EQ(ui::FromCp1251(std::string(TextOf(saved.id))), QString::fromUtf8(row.id));
        EXPECT_EQ(TextOf(saved.type), TextOf(before.type));
        EXPECT_EQ(saved.coefficients[2], 3.0);
        EXPECT_EQ(SelectedText(dialog), QString::fromUtf8(row.id));
    }
    // A type of 24 characters chosen from the list for a new sensor is taken whole.
    EditorFixture f;
    SensorRecord sample = Sensor("Soil moisture, 30cm deep", " Sample Soil moisture, 30cm deep");
    f.database.Append(sample);
    ui::SensorEditorDialog dialog(f.database, true, f.op);
    Click(dialog, "new");
    ASSERT_NO_FATAL_FAILURE(Choose(dialog, "type", QStringLiteral("Soil moisture, 30cm deep")));
    EXPECT_EQ(Child<QComboBox>(dialog, "type")->currentText(),
              QStringLiteral("Soil moisture, 30cm deep"));
    SetText(dialog, "id", "7");
    Click(dialog, "save");
    EXPECT_TRUE(f.op.Messages().empty());
    ASSERT_EQ(f.database.Count(), f.shipped + 2);
    EXPECT_EQ(TextOf(f.database.At(f.shipped + 1).id), "Soil moisture, 30cm deep 7");
    EXPECT_EQ(TextOf(f.database.At(f.shipped + 1).type), "Soil moisture, 30cm deep");
    EXPECT_EQ(UnansweredModals(), 0);
}

// The limits of the fields not holding for what the operator types or pastes, or a long text
// that the program put there growing by the operator's typing.
TEST(SensorEditor, TypingStaysWithinTheLimits) {
    EditorFixture f;
    f.database.Append(Sensor("T", "T 0123456789ABCDEFGH"));
    ui::SensorEditorDialog dialog(f.database, true, f.op);
    Click(dialog, "new");
    // Key clicks carry Latin letters only; the paste carries Cyrillic ones too.
    const QString typed = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789ABCDEF");
    const QString pasted = QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюя0123456789");
    const struct {
        const char* field;
        int limit;
    } fields[] = {{"type", 16}, {"id", 15}, {"description", 31}, {"units", 15}};
    for (const auto& field : fields) {
        SCOPED_TRACE(field.field);
        QWidget* widget = Child<QWidget>(dialog, field.field);
        auto* combo = qobject_cast<QComboBox*>(widget);
        QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(widget);
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, typed);
        EXPECT_EQ(edit->text(), typed.left(field.limit));
        edit->clear();
        edit->insert(pasted);
        EXPECT_EQ(edit->text(), pasted.left(field.limit));
    }
    Click(dialog, "cancel");

    ASSERT_TRUE(Select(dialog, "T 0123456789ABCDEFGH"));
    Click(dialog, "change");
    QLineEdit* id = Child<QLineEdit>(dialog, "id");
    id->setFocus();
    id->end(false);
    QTest::keyClicks(id, QStringLiteral("Z"));
    EXPECT_EQ(id->text(), QStringLiteral("0123456789ABCDEFGH"));
    QTest::keyClick(id, Qt::Key_Backspace);
    QTest::keyClicks(id, QStringLiteral("YZ"));
    EXPECT_EQ(id->text(), QStringLiteral("0123456789ABCDEFG"));
    id->selectAll();
    QTest::keyClicks(id, typed);
    EXPECT_EQ(id->text(), typed.left(15));
}

// The close box in the middle of a new record losing the records saved before it, or keeping
// the unsaved one; the deletion question not reaching the operator.
TEST(SensorEditor, CloseBoxMidEditKeepsEarlierSaves) {
    EditorFixture f;
    ui::QtOperator op;
    // First look: delete "TA 2" and let the question come.
    AnswerModal(QString(), [](QWidget* editor) {
        ASSERT_TRUE(Select(*editor, "TA 2"));
        QMetaObject::invokeMethod(Child<QPushButton>(*editor, "delete"), "click",
                                  Qt::QueuedConnection);
    });
    AnswerModal(QStringLiteral("yes"));
    // Then save one new sensor, begin another and close the window.
    AnswerModal(QString(), [](QWidget* editor) {
        Click(*editor, "new");
        ASSERT_NO_FATAL_FAILURE(Choose(*editor, "type", QStringLiteral("TA")));
        SetText(*editor, "id", "9");
        Click(*editor, "save");
        Click(*editor, "new");
        ASSERT_NO_FATAL_FAILURE(Choose(*editor, "type", QStringLiteral("RH")));
        SetText(*editor, "id", "7");
        EXPECT_FALSE(Child<QPushButton>(*editor, "close")->isEnabled());
        editor->close();
    });
    ASSERT_NO_FATAL_FAILURE(ui::RunSensorEditorDialog(nullptr, f.database, false, op));
    EXPECT_EQ(UnansweredModals(), 0);
    EXPECT_EQ(Find(f.database, "TA 2"), nullptr);
    EXPECT_NE(Find(f.database, "TA 9"), nullptr);
    EXPECT_EQ(Find(f.database, "RH 7"), nullptr);
    EXPECT_EQ(Find(f.database, "RH #"), nullptr);
    EXPECT_EQ(f.database.Count(), f.shipped);
}

// Enter saving or closing, Escape closing the editor (it ends only by "Закрыть" or the close
// box).
TEST(SensorEditor, EnterAndEscapeSwallowed) {
    EditorFixture f;
    ui::SensorEditorDialog dialog(f.database, false, f.op);
    dialog.show();
    RunningTerminal::Pump(50);
    QTest::keyClick(Child<QListWidget>(dialog, "sensors"), Qt::Key_Escape);
    QTest::keyClick(Child<QPushButton>(dialog, "close"), Qt::Key_Return);
    QTest::keyClick(Child<QPushButton>(dialog, "new"), Qt::Key_Enter);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    ASSERT_NO_FATAL_FAILURE(FillByHand(dialog, "T", "1"));
    QLineEdit* id = Child<QLineEdit>(dialog, "id");
    id->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(id, key);
    QTest::keyClick(Child<QComboBox>(dialog, "type"), Qt::Key_Return);
    QTest::keyClick(Child<QPushButton>(dialog, "save"), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.IsEditing());
    EXPECT_EQ(f.database.Count(), f.shipped);
    EXPECT_TRUE(f.op.Messages().empty());
    Click(dialog, "save");
    Click(dialog, "close");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(f.database.Count(), f.shipped + 1);
}

// A coefficient stored in the wrong row, read without the decimal comma, changed by
// "&Отменить", or open for a sensor with standard coefficients.
TEST(SensorEditor, CoefficientDialog) {
    EditorFixture f;
    ui::SensorEditorDialog dialog(f.database, false, f.op);
    ASSERT_TRUE(Select(dialog, "LW 1"));
    const double before = f.database.FindById("LW 1")->coefficients[2];
    Click(dialog, "change");
    QTreeWidget* rows = Child<QTreeWidget>(dialog, "coefficients");
    ASSERT_TRUE(rows->isEnabled());
    QString shownName;
    QString shownValue;
    rows->setCurrentItem(rows->topLevelItem(2));
    const QString rowText = rows->topLevelItem(2)->text(1);
    AnswerModal(QStringLiteral("ok"), [&](QWidget* modal) {
        shownName = Child<QLabel>(*modal, QStringLiteral("coefficientName"))->text();
        auto* edit = Child<QLineEdit>(*modal, QStringLiteral("coefficientValue"));
        shownValue = edit->text();
        edit->setText(QStringLiteral("-1,25e+001"));
    });
    ASSERT_NO_FATAL_FAILURE(Click(dialog, "editCoefficient"));
    EXPECT_EQ(shownName, QStringLiteral("C2"));
    EXPECT_EQ(shownValue, rowText);
    EXPECT_EQ(dialog.WorkingRecord().coefficients[2], -12.5);
    EXPECT_EQ(rows->topLevelItem(2)->text(1), QStringLiteral("-1,25000e+001"));
    EXPECT_EQ(rows->currentItem(), rows->topLevelItem(2));
    EXPECT_TRUE(rows->currentItem()->isSelected());
    ASSERT_NO_FATAL_FAILURE(EditCoefficient(dialog, 3, "7", "cancel"));
    EXPECT_EQ(dialog.WorkingRecord().coefficients[3], f.database.FindById("LW 1")->coefficients[3]);
    EXPECT_EQ(f.database.FindById("LW 1")->coefficients[2], before);  // not saved yet
    Click(dialog, "save");
    EXPECT_EQ(f.database.FindById("LW 1")->coefficients[2], -12.5);
    EXPECT_EQ(UnansweredModals(), 0);

    // Standard coefficients of an existing sensor stay closed.
    ASSERT_TRUE(Select(dialog, "TA 1"));
    Click(dialog, "change");
    EXPECT_FALSE(Child<QWidget>(dialog, "editCoefficient")->isEnabled());
    EXPECT_FALSE(Child<QWidget>(dialog, "standardButton")->isEnabled());

    ui::CoefficientDialog empty(0, 3.0);
    empty.ValueEdit()->clear();
    EXPECT_EQ(empty.Value(), 0.0);
}

// "Формат" leaving the range texts at the old precision; the unit statics not following the
// units typed.
TEST(SensorEditor, FormatAndUnits) {
    EditorFixture f;
    ui::SensorEditorDialog dialog(f.database, false, f.op);
    Click(dialog, "new");
    SetComboText(dialog, "type", "T");
    SetText(dialog, "minimum", "1,25");
    SetText(dialog, "maximum", "7");
    ASSERT_NO_FATAL_FAILURE(Choose(dialog, "format", QStringLiteral("#.###")));
    EXPECT_EQ(Child<QLineEdit>(dialog, "minimum")->text(), QStringLiteral("1,250"));
    EXPECT_EQ(Child<QLineEdit>(dialog, "maximum")->text(), QStringLiteral("7,000"));
    EXPECT_EQ(dialog.WorkingRecord().precision, 3);
    SetComboText(dialog, "units", "мм");
    EXPECT_EQ(Child<QLabel>(dialog, "minimumUnits")->text(), QStringLiteral("мм"));
    EXPECT_EQ(Child<QLabel>(dialog, "maximumUnits")->text(), QStringLiteral("мм"));
    // The format chosen after a hand-typed type leaves the fields open.
    EXPECT_TRUE(Child<QWidget>(dialog, "units")->isEnabled());
    Click(dialog, "cancel");
    EXPECT_FALSE(dialog.IsEditing());
    QListWidget* list = Child<QListWidget>(dialog, "sensors");
    EXPECT_EQ(list->currentRow(), list->count() - 1);
}

// Pictures for a look by eye: the editor browsing and editing, the coefficient dialog.
TEST(SensorEditorShots, DISABLED_Pictures) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("VG28_SHOT_DIR"));
    const QDir folder(qEnvironmentVariable("VG28_SHOT_DIR"));
    EditorFixture f;
    ui::SensorEditorDialog dialog(f.database, false, f.op);
    dialog.show();
    ASSERT_TRUE(Select(dialog, "QJ-DM 1"));
    RunningTerminal::Pump(100);
    dialog.grab().save(folder.filePath(QStringLiteral("sensor-editor-browsing.png")));
    Click(dialog, "new");
    ASSERT_NO_FATAL_FAILURE(Choose(dialog, "type", QStringLiteral("QJ-DM")));
    SetText(dialog, "id", "3");
    QTreeWidget* rows = Child<QTreeWidget>(dialog, "coefficients");
    rows->setCurrentItem(rows->topLevelItem(1));
    RunningTerminal::Pump(100);
    dialog.grab().save(folder.filePath(QStringLiteral("sensor-editor-editing.png")));
    Click(dialog, "cancel");
    Click(dialog, "new");
    SetComboText(dialog, "type", "Влажность");
    SetText(dialog, "description", "Влажность субстрата, минвата");
    SetComboText(dialog, "units", "% об.");
    RunningTerminal::Pump(100);
    dialog.grab().save(folder.filePath(QStringLiteral("sensor-editor-new-by-hand.png")));
    ui::CoefficientDialog coefficient(4, -4.0e-5, &dialog);
    coefficient.show();
    RunningTerminal::Pump(100);
    coefficient.grab().save(folder.filePath(QStringLiteral("sensor-editor-coefficient.png")));
}

}  // namespace
}  // namespace vg28::test
