#include "ui/SensorEditorDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "base/Operator.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/FixedText.h"
#include "sensors/SensorFormat.h"
#include "ui/CoefficientDialog.h"
#include "ui/DialogButtons.h"
#include "ui/QtOperator.h"
#include "ui/TypingLimit.h"

namespace vg28::ui {

namespace {

constexpr int kCoefficients = 6;
constexpr int kNumberColumnWidth = 24;
constexpr int kValueColumnWidth = 92;
const char* const kPrecisionTexts[] = {"#", "#.#", "#.##", "#.###", "#.####", "#.#####"};
const char* const kMethodTexts[] = {"Normal", "Zeroing"};

bool LessNoCase(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// A sorted combo's items: the texts in alphabetical order, letter case ignored.
void FillSorted(QComboBox* combo, const std::vector<std::string>& texts) {
    QStringList items;
    for (const std::string& text : texts)
        items.push_back(FromCp1251(text));
    std::stable_sort(items.begin(), items.end(), LessNoCase);
    combo->clear();
    combo->addItems(items);
}

QComboBox* MakeEditableCombo(const char* name, int maxLength) {
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // The operator's typing stays as typed: no completion from the list.
    combo->setCompleter(nullptr);
    TypingLimit::Apply(combo->lineEdit(), maxLength);
    return combo;
}

QComboBox* MakeDropDown(const char* name, const QStringList& items) {
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems(items);
    return combo;
}

QLineEdit* MakeEdit(const char* name, int maxLength = 0) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) TypingLimit::Apply(edit, maxLength);
    return edit;
}

}  // namespace

SensorEditorDialog::SensorEditorDialog(SensorDatabase& workingCopy, bool openAll, Operator& op,
                                       QWidget* parent)
    : QDialog(parent),
      m_database(workingCopy),
      m_openAll(openAll),
      m_operator(op),
      m_work(EmptySensorRecord()) {
    setObjectName(QStringLiteral("sensorEditorDialog"));
    setWindowTitle(QStringLiteral("База датчиков"));
    BuildControls();

    FillList(-1);
    SelectRow(0);
    RefreshTypesAndUnits();
    OnSelectionChanged();
    UpdateEnabling();
}

