#include "ui/CMnemoView.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <algorithm>
#include <cstdio>
#include <tuple>

#include "base/Profile.h"
#include "base/ProfileKeys.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "project/PlugAndPlay.h"
#include "sensors/SensorDatabase.h"
#include "sensors/SensorFormat.h"
#include "session/CommandIds.h"
#include "ui/QtOperator.h"
#include "ui/ViewFont.h"

namespace vg28::ui {

namespace {

// The controls' rectangles on the canvas (left, top, right, bottom).
constexpr QRect CanvasRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}
constexpr QRect kTitleRect = CanvasRect(20, 24, 618, 38);
constexpr QRect kValuesRect = CanvasRect(20, 40, 620, 382);
constexpr QRect kModeCaptionRect = CanvasRect(20, 386, 618, 400);
constexpr QRect kStatusRect = CanvasRect(20, 402, 620, 464);

struct ColumnSpec {
    const char* title;
    int width;
    Qt::Alignment alignment;
};
const ColumnSpec kValueColumns[] = {{"Описание", 300, Qt::AlignLeft},
                                    {"Значение", 120, Qt::AlignRight},
                                    {"Единицы", 180, Qt::AlignLeft}};
const ColumnSpec kStatusColumns[] = {{"Параметр", 120, Qt::AlignLeft},
                                     {"Значение", 480, Qt::AlignLeft}};
const char* const kStatusRowTitles[CMnemoView::kStatusRowCount] = {"Питание", "KWS", "FAN", "SHT",
                                                                   "SMTE"};
const char* const kModeTexts[] = {"Инициализация", "Режим просмотра", "Режим записи",
                                  "Проект остановлен"};

QString Text(int id) {
    return QString::fromUtf8(std::string(StringTable::Get(id)).c_str());
}

QString VersionText(std::uint32_t v) {
    return QStringLiteral("(v.%1.%2.%3.%4)")
        .arg(v >> 24 & 0xFF)
        .arg(v >> 16 & 0xFF)
        .arg(v >> 8 & 0xFF)
        .arg(v & 0xFF);
}

bool LaterThan1980(const SystemTime& t) {
    const auto key = std::make_tuple(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return key > std::make_tuple(std::uint16_t{1980}, std::uint16_t{1}, std::uint16_t{1},
                                 std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{0});
}

QTableWidget* MakeList(QWidget* parent, const char* name, const ColumnSpec* columns, int count,
                       const char* section, const Profile& profile) {
    auto* list = new QTableWidget(0, count, parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setSortingEnabled(false);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setSectionsClickable(false);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setMinimumSectionSize(8);
    const int rowHeight = list->fontMetrics().height() + 1;
    list->horizontalHeader()->setFont(list->font());
    list->verticalHeader()->setMinimumSectionSize(rowHeight);
    list->verticalHeader()->setDefaultSectionSize(rowHeight);
    list->horizontalHeader()->setFixedHeight(rowHeight + 3);
    for (int c = 0; c < count; ++c) {
        auto* header = new QTableWidgetItem(QString::fromUtf8(columns[c].title));
        header->setTextAlignment(columns[c].alignment | Qt::AlignVCenter);
        list->setHorizontalHeaderItem(c, header);
        list->setColumnWidth(c, profile.GetInt(section, keys::ColumnWidthKey(c), columns[c].width));
    }
    return list;
}

void SetCell(QTableWidget* list, int row, int column, const QString& text,
             Qt::Alignment alignment = Qt::AlignLeft) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    list->setItem(row, column, item);
}

}  // namespace

CMnemoView::CMnemoView(CProjectDoc& doc, QWidget* parent) : QScrollArea(parent), m_doc(doc) {
    setObjectName(QStringLiteral("mnemoView"));
    Profile& profile = m_doc.GetProfile();
    m_displayMode = profile.Get(keys::kMnemoMode);

    // The panel's texts are small, as the 8-point dialog font its canvas was laid out for.
    setFont(ViewFont(font()));

    m_canvas = new QWidget;
    m_canvas->setObjectName(QStringLiteral("mnemoCanvas"));
    m_canvas->setMinimumSize(kCanvasWidth, kCanvasHeight);
    m_canvas->setAutoFillBackground(true);
    QPalette white = m_canvas->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_canvas->setPalette(white);
    setWidget(m_canvas);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(true);
    viewport()->setPalette(white);

    m_title = new QLabel(m_canvas);
    m_title->setObjectName(QStringLiteral("mnemoTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_modeCaption = new QLabel(QStringLiteral("Режим работы"), m_canvas);
    m_modeCaption->setObjectName(QStringLiteral("mnemoModeCaption"));
    m_modeCaption->setTextFormat(Qt::PlainText);
    m_modeCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_values = MakeList(m_canvas, "mnemoValues", kValueColumns, 3, keys::kMnemoList1, profile);
    m_status = MakeList(m_canvas, "mnemoStatus", kStatusColumns, 2, keys::kMnemoList2, profile);
    // Its three rows fill the list exactly; scroll bars would hide the last one.
    m_status->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_status->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (QWidget* control : {static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_modeCaption),
                             static_cast<QWidget*>(m_values), static_cast<QWidget*>(m_status)}) {
        control->installEventFilter(this);
    }
    m_values->viewport()->installEventFilter(this);
    m_status->viewport()->installEventFilter(this);
    m_canvas->installEventFilter(this);
    PlaceControls();

    m_rowMask.reset();
    BuildRows(false);
    Refresh();
    m_doc.AddObserver(this);
}

CMnemoView::~CMnemoView() {
    m_doc.RemoveObserver(this);
    SaveLayout();
}

void CMnemoView::SaveLayout() {
    Profile& profile = m_doc.GetProfile();
    for (int c = 0; c < m_values->columnCount(); ++c)
        profile.WriteInt(keys::kMnemoList1, keys::ColumnWidthKey(c), m_values->columnWidth(c));
    for (int c = 0; c < m_status->columnCount(); ++c)
        profile.WriteInt(keys::kMnemoList2, keys::ColumnWidthKey(c), m_status->columnWidth(c));
    profile.Write(keys::kMnemoMode, m_displayMode);
}

void CMnemoView::PlaceControls() {
    // The canvas is centred while the window is larger than it; the scroll area scrolls it
    // when the window is smaller.
    const int dx = std::max(0, (m_canvas->width() - kCanvasWidth) / 2);
    const int dy = std::max(0, (m_canvas->height() - kCanvasHeight) / 2);
    const QPoint offset(dx, dy);
    m_title->setGeometry(kTitleRect.translated(offset));
    m_values->setGeometry(kValuesRect.translated(offset));
    m_modeCaption->setGeometry(kModeCaptionRect.translated(offset));
    m_status->setGeometry(kStatusRect.translated(offset));
}

bool CMnemoView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_canvas && event->type() == QEvent::Resize) PlaceControls();
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}

