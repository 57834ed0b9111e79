#pragma once
// "База датчиков": browses the working copy of the sensor database and creates, changes and
// deletes its sensors and their coefficients. Saved records go into the working copy at once;
// the caller takes the copy back however the dialog ends (the close box included), so a record
// being edited and not saved is dropped. Enter and Escape do nothing here: only "Закрыть" and
// the close box end the dialog. The rules themselves are SensorEditRules'; refusals and
// problems are shown through the Operator.

#include <QDialog>
#include <QString>
#include <string>

#include "sensors/SensorEditRules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace vg28 {
class Operator;
}

namespace vg28::ui {

class SensorEditorDialog final : public QDialog {
    Q_OBJECT
public:
    // openAll: the profile's "Input"/"Open" is non-zero (protected sensors open, fewer checks).
    SensorEditorDialog(SensorDatabase& workingCopy, bool openAll, Operator& op,
                       QWidget* parent = nullptr);

    bool IsEditing() const { return m_editing; }
    const SensorRecord& WorkingRecord() const { return m_work; }

    // The handlers of the buttons, lists and combos.
    void OnNew();
    void OnChange();
    void OnDelete();
    void OnSave();
    void OnCancel();
    void OnTypeChosen(int item);
    void OnStandardButton();
    void OnFormatChosen();
    void OnEditCoefficient();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    // The list from the database, the entry of a database index selected (none for -1).
    void FillList(int selectIndex);
    void SelectRow(int row);
    int SelectedIndex() const;
    void OnSelectionChanged();
    void RefreshTypesAndUnits();
    void ShowRecord();
    void ShowCoefficients(int selectRow);
    void ShowUnits(const QString& units);
    // The open controls into the working record; closed ones cannot have changed and leave
    // the record's own values (no rounding through the shown texts).
    void TakeControls();
    void ApplyTemplateOf(const QString& type);
    SensorEditRules::Enabling CurrentEnabling() const;
    void UpdateEnabling();

    SensorDatabase& m_database;
    const bool m_openAll;
    Operator& m_operator;
    SensorRecord m_work;
    bool m_editing = false;
    int m_editIndex = -1;  // database index of the record being changed, -1 for a new one
    bool m_templateApplied = false;
    // The ID field as the record was last shown, and the type it was shown with.
    QString m_shownIdText;
    std::string m_shownIdType;

    QListWidget* m_list = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_close = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_description = nullptr;
    QComboBox* m_units = nullptr;
    QComboBox* m_format = nullptr;
    QComboBox* m_method = nullptr;
    QLineEdit* m_minimum = nullptr;
    QLineEdit* m_maximum = nullptr;
    QLabel* m_minimumUnits = nullptr;
    QLabel* m_maximumUnits = nullptr;
    QComboBox* m_maxOutput = nullptr;
    QCheckBox* m_standard = nullptr;
    QTreeWidget* m_coefficients = nullptr;
    QPushButton* m_editCoefficient = nullptr;
    QPushButton* m_standardButton = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_import = nullptr;
};

// Runs the editor modally over parent on the working copy (which the caller takes back).
void RunSensorEditorDialog(QWidget* parent, SensorDatabase& workingCopy, bool openAll,
                           Operator& op);

}  // namespace vg28::ui