void SensorEditorDialog::BuildControls() {
    auto* layout = new QHBoxLayout(this);

    // Left: the sensors and the buttons that work on them.
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Датчики")));
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("sensors"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumWidth(m_list->fontMetrics().horizontalAdvance(QStringLiteral("W")) * 17);
    left->addWidget(m_list, 1);
    auto* listButtons = new QHBoxLayout;
    m_new = AddDialogButton(listButtons, "&Новый", "new");
    m_delete = AddDialogButton(listButtons, "&Удалить", "delete");
    m_change = AddDialogButton(listButtons, "&Изменить", "change");
    left->addLayout(listButtons);
    layout->addLayout(left, 2);

    // Right: the sensor's fields, its coefficients and the buttons of an edit.
    auto* right = new QVBoxLayout;
    auto* fieldsBox = new QGroupBox;
    auto* fields = new QGridLayout(fieldsBox);
    m_type = MakeEditableCombo("type", SensorEditRules::kTypeLength);
    m_id = MakeEdit("id", SensorEditRules::kIdLength);
    m_description = MakeEdit("description", SensorEditRules::kDescriptionLength);
    m_units = MakeEditableCombo("units", SensorEditRules::kUnitsLength);
    QStringList precisions;
    for (const char* text : kPrecisionTexts)
        precisions.push_back(QString::fromLatin1(text));
    m_format = MakeDropDown("format", precisions);
    QStringList methods;
    for (const char* text : kMethodTexts)
        methods.push_back(QString::fromLatin1(text));
    m_method = MakeDropDown("method", methods);
    m_minimum = MakeEdit("minimum");
    m_maximum = MakeEdit("maximum");
    m_minimumUnits = new QLabel(QStringLiteral("В"));
    m_minimumUnits->setObjectName(QStringLiteral("minimumUnits"));
    m_maximumUnits = new QLabel(QStringLiteral("В"));
    m_maximumUnits->setObjectName(QStringLiteral("maximumUnits"));
    // Room for the longest texts the fields take.
    const int charWidth = fontMetrics().averageCharWidth();
    const int arrowWidth = 2 * fontMetrics().height();
    m_type->setMinimumWidth(charWidth * (SensorEditRules::kTypeLength + 1) + arrowWidth);
    m_units->setMinimumWidth(charWidth * (SensorEditRules::kUnitsLength + 1) + arrowWidth);
    m_id->setMinimumWidth(charWidth * (SensorEditRules::kIdLength + 1));
    for (QLineEdit* edit : {m_minimum, m_maximum})
        edit->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-00000,00000")) +
                              charWidth * 2);
    for (QLabel* label : {m_minimumUnits, m_maximumUnits}) {
        label->setTextFormat(Qt::PlainText);
        label->setMinimumWidth(charWidth * (SensorEditRules::kUnitsLength + 1));
    }
    QStringList outputs;
    for (int item = 0; item < SensorEditRules::kMaxOutputItems; ++item)
        outputs.push_back(QString::fromStdString(SensorEditRules::MaxOutputText(item)));
    m_maxOutput = MakeDropDown("maxOutput", outputs);
    m_standard = new QCheckBox(QStringLiteral("Стандартные"));
    m_standard->setObjectName(QStringLiteral("standard"));

    int row = 0;
    fields->addWidget(new QLabel(QStringLiteral("Тип")), row, 0);
    fields->addWidget(m_type, row, 1);
    fields->addWidget(new QLabel(QStringLiteral("ID")), row, 2);
    fields->addWidget(m_id, row, 3, 1, 2);
    ++row;
    fields->addWidget(new QLabel(QStringLiteral("Описание")), row, 0);
    fields->addWidget(m_description, row, 1, 1, 4);
    ++row;
    fields->addWidget(new QLabel(QStringLiteral("Единицы измерения")), row, 0);
    fields->addWidget(m_units, row, 1);
    fields->addWidget(new QLabel(QStringLiteral("Формат")), row, 2);
    fields->addWidget(m_format, row, 3, 1, 2);
    ++row;
    fields->addWidget(new QLabel(QStringLiteral("Способ измерения")), row, 0);
    fields->addWidget(m_method, row, 1);
    fields->addWidget(new QLabel(QStringLiteral("Макс выход")), row, 2);
    fields->addWidget(m_maxOutput, row, 3, 1, 2);
    ++row;
    fields->addWidget(new QLabel(QStringLiteral("Минимум")), row, 0);
    auto* minimumRow = new QHBoxLayout;
    minimumRow->addWidget(m_minimum, 1);
    minimumRow->addWidget(m_minimumUnits);
    fields->addLayout(minimumRow, row, 1);
    fields->addWidget(new QLabel(QStringLiteral("Максимум")), row, 2);
    fields->addWidget(m_maximum, row, 3);
    fields->addWidget(m_maximumUnits, row, 4);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);
    right->addWidget(fieldsBox);

    auto* coefficientBox = new QGroupBox;
    auto* coefficientLayout = new QHBoxLayout(coefficientBox);
    m_coefficients = new QTreeWidget;
    m_coefficients->setObjectName(QStringLiteral("coefficients"));
    m_coefficients->setColumnCount(2);
    m_coefficients->setHeaderLabels({QStringLiteral("#"), QStringLiteral("Коэффициент")});
    m_coefficients->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_coefficients->setRootIsDecorated(false);
    m_coefficients->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_coefficients->setSelectionMode(QAbstractItemView::SingleSelection);
    m_coefficients->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_coefficients->header()->setStretchLastSection(false);
    m_coefficients->header()->setSectionsMovable(false);
    // The column widths of the Windows dialog, widened for a larger system font.
    const int textWidth =
        m_coefficients->fontMetrics().horizontalAdvance(QStringLiteral("-0,00000e+000"));
    const int numberWidth = m_coefficients->fontMetrics().horizontalAdvance(QStringLiteral("C0"));
    m_coefficients->setColumnWidth(0, std::max(kNumberColumnWidth, numberWidth + 14));
    m_coefficients->setColumnWidth(1, std::max(kValueColumnWidth, textWidth + 14));
    m_coefficients->setFixedWidth(m_coefficients->columnWidth(0) + m_coefficients->columnWidth(1) +
                                  2 * m_coefficients->frameWidth() +
                                  m_coefficients->verticalScrollBar()->sizeHint().width());
    m_coefficients->setMinimumHeight(m_coefficients->header()->sizeHint().height() +
                                     kCoefficients * (m_coefficients->fontMetrics().height() + 6) +
                                     6);
    coefficientLayout->addWidget(m_coefficients);
    auto* coefficientButtons = new QVBoxLayout;
    m_editCoefficient = AddDialogButton(coefficientButtons, "&Редактировать", "editCoefficient");
    m_standardButton = AddDialogButton(coefficientButtons, "&Стандартные", "standardButton");
    coefficientButtons->addWidget(m_standard);
    coefficientButtons->addStretch();
    m_export = AddDialogButton(coefficientButtons, "E&xport", "export");
    m_import = AddDialogButton(coefficientButtons, "&Import", "import");
    for (QPushButton* hidden : {m_export, m_import}) {
        hidden->setEnabled(false);
        hidden->hide();
    }
    coefficientLayout->addLayout(coefficientButtons);
    coefficientLayout->addStretch();
    right->addWidget(coefficientBox, 1);

    auto* editButtons = new QHBoxLayout;
    m_save = AddDialogButton(editButtons, "&Сохранить", "save");
    m_cancel = AddDialogButton(editButtons, "&Отменить", "cancel");
    editButtons->addStretch();
    m_close = AddDialogButton(editButtons, "Закрыть", "close");
    right->addLayout(editButtons);
    layout->addLayout(right, 5);

    connect(m_list, &QListWidget::currentRowChanged, this, &SensorEditorDialog::OnSelectionChanged);
    connect(m_new, &QPushButton::clicked, this, &SensorEditorDialog::OnNew);
    connect(m_delete, &QPushButton::clicked, this, &SensorEditorDialog::OnDelete);
    connect(m_change, &QPushButton::clicked, this, &SensorEditorDialog::OnChange);
    connect(m_save, &QPushButton::clicked, this, &SensorEditorDialog::OnSave);
    connect(m_cancel, &QPushButton::clicked, this, &SensorEditorDialog::OnCancel);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_type, &QComboBox::activated, this, &SensorEditorDialog::OnTypeChosen);
    connect(m_standardButton, &QPushButton::clicked, this, &SensorEditorDialog::OnStandardButton);
    connect(m_format, &QComboBox::activated, this, &SensorEditorDialog::OnFormatChosen);
    connect(m_units, &QComboBox::currentTextChanged, this, &SensorEditorDialog::ShowUnits);
    connect(m_editCoefficient, &QPushButton::clicked, this, &SensorEditorDialog::OnEditCoefficient);
    connect(m_coefficients, &QTreeWidget::itemDoubleClicked, this,
            &SensorEditorDialog::OnEditCoefficient);
}

void SensorEditorDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void SensorEditorDialog::FillList(int selectIndex) {
    std::vector<std::pair<QString, int>> entries;
    for (std::size_t i = 0; i < m_database.Count(); ++i)
        entries.emplace_back(FromCp1251(std::string(TextOf(m_database.At(i).id))),
                             static_cast<int>(i));
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return LessNoCase(a.first, b.first); });
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    int selectRow = -1;
    for (const auto& [text, index] : entries) {
        auto* item = new QListWidgetItem(text, m_list);
        item->setData(Qt::UserRole, index);
        if (index == selectIndex) selectRow = m_list->count() - 1;
    }
    SelectRow(selectRow);
}

void SensorEditorDialog::SelectRow(int row) {
    const QSignalBlocker blocker(m_list);
    if (row < 0 || row >= m_list->count()) {
        m_list->setCurrentRow(-1);
        m_list->clearSelection();
        return;
    }
    m_list->setCurrentRow(row);
    m_list->scrollToItem(m_list->item(row));
}

int SensorEditorDialog::SelectedIndex() const {
    const QListWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected()) return -1;
    const int index = item->data(Qt::UserRole).toInt();
    return index >= 0 && static_cast<std::size_t>(index) < m_database.Count() ? index : -1;
}

void SensorEditorDialog::OnSelectionChanged() {
    if (m_editing) return;
    const int index = SelectedIndex();
    m_work = index >= 0 ? m_database.At(static_cast<std::size_t>(index)) : EmptySensorRecord();
    ShowRecord();
}