void CMnemoView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) return;
    QScrollArea::keyPressEvent(event);
}

void CMnemoView::OnDocumentUpdate(int hint) {
    if (hint == kHintRecords) return;
    Refresh();
}

void CMnemoView::Rebuild() {
    BuildRows(false);
}

void CMnemoView::AppendValueRow(const QString& title, const QString& units) {
    const int row = m_values->rowCount();
    m_values->insertRow(row);
    SetCell(m_values, row, 0, title);
    SetCell(m_values, row, 1, QString(), Qt::AlignRight);
    SetCell(m_values, row, 2, units);
}

void CMnemoView::BuildRows(bool fromRefresh) {
    m_values->clearSpans();
    m_values->setRowCount(0);
    AppendValueRow(QStringLiteral("Время"), QString());
    if (m_doc.HasProject()) {
        const SensorDatabase& sensors = m_doc.Sensors();
        for (int k = 0; k < kChannelCount; ++k) {
            const std::string_view id = TextOf(m_doc.setup.sensorIds[k]);
            if (IsFreeChannel(id) || !m_rowMask.test(k)) continue;
            if (const SensorRecord* sensor = sensors.FindById(id)) {
                AppendValueRow(FromCp1251(ChannelCaption(*sensor, k + 1, false)),
                               FromCp1251(std::string(TextOf(sensor->units))));
            } else {
                AppendValueRow(FromCp1251(MissingSensorCaption(k + 1, id)), QString());
            }
        }
        for (int r = 0; r < kStatusRowCount; ++r) {
            if (!m_rowMask.test(kChannelCount + r)) continue;
            AppendValueRow(QString::fromUtf8(kStatusRowTitles[r]), QString());
            // A status has no units and its texts ("Низкий заряд батареи") are longer than a
            // number: it reads from the value column on across the units column.
            const int row = m_values->rowCount() - 1;
            m_values->setSpan(row, 1, 1, 2);
            m_values->item(row, 1)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    m_status->setRowCount(0);
    for (const char* title : {"VG-28", "Режим", "KWS"}) {
        const int row = m_status->rowCount();
        m_status->insertRow(row);
        SetCell(m_status, row, 0, QString::fromUtf8(title));
        SetCell(m_status, row, 1, QString());
    }
    m_title->setText(m_displayMode == 1 && m_doc.HasProject()
                         ? QStringLiteral("Последняя скачанная запись")
                         : QStringLiteral("Текущие значения"));
    if (!fromRefresh) Refresh();
}

void CMnemoView::Refresh() {
    const CurrentState& s = m_doc.m_rCurState;
    if (s.connected && s.deviceMode == 2 && m_displayMode == 0) m_displayMode = 1;
    if (m_doc.HasProject()) {
        MeasurementRecord record{};
        bool haveRecord = false;
        if (m_displayMode == 1) {
            if (!m_doc.records.empty()) {
                record = m_doc.records.back();
                haveRecord = true;
            }
        } else {
            record = s.readings;
            haveRecord = true;
        }
        m_rowMask.reset();
        if (haveRecord) m_doc.MarkRecord(record);
        for (int k = 0; k < kChannelCount; ++k)
            if (haveRecord && m_doc.IsChannelInUse(&record, k)) m_rowMask.set(k);
        if (m_displayMode == 1 && haveRecord) {
            const bool kws = record.status[kFlagKws] != 0;
            const bool flags[kStatusRowCount] = {
                record.status[kFlagBatteryLow] != 0,
                m_doc.setup.em50 == 0 && !kws,
                kws && record.status[kFlagKwsFan] != 0 && record.status[kFlagKwsMfan] == 0,
                kws && record.status[kFlagKwsSht] == 0,
                kws && record.status[kFlagKwsSmte] == 0,
            };
            for (int r = 0; r < kStatusRowCount; ++r)
                if (flags[r]) m_rowMask.set(kChannelCount + r);
        }
        BuildRows(true);
        if (haveRecord) {
            std::string time;
            if (m_displayMode == 1) {
                time = CProjectDoc::FormatRecordTime(record.time, true);
            } else if (s.connected && s.deviceMode == 1) {
                time = CProjectDoc::FormatRecordTime(s.readings.time, false);
            }
            m_values->item(0, 1)->setText(FromUtf8(time));
            int row = 1;
            for (int k = 0; k < kChannelCount; ++k) {
                if (!m_rowMask.test(k) || row >= m_values->rowCount()) continue;
                // A channel in use but without a row (a free sensor ID) shows nothing.
                const std::string_view id = TextOf(m_doc.setup.sensorIds[k]);
                if (IsFreeChannel(id)) continue;
                const QString text = m_doc.IsValueValid(&record, k)
                                         ? FromUtf8(CProjectDoc::FormatCell(record.values[k], true))
                                         : QStringLiteral("n/a");
                m_values->item(row++, 1)->setText(text);
            }
            for (int r = 0; r < kStatusRowCount; ++r) {
                if (!m_rowMask.test(kChannelCount + r) || row >= m_values->rowCount()) continue;
                QTableWidgetItem* cell = m_values->item(row++, 1);
                cell->setText(FromUtf8(m_doc.StatusText(record, r)));
                cell->setToolTip(cell->text());
            }
        }
    }

    QString link = Text(s.connected ? ids::kOnLine : ids::kOffLine);
    if (s.connected && s.firmwareVersion != 0) {
        link +=
            QStringLiteral(" - # %1 %2")
                .arg(FromCp1251(std::string(TextOf(s.deviceId))), VersionText(s.firmwareVersion));
    }
    m_status->item(0, 1)->setText(link);
    QString mode;
    if (s.connected) {
        if (s.deviceMode >= 0 && s.deviceMode <= 3)
            mode = QString::fromUtf8(kModeTexts[s.deviceMode]);
        if (s.deviceMode == 2 && LaterThan1980(s.m_rNextRecordTime)) {
            const SystemTime& t = s.m_rNextRecordTime;
            TimeStamp next{};
            next.year = t.wYear;
            next.month = static_cast<std::uint8_t>(t.wMonth);
            next.day = static_cast<std::uint8_t>(t.wDay);
            next.hour = static_cast<std::uint8_t>(t.wHour);
            next.minute = static_cast<std::uint8_t>(t.wMinute);
            next.second = static_cast<std::uint8_t>(t.wSecond);
            mode += QStringLiteral("  - время следующей записи: ") +
                    FromUtf8(CProjectDoc::FormatRecordTime(next, true));
        }
    }
    m_status->item(1, 1)->setText(mode);
    QString module;
    if (s.connected && s.moduleVersion != 0) {
        module = QStringLiteral("# %1 %2").arg(FromCp1251(std::string(TextOf(s.moduleId))),
                                               VersionText(s.moduleVersion));
    }
    m_status->item(2, 1)->setText(module);
}

CommandState CMnemoView::QueryCommand(int id) const {
    const bool project = m_doc.HasProject();
    const bool lastRecord = m_displayMode == 1 && project;
    switch (id) {
        case cmd::kPanelCurrent:
            return {true, m_doc.m_rCurState.deviceMode != 2, !lastRecord};
        case cmd::kPanelLastRecord:
            return {true, project, lastRecord};
        default:
            return {};
    }
}

bool CMnemoView::OnCommand(int id) {
    switch (id) {
        case cmd::kPanelCurrent:
            m_displayMode = 0;
            break;
        case cmd::kPanelLastRecord:
            m_displayMode = 1;
            break;
        default:
            return false;
    }
    Rebuild();
    return true;
}

}  // namespace vg28::ui
