#include "ui/ProjectDescriptionDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Operator.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/PlugAndPlay.h"
#include "project/ProjectLibrary.h"
#include "sensors/SensorDatabase.h"
#include "ui/DialogButtons.h"
#include "ui/QtOperator.h"

namespace vg28::ui {

namespace {

constexpr int kStationChannel = 8;  // the first KWS channel (radiation)
const char* const kKwsIds[] = {"KWS/R PAR", "KWS/AT", "KWS/RH"};
const char* const kProbeSuffixes[] = {"/BEC", "/PEC", "/ST"};
constexpr const char* kSmte = "KWS/SMTE";

std::string Id(const ProjectDescription& d, int k) {
    return std::string(TextOf(d.sensorIds[k]));
}

void SetId(ProjectDescription& d, int k, std::string_view id) {
    CopyText(d.sensorIds[k], id);
}

bool LessNoCase(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// A sorted combo: the items in alphabetical order, ignoring letter case.
void AddSorted(QComboBox* combo, const QString& text, const QVariant& data = {}) {
    int at = 0;
    while (at < combo->count() && !LessNoCase(text, combo->itemText(at)))
        ++at;
    combo->insertItem(at, text, data);
}

}  // namespace

const std::vector<int>& ProjectDescriptionDialog::OfferedPeriods() {
    static const std::vector<int> periods = {10,  12,  15,  20,  30,  60,   120,  180,  240,
                                             300, 360, 600, 720, 900, 1200, 1800, 3600, 7200};
    return periods;
}

int ProjectDescriptionDialog::ParsePeriod(const QString& text) {
    const std::string bytes = text.toStdString();
    std::string_view rest = bytes;
    long long total = 0;
    for (int numbers = 0; !rest.empty() && numbers < 3; ++numbers) {
        const std::size_t colon = rest.find(':');
        const std::string_view part = rest.substr(0, colon);
        // The part read as a decimal integer: optional blanks and sign, then digits.
        std::size_t i = 0;
        while (i < part.size() && (part[i] == ' ' || part[i] == '\t'))
            ++i;
        bool negative = false;
        if (i < part.size() && (part[i] == '-' || part[i] == '+')) negative = part[i++] == '-';
        long long number = 0;
        while (i < part.size() && part[i] >= '0' && part[i] <= '9' && number < 1000000000)
            number = number * 10 + (part[i++] - '0');
        total = total * 60 + (negative ? -number : number);
        total = std::clamp<long long>(total, -1000000000, 1000000000);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
    return static_cast<int>(total);
}

ProjectDescriptionDialog::ProjectDescriptionDialog(ProjectDescription& description, Operator& op,
                                                   QWidget* parent)
    : QDialog(parent), m_result(description), m_work(description), m_operator(op) {
    setObjectName(QStringLiteral("projectDescriptionDialog"));
    setWindowTitle(QStringLiteral("Описание проекта"));
    auto* layout = new QVBoxLayout(this);

    auto* head = new QGridLayout;
    head->addWidget(new QLabel(QStringLiteral("Проект")), 0, 0);
    auto* name = new QLabel(FromUtf8(description.name));
    name->setObjectName(QStringLiteral("projectName"));
    name->setTextFormat(Qt::PlainText);
    head->addWidget(name, 0, 1, 1, 3);
    head->addWidget(new QLabel(QStringLiteral("Первая запись")), 1, 0);
    m_firstTime = new QLabel(FromUtf8(CProjectDoc::FormatRecordTime(description.firstTime, true)));
    m_firstTime->setObjectName(QStringLiteral("firstTime"));
    head->addWidget(m_firstTime, 1, 1);
    head->addWidget(new QLabel(QStringLiteral("Посл. запись")), 1, 2);
    m_lastTime = new QLabel(FromUtf8(CProjectDoc::FormatRecordTime(description.lastTime, true)));
    m_lastTime->setObjectName(QStringLiteral("lastTime"));
    head->addWidget(m_lastTime, 1, 3);
    head->addWidget(new QLabel(QStringLiteral("Период измерения")), 2, 0);
    m_period = new QComboBox;
    m_period->setObjectName(QStringLiteral("period"));
    m_period->setEditable(true);
    m_period->setInsertPolicy(QComboBox::NoInsert);
    for (int seconds : OfferedPeriods())
        m_period->addItem(FromUtf8(CProjectDoc::FormatDuration(seconds)));
    head->addWidget(m_period, 2, 1);
    head->addWidget(new QLabel(QStringLiteral("(чч:мм:сс)")), 2, 2);
    head->setColumnStretch(1, 1);
    head->setColumnStretch(3, 1);
    layout->addLayout(head);

    auto* sensorsBox = new QGroupBox(QStringLiteral("Датчики"));
    auto* grid = new QGridLayout(sensorsBox);
    grid->addWidget(new QLabel(QStringLiteral("Вход #")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Датчик")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Примечание")), 0, 2);
    for (int i = 0; i < kInputs; ++i) {
        grid->addWidget(new QLabel(QStringLiteral("S%1").arg(i + 1)), i + 1, 0);
        m_sensors[i] = new QComboBox;
        m_sensors[i]->setObjectName(QStringLiteral("sensor%1").arg(i + 1));
        m_sensors[i]->setMinimumWidth(170);
        grid->addWidget(m_sensors[i], i + 1, 1);
        m_notes[i] = new QLineEdit;
        m_notes[i]->setObjectName(QStringLiteral("note%1").arg(i + 1));
        m_notes[i]->setMaxLength(kMaxNoteLength);
        m_notes[i]->setMinimumWidth(220);
        grid->addWidget(m_notes[i], i + 1, 2);
    }
    grid->setColumnStretch(2, 1);
    layout->addWidget(sensorsBox);

    auto* extensions = new QGroupBox(QStringLiteral("Расширения"));
    auto* extGrid = new QGridLayout(extensions);
    extGrid->addWidget(new QLabel(QStringLiteral("Метеостанция")), 0, 0);
    m_station = new QComboBox;
    m_station->setObjectName(QStringLiteral("station"));
    m_station->addItems({QString(), QStringLiteral("KWS"), QStringLiteral("Em50")});
    extGrid->addWidget(m_station, 0, 1);
    extGrid->addWidget(new QLabel(QStringLiteral("Тип субстрата")), 1, 0);
    m_substrate = new QComboBox;
    m_substrate->setObjectName(QStringLiteral("substrate"));
    m_substrate->setMinimumWidth(220);
    extGrid->addWidget(m_substrate, 1, 1);
    extGrid->setColumnStretch(1, 1);
    layout->addWidget(extensions);

    auto* buttons = new QHBoxLayout;
    connect(AddDialogButton(buttons, "Очистить", "clear"), &QPushButton::clicked, this,
            &ProjectDescriptionDialog::OnClear);
    buttons->addStretch();
    QPushButton* help = AddDialogButton(buttons, "Help", "help");
    help->hide();
    connect(AddDialogButton(buttons, "OK", "ok", true), &QPushButton::clicked, this,
            &ProjectDescriptionDialog::OnOk);
    connect(AddDialogButton(buttons, "Отменить", "cancel"), &QPushButton::clicked, this,
            &QDialog::reject);
    layout->addLayout(buttons);

    FillCombos();
    connect(m_station, &QComboBox::currentIndexChanged, this,
            &ProjectDescriptionDialog::OnStationChanged);
    ShowValues();
}

void ProjectDescriptionDialog::FillCombos() {
    const SensorDatabase* database = m_work.sensors;
    for (QComboBox* combo : m_sensors)
        combo->addItem(QString());
    m_substrate->addItem(QString());
    AddSorted(m_substrate, QString::fromLatin1(kPlugAndPlay));
    if (!database) return;
    for (const SensorRecord& sensor : database->Records()) {
        const std::string id(TextOf(sensor.id));
        if (id.find("Sample") != std::string::npos) continue;
        if (!StartsWith(id, "CV/") && !StartsWith(id, "Em50/") && !StartsWith(id, "KWS/")) {
            for (QComboBox* combo : m_sensors)
                AddSorted(combo, FromCp1251(id), FromCp1251(id));
        }
        if (id.find(kSmte) != std::string::npos && id.find("/VWC ") != std::string::npos) {
            std::string text(TextOf(sensor.description));
            if (id.find("/VWC C") != std::string::npos) {
                // The rest of the ID after its leading "KWS/SMTE" and "/VWC ".
                std::string rest = id;
                if (StartsWith(rest, kSmte)) rest.erase(0, std::string_view(kSmte).size());
                if (StartsWith(rest, "/VWC ")) rest.erase(0, 5);
                text += " " + rest;
            }
            AddSorted(m_substrate, FromCp1251(text), FromCp1251(id));
        }
    }
}

void ProjectDescriptionDialog::ShowValues() {
    m_period->setEditText(FromUtf8(CProjectDoc::FormatDuration(m_work.period)));
    for (int k = 0; k < kInputs; ++k) {
        const QString id = FromCp1251(Id(m_work, k));
        int found = -1;
        for (int i = 0; i < m_sensors[k]->count() && found < 0; ++i)
            if (id.isEmpty() || m_sensors[k]->itemText(i).startsWith(id, Qt::CaseInsensitive))
                found = i;
        m_sensors[k]->setCurrentIndex(found);
        m_notes[k]->setText(FromCp1251(std::string(TextOf(m_work.notes[k]))));
    }
    const std::string station = Id(m_work, kStationChannel);
    const QSignalBlocker block(m_station);
    if (m_work.em50) {
        m_station->setCurrentIndex(2);
    } else if (!IsEmptyOrPlugAndPlay(station)) {
        m_station->setCurrentIndex(1);
    } else {
        m_station->setCurrentIndex(-1);
    }
    const std::string substrate = Id(m_work, kSubstrateChannel);
    int item = 0;  // the empty item (sorted first)
    for (int i = 0; i < m_substrate->count(); ++i) {
        if (m_substrate->itemText(i).isEmpty()) {
            item = i;
            break;
        }
    }
    const bool known = m_work.sensors && m_work.sensors->FindById(substrate) != nullptr;
    for (int i = 0; i < m_substrate->count(); ++i) {
        const QString entry = m_substrate->itemData(i).toString();
        if (known && !entry.isEmpty() && entry == FromCp1251(substrate)) item = i;
        if (IsPlugAndPlay(substrate) && entry.isEmpty() &&
            m_substrate->itemText(i) == QLatin1String(kPlugAndPlay)) {
            item = i;
        }
    }
    m_substrate->setCurrentIndex(item);
    m_substrate->setEnabled(m_station->currentIndex() == 1);
}

void ProjectDescriptionDialog::OnStationChanged() {
    m_work.em50 = m_station->currentIndex() == 2;
    m_substrate->setEnabled(m_station->currentIndex() == 1);
}

void ProjectDescriptionDialog::TakeValues() {
    for (int k = 0; k < kInputs; ++k) {
        SetId(m_work, k,
              ToCp1251(m_sensors[k]->currentIndex() < 0 ? QString() : m_sensors[k]->currentText()));
        CopyText(m_work.notes[k], ToCp1251(m_notes[k]->text()));
    }
    const QString station = m_station->currentIndex() < 0 ? QString() : m_station->currentText();
    if (station == QLatin1String("Em50")) {
        m_work.em50 = true;
        for (int k = kStationChannel; k <= 14; ++k)
            SetId(m_work, k, kPlugAndPlay);
    } else if (station == QLatin1String("KWS")) {
        m_work.em50 = false;
        for (int i = 0; i < 3; ++i)
            SetId(m_work, kStationChannel + i, kKwsIds[i]);
        SetId(m_work, kVpdChannel, "CV/VPD");
        SetId(m_work, kDewPointChannel, "CV/DP");
    } else {
        m_work.em50 = false;
        for (int k = kStationChannel; k <= 14; ++k)
            SetId(m_work, k, "");
        SetId(m_work, kVpdChannel, kPlugAndPlay);
        SetId(m_work, kDewPointChannel, kPlugAndPlay);
    }
    const std::string channel8 = Id(m_work, kStationChannel);
    std::string text;
    std::string entry;
    if (IsEmptyOrPlugAndPlay(channel8)) {
        text = channel8;
    } else if (m_substrate->currentIndex() >= 0) {
        text = ToCp1251(m_substrate->currentText());
        entry = ToCp1251(m_substrate->itemData(m_substrate->currentIndex()).toString());
    }
    if (!IsEmptyOrPlugAndPlay(text) && !entry.empty() && m_work.sensors &&
        m_work.sensors->FindById(entry)) {
        SetId(m_work, kSubstrateChannel, entry);
        for (int i = 0; i < 3; ++i)
            SetId(m_work, kSubstrateChannel + 1 + i, std::string(kSmte) + kProbeSuffixes[i]);
    } else {
        for (int k = kSubstrateChannel; k <= 14; ++k)
            SetId(m_work, k, text);
    }
    m_work.period = ParsePeriod(m_period->currentText());
}

void ProjectDescriptionDialog::OnClear() {
    if (!m_operator.Ask(ids::kAskClearProject,
                        std::string(StringTable::Get(ids::kAskClearProject))))
        return;
    TakeValues();
    for (int k = 0; k <= kStationChannel; ++k)
        SetId(m_work, k, "");
    SetId(m_work, kSubstrateChannel, "");
    for (auto& note : m_work.notes)
        CopyText(note, "");
    m_work.period = 30;
    ShowValues();
}

void ProjectDescriptionDialog::OnOk() {
    // The notes are stored in CP1251: a character it cannot hold would be lost without a word.
    for (QLineEdit* note : m_notes) {
        if (!ProjectLibrary::CheckFitsCp1251(m_operator, note->text().toStdString())) {
            note->setFocus();
            return;
        }
    }
    TakeValues();
    static constexpr int kChecked[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, kSubstrateChannel};
    const bool any = std::any_of(std::begin(kChecked), std::end(kChecked),
                                 [this](int k) { return !Id(m_work, k).empty(); });
    if (!any) {
        m_operator.Tell(ids::kNoSensorChosen, std::string(StringTable::Get(ids::kNoSensorChosen)),
                        MessageIcon::Warning);
        return;
    }
    if (m_work.period <= 0 || kCyclesBase % m_work.period != 0) {
        m_operator.Tell(ids::kPeriodNotWholeCycles,
                        std::string(StringTable::Get(ids::kPeriodNotWholeCycles)),
                        MessageIcon::Warning);
        return;
    }
    for (int k : kChecked) {
        const std::string id = Id(m_work, k);
        if (IsEmptyOrPlugAndPlay(id)) continue;
        bool repeated = false;
        for (int j = k + 1; j < kChannelCount && !repeated; ++j)
            repeated = Id(m_work, j) == id;
        if (!repeated) continue;
        if (!m_operator.Ask(
                ids::kAskDuplicateSensor,
                StringTable::FormatInsert(ids::kAskDuplicateSensor, TextCodec::Cp1251ToUtf8(id)))) {
            return;
        }
        break;
    }
    m_result = m_work;
    accept();
}

}  // namespace vg28::ui