void SensorEditorDialog::RefreshTypesAndUnits() {
    FillSorted(m_type, SensorEditRules::DistinctTypes(m_database));
    FillSorted(m_units, SensorEditRules::DistinctUnits(m_database));
}

void SensorEditorDialog::ShowRecord() {
    const std::string type(TextOf(m_work.type));
    m_type->setCurrentIndex(-1);
    m_type->setEditText(FromCp1251(type));
    m_shownIdText = FromCp1251(SensorEditRules::DisplayedId(TextOf(m_work.id), type));
    m_shownIdType = type;
    m_id->setText(m_shownIdText);
    m_description->setText(FromCp1251(std::string(TextOf(m_work.description))));
    const QString units = FromCp1251(std::string(TextOf(m_work.units)));
    m_units->setCurrentIndex(-1);
    m_units->setEditText(units);
    const bool knownPrecision =
        m_work.precision >= 0 && m_work.precision < SensorEditRules::kPrecisionItems;
    m_format->setCurrentIndex(knownPrecision ? m_work.precision : -1);
    const bool knownMethod = m_work.method >= 0 && m_work.method < SensorEditRules::kMethodItems;
    m_method->setCurrentIndex(knownMethod ? m_work.method : -1);
    m_minimum->setText(FromUtf8(FormatValue(m_work.minimum, m_work.precision, true)));
    m_maximum->setText(FromUtf8(FormatValue(m_work.maximum, m_work.precision, true)));
    m_maxOutput->setCurrentIndex(SensorEditRules::ItemOfMaxOutput(m_work.maxOutput));
    m_standard->setChecked(m_work.standardCoefficients != 0);
    ShowCoefficients(-1);
    ShowUnits(units);
}

void SensorEditorDialog::ShowCoefficients(int selectRow) {
    m_coefficients->clear();
    for (int k = 0; k < kCoefficients; ++k) {
        auto* item = new QTreeWidgetItem(m_coefficients);
        item->setText(0, QStringLiteral("C%1").arg(k));
        item->setText(1, FromUtf8(FormatCoefficient(m_work.coefficients[k])));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (selectRow >= 0 && selectRow < kCoefficients) {
        QTreeWidgetItem* item = m_coefficients->topLevelItem(selectRow);
        m_coefficients->setCurrentItem(item);
        m_coefficients->scrollToItem(item);
    }
}

void SensorEditorDialog::ShowUnits(const QString& units) {
    m_minimumUnits->setText(units);
    m_maximumUnits->setText(units);
}

SensorEditRules::Enabling SensorEditorDialog::CurrentEnabling() const {
    SensorEditRules::State state;
    state.editing = m_editing;
    state.openAll = m_openAll;
    state.isNew = m_editIndex < 0;
    state.templateApplied = m_templateApplied;
    state.type = TextOf(m_work.type);
    state.id = TextOf(m_work.id);
    state.standardCoefficients = m_work.standardCoefficients != 0;
    return SensorEditRules::EnablingFor(state);
}

void SensorEditorDialog::UpdateEnabling() {
    const SensorEditRules::Enabling enabling = CurrentEnabling();
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_list, m_new, m_delete, m_change, m_close})
        widget->setEnabled(enabling.browse);
    m_save->setEnabled(enabling.saveCancel);
    m_cancel->setEnabled(enabling.saveCancel);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{m_type, m_units, m_format, m_description, m_maxOutput,
                                         m_minimum, m_maximum, m_standard})
        widget->setEnabled(enabling.characteristics);
    m_coefficients->setEnabled(enabling.coefficients);
    m_editCoefficient->setEnabled(enabling.coefficients);
    m_standardButton->setEnabled(enabling.coefficients);
    m_id->setEnabled(enabling.id);
    m_method->setEnabled(enabling.method);
}

void SensorEditorDialog::TakeControls() {
    const SensorEditRules::Enabling enabling = CurrentEnabling();
    if (enabling.characteristics) {
        CopyText(m_work.type, ToCp1251(m_type->currentText()));
        CopyText(m_work.units, ToCp1251(m_units->currentText()));
        CopyText(m_work.description, ToCp1251(m_description->text()));
        if (m_format->currentIndex() >= 0) m_work.precision = m_format->currentIndex();
        m_work.maxOutput = SensorEditRules::MaxOutputOfItem(m_maxOutput->currentIndex());
        m_work.minimum = ParseLocalized(m_minimum->text().toStdString());
        m_work.maximum = ParseLocalized(m_maximum->text().toStdString());
        m_work.standardCoefficients = m_standard->isChecked() ? 1 : 0;
    }
    if (enabling.method && m_method->currentIndex() >= 0) m_work.method = m_method->currentIndex();
    // The ID is formed again only from an edited ID field or for another type: the shown
    // suffix alone does not give back every stored ID (blanks, an ID not formed from its type).
    if (enabling.id && (m_id->text() != m_shownIdText || TextOf(m_work.type) != m_shownIdType))
        CopyText(m_work.id, SensorEditRules::StoredId(ToCp1251(m_id->text()), TextOf(m_work.type)));
}

void SensorEditorDialog::OnNew() {
    if (m_editing) return;
    m_editIndex = -1;
    m_editing = true;
    m_templateApplied = false;
    m_work = EmptySensorRecord();
    SelectRow(-1);
    RefreshTypesAndUnits();
    ShowRecord();
    UpdateEnabling();
    m_type->setFocus();
}

void SensorEditorDialog::OnChange() {
    const int index = SelectedIndex();
    if (m_editing || index < 0) return;
    const SensorRecord& record = m_database.At(static_cast<std::size_t>(index));
    if (!SensorEditRules::MayChange(TextOf(record.id), m_openAll)) {
        m_operator.Tell(ids::kCannotChangeSensor,
                        std::string(StringTable::Get(ids::kCannotChangeSensor)), MessageIcon::Stop);
        return;
    }
    m_editIndex = index;
    m_work = record;
    m_editing = true;
    m_templateApplied = false;
    RefreshTypesAndUnits();
    ShowRecord();
    UpdateEnabling();
    if (m_id->isEnabled()) m_id->setFocus();
}

void SensorEditorDialog::OnDelete() {
    const int index = SelectedIndex();
    if (m_editing || index < 0) return;
    const std::string_view id = TextOf(m_database.At(static_cast<std::size_t>(index)).id);
    // The last sensor stays: a database without sensors does not load, and the program would
    // not start again.
    if (m_database.Count() <= 1 || !SensorEditRules::MayDelete(id, m_openAll)) {
        m_operator.Tell(ids::kCannotDeleteSensor,
                        std::string(StringTable::Get(ids::kCannotDeleteSensor)),
                        MessageIcon::Information);
        return;
    }
    if (!m_operator.Ask(ids::kAskDeleteSensor,
                        std::string(StringTable::Get(ids::kAskDeleteSensor)))) {
        return;
    }
    const int row = m_list->currentRow();
    m_database.RemoveAt(static_cast<std::size_t>(index));
    FillList(-1);
    SelectRow(std::min(row, m_list->count() - 1));
    OnSelectionChanged();
    UpdateEnabling();
}

void SensorEditorDialog::OnSave() {
    if (!m_editing) return;
    const bool maxOutputOpen = CurrentEnabling().characteristics;
    TakeControls();
    const SensorEditRules::Problem problem = SensorEditRules::Validate(
        m_work, ToCp1251(m_id->text()), maxOutputOpen, m_editIndex, m_database, m_openAll);
    if (problem != SensorEditRules::Problem::None) {
        const int message = SensorEditRules::MessageOf(problem);
        m_operator.Tell(message, std::string(StringTable::Get(message)), MessageIcon::Stop);
        UpdateEnabling();
        return;
    }
    int saved = m_editIndex;
    if (saved < 0) {
        m_database.Append(m_work);
        saved = static_cast<int>(m_database.Count()) - 1;
    } else {
        m_database.At(static_cast<std::size_t>(saved)) = m_work;
    }
    m_editing = false;
    m_editIndex = -1;
    m_templateApplied = false;
    FillList(saved);
    OnSelectionChanged();
    UpdateEnabling();
}

void SensorEditorDialog::OnCancel() {
    if (!m_editing) return;
    const bool wasNew = m_editIndex < 0;
    m_editing = false;
    m_editIndex = -1;
    m_templateApplied = false;
    if (wasNew) SelectRow(m_list->count() - 1);
    OnSelectionChanged();
    UpdateEnabling();
}

void SensorEditorDialog::OnTypeChosen(int item) {
    if (item >= 0) ApplyTemplateOf(m_type->itemText(item));
}

void SensorEditorDialog::OnStandardButton() {
    ApplyTemplateOf(m_type->currentText());
}

void SensorEditorDialog::ApplyTemplateOf(const QString& type) {
    if (!m_editing) return;
    const std::string chosen = ToCp1251(type);
    if (chosen.empty() || SensorEditRules::FindTemplate(m_database, chosen) < 0) return;
    TakeControls();
    SensorEditRules::ApplyTemplate(m_database, chosen, m_work);
    m_templateApplied = true;
    ShowRecord();
    UpdateEnabling();
}

void SensorEditorDialog::OnFormatChosen() {
    if (!m_editing) return;
    TakeControls();
    m_minimum->setText(FromUtf8(FormatValue(m_work.minimum, m_work.precision, true)));
    m_maximum->setText(FromUtf8(FormatValue(m_work.maximum, m_work.precision, true)));
    UpdateEnabling();
}

void SensorEditorDialog::OnEditCoefficient() {
    if (!m_editing || !m_editCoefficient->isEnabled()) return;
    QTreeWidgetItem* item = m_coefficients->currentItem();
    if (!item || !item->isSelected()) return;
    const int row = m_coefficients->indexOfTopLevelItem(item);
    if (row < 0 || row >= kCoefficients) return;
    CoefficientDialog dialog(row, m_work.coefficients[row], this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_work.coefficients[row] = dialog.Value();
    ShowCoefficients(row);
}

void RunSensorEditorDialog(QWidget* parent, SensorDatabase& workingCopy, bool openAll,
                           Operator& op) {
    SensorEditorDialog dialog(workingCopy, openAll, op, parent);
    dialog.exec();
}

}  // namespace vg28::ui
