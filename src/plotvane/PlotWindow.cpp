#include "plotvane/PlotWindow.h"

#include <time.h>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsLineItem>
#include <QGuiApplication>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPen>
#include <QScreen>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QTimeZone>
#include <QToolBar>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <span>

#include "plotvane/PlotChartView.h"
#include "plotvane/core/PointDecimator.h"

namespace vg28::plotvane {

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kHalfHour = 1800.0;
constexpr double kValuePadding = 0.05;
constexpr int kPixelsPerTimeTick = 120;
constexpr int kMaxTimeTicks = 10;
constexpr int kAxesWidth = 200;
constexpr double kMinValueTicks = 2.0;
constexpr double kMaxValueTicks = 20.0;
constexpr int kMaxLabelDecimals = 8;
constexpr int kFadedAlpha = 70;
constexpr int kKeptIssuesShown = 1;

QColor ColourOf(std::uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A step of 1, 2 or 5 times a power of ten giving about five ticks over range.
double NiceStep(double range) {
    const double raw = range / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double share = raw / power;
    return (share < 1.5 ? 1.0 : share < 3.5 ? 2.0 : share < 7.5 ? 5.0 : 10.0) * power;
}

// Widens [first, last] to whole multiples of a round time step that gives at most maxTicks
// ticks, so that the whole view is labelled at round times; returns the tick count.
int RoundTimeRange(double& first, double& last, int maxTicks) {
    static constexpr double kSteps[] = {60,     120,    300,    600,     900,    1800,
                                        3600,   7200,   10800,  21600,   43200,  86400,
                                        172800, 345600, 604800, 1209600, 2419200};
    const double span = last - first;
    const int intervals = std::max(1, maxTicks - 1);
    double step = 0.0;
    for (const double candidate : kSteps) {
        if (span / candidate <= intervals) {
            step = candidate;
            break;
        }
    }
    // Months and years are not widened to whole steps: that could add a fifth of the span.
    if (step == 0.0) return intervals + 1;
    first = std::floor(first / step) * step;
    last = std::ceil(last / step) * step;
    if (last <= first) last = first + step;
    return static_cast<int>(std::lround((last - first) / step)) + 1;
}

QString IssueText(const ScriptIssue& issue) {
    const QString where = QObject::tr("строка %1, «%2» у «%3»")
                              .arg(issue.line)
                              .arg(Utf8(issue.attribute), Utf8(issue.element));
    if (issue.missing) return QObject::tr("%1: нет значения").arg(where);
    return QObject::tr("%1: «%2» не подходит").arg(where, Utf8(issue.value));
}

QString ErrorText(const ReadResult& result, const QString& path) {
    const QString name = QDir::toNativeSeparators(path);
    const QString detail = Utf8(result.detail);
    switch (result.error) {
        case ReadError::CannotOpen:
            return QObject::tr("Не удалось открыть файл графиков «%1».").arg(name);
        case ReadError::Empty:
            return QObject::tr("Файл графиков «%1» пуст.").arg(name);
        case ReadError::TooLarge:
            return QObject::tr("Файл графиков «%1» слишком велик (%2 байт).").arg(name, detail);
        case ReadError::Damaged:
            return QObject::tr("Файл графиков «%1» повреждён (строка %2: %3).")
                .arg(name)
                .arg(result.line)
                .arg(detail);
        case ReadError::Foreign:
            return QObject::tr("Файл «%1» не является файлом графиков (%2).").arg(name, detail);
        case ReadError::None:
            break;
    }
    return {};
}

}  // namespace

PlotWindow::PlotWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("plotWindow"));
    setWindowTitle(QStringLiteral("plotvane"));
    // 1100×650 where the screen allows, never larger than the screen's free area.
    QSize size(1100, 650);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);

    m_pages = new QStackedWidget(this);
    m_view = new PlotChartView(m_pages);
    m_view->setObjectName(QStringLiteral("chartView"));
    m_message = new QLabel(tr("Откройте файл графиков (-ag.xml)."), m_pages);
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pages->addWidget(m_view);
    m_pages->addWidget(m_message);
    m_pages->setCurrentWidget(m_message);
    setCentralWidget(m_pages);

    m_readout = new QLabel(m_view);
    m_readout->setObjectName(QStringLiteral("readout"));
    m_readout->setTextFormat(Qt::RichText);
    m_readout->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_readout->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(255,255,255,225); border: 1px solid #999; padding: 4px; }"));
    m_readout->hide();

    m_notes = new QLabel(this);
    m_notes->setObjectName(QStringLiteral("notes"));
    statusBar()->addWidget(m_notes, 1);

    QToolBar* tools = addToolBar(tr("Файл"));
    tools->setObjectName(QStringLiteral("fileBar"));
    QAction* open = tools->addAction(tr("Открыть..."), this, &PlotWindow::OpenWithDialog);
    open->setObjectName(QStringLiteral("open"));
    open->setShortcut(QKeySequence::Open);
    QAction* reload = tools->addAction(tr("Обновить"), this, &PlotWindow::Reload);
    reload->setObjectName(QStringLiteral("reload"));
    reload->setShortcut(QKeySequence::Refresh);
    QAction* reset = tools->addAction(tr("Сбросить масштаб"), this, &PlotWindow::ResetZoom);
    reset->setObjectName(QStringLiteral("resetZoom"));
    reset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    QAction* png =
        tools->addAction(tr("Сохранить PNG..."), this, [this] { ExportWithDialog(false); });
    png->setObjectName(QStringLiteral("exportPng"));
    QAction* svg =
        tools->addAction(tr("Сохранить SVG..."), this, [this] { ExportWithDialog(true); });
    svg->setObjectName(QStringLiteral("exportSvg"));

    m_groupBar = addToolBar(tr("Группы"));
    m_groupBar->setObjectName(QStringLiteral("groupBar"));

    m_redraw.setSingleShot(true);
    m_redraw.setInterval(0);
    connect(&m_redraw, &QTimer::timeout, this, &PlotWindow::RedrawNow);
    connect(m_view, &PlotChartView::PointerMoved, this, &PlotWindow::ShowReadoutAt);
    connect(m_view, &PlotChartView::PointerLeft, this, &PlotWindow::HideReadout);
    connect(m_view, &PlotChartView::ResetRequested, this, &PlotWindow::ResetZoom);

    connect(&m_loader, &ScriptLoader::ReadStarted, this, [this](const QString& path) {
        statusBar()->showMessage(tr("Чтение %1...").arg(QFileInfo(path).fileName()));
    });
    connect(&m_loader, &ScriptLoader::ReadFinished, this,
            [this](const std::shared_ptr<ReadResult>& result) {
                statusBar()->clearMessage();
                Show(std::move(*result));
            });
}

PlotWindow::~PlotWindow() = default;

void PlotWindow::UseScriptTime() {
    qputenv("TZ", "UTC");
    tzset();
}

void PlotWindow::OpenScript(const QString& path) {
    m_hiddenById.clear();
    m_loader.Open(path);
}

void PlotWindow::Reload() {
    m_loader.Reload();
}

void PlotWindow::SetWatchFile(bool watch) {
    m_loader.SetWatchFile(watch);
}

void PlotWindow::Show(ReadResult&& result) {
    const QString& path = m_loader.Path();
    const QString file = QFileInfo(path).fileName();
    if (!result.Ok()) {
        setWindowTitle(QStringLiteral("plotvane - %1").arg(file));
        ShowMessage(ErrorText(result, path));
        emit ScriptShown(false);
        return;
    }
    // A reload keeps what the operator chose to look at.
    const bool keepView = m_loader.KeepsView() && m_zoomed && m_chart;
    const QPointF keptTime = keepView ? TimeRange() : QPointF();
    QHash<int, QPointF> keptValues;
    if (keepView) {
        for (std::size_t a = 0; a < m_valueAxes.size() && a < m_script.axes.size(); ++a)
            keptValues.insert(m_script.axes[a].id, ValueRange(static_cast<int>(a)));
    }

    m_script = std::move(result.script);
    setWindowTitle(QStringLiteral("plotvane - %1 (%2)").arg(file, Utf8(m_script.description)));
    BuildChart();
    BuildGroups();
    ApplyInitialRanges();
    if (keepView) {
        m_settingRanges = true;
        m_timeAxis->setRange(
            QDateTime::fromMSecsSinceEpoch(qint64(keptTime.x() * kMillisecondsPerSecond)),
            QDateTime::fromMSecsSinceEpoch(qint64(keptTime.y() * kMillisecondsPerSecond)));
        for (std::size_t a = 0; a < m_valueAxes.size(); ++a) {
            const auto kept = keptValues.constFind(m_script.axes[a].id);
            if (kept != keptValues.constEnd()) m_valueAxes[a]->setRange(kept->x(), kept->y());
        }
        m_settingRanges = false;
        m_zoomed = true;
    }
    RedrawNow();

    QStringList notes;
    if (m_script.sensors.empty())
        notes << tr("В файле нет датчиков.");
    else if (m_script.PointCount() == 0)
        notes << tr("В файле нет точек.");
    if (m_script.skippedPoints > 0) notes << tr("Пропущено точек: %1.").arg(m_script.skippedPoints);
    if (m_script.issueCount > 0) {
        QStringList issues;
        for (const ScriptIssue& issue : m_script.issues)
            issues << IssueText(issue);
        notes << tr("Замечаний к файлу: %1 (%2).")
                     .arg(m_script.issueCount)
                     .arg(issues.mid(0, kKeptIssuesShown).join(QStringLiteral("; ")));
        m_notes->setToolTip(issues.join(QLatin1Char('\n')));
    } else {
        m_notes->setToolTip(QString());
    }
    m_notes->setText(notes.join(QLatin1Char(' ')));
    m_pages->setCurrentWidget(m_view);
    emit ScriptShown(true);
}

void PlotWindow::ShowMessage(const QString& text) {
    m_message->setText(text);
    m_notes->clear();
    m_pages->setCurrentWidget(m_message);
}

bool PlotWindow::IsShowingChart() const {
    return m_pages->currentWidget() == m_view;
}

QString PlotWindow::MessageText() const {
    return IsShowingChart() ? QString() : m_message->text();
}

QString PlotWindow::NotesText() const {
    return m_notes->text();
}

void PlotWindow::BuildChart() {
    HideReadout();
    // setChart releases the chart it replaces (the first time, the view's own default one).
    QChart* old = m_view->chart();
    m_chart = new QChart();
    m_chart->setLocalizeNumbers(true);
    m_chart->setLocale(QLocale());
    m_chart->setTitle(Utf8(m_script.description));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->legend()->setShowToolTips(true);

    m_timeAxis = new QDateTimeAxis();
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_valueAxes.clear();
    for (std::size_t a = 0; a < m_script.axes.size(); ++a) {
        auto* axis = new QValueAxis();
        axis->setTitleText(Utf8(m_script.axes[a].name));
        m_chart->addAxis(axis, a % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
        m_valueAxes.push_back(axis);
    }

    m_series.clear();
    m_sensorAxis.clear();
    for (std::size_t i = 0; i < m_script.sensors.size(); ++i) {
        const ScriptSensor& sensor = m_script.sensors[i];
        auto* series = new QLineSeries();
        series->setName(Utf8(sensor.name));
        QPen pen(ColourOf(sensor.colour));
        pen.setWidth(sensor.thickness);
        series->setPen(pen);
        m_chart->addSeries(series);
        std::size_t axis = 0;
        while (axis < m_script.axes.size() && m_script.axes[axis].id != sensor.axisId)
            ++axis;
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_valueAxes[axis]);
        m_series.push_back(series);
        m_sensorAxis.push_back(static_cast<int>(axis));
    }

    m_view->setChart(m_chart);
    delete old;
    m_cursorLine = new QGraphicsLineItem(m_chart);
    m_cursorLine->setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    m_cursorLine->setZValue(1000);
    m_cursorLine->hide();

    for (std::size_t i = 0; i < m_series.size(); ++i) {
        const ScriptSensor& sensor = m_script.sensors[i];
        bool hidden = sensor.hidden;
        for (const ScriptGroup& group : m_script.groups) {
            if (group.hidden &&
                std::count(group.sensorIds.begin(), group.sensorIds.end(), sensor.id))
                hidden = true;
        }
        hidden = m_hiddenById.value(sensor.id, hidden);
        m_series[i]->setVisible(!hidden);
        const int index = static_cast<int>(i);
        for (QLegendMarker* marker : m_chart->legend()->markers(m_series[i])) {
            connect(marker, &QLegendMarker::clicked, this,
                    [this, index] { SetSensorVisible(index, !IsSensorVisible(index)); });
        }
        UpdateMarker(index);
    }
    UpdateAxisVisibility();

    connect(m_timeAxis, &QDateTimeAxis::rangeChanged, this, &PlotWindow::OnRangeChanged);
    for (QValueAxis* axis : m_valueAxes)
        connect(axis, &QValueAxis::rangeChanged, this, &PlotWindow::OnRangeChanged);
    connect(m_chart, &QChart::plotAreaChanged, this, &PlotWindow::ScheduleRedraw);
}

void PlotWindow::BuildGroups() {
    m_groupBar->clear();
    m_groupActions.clear();
    if (!m_script.groups.empty()) m_groupBar->addWidget(new QLabel(tr("Группы: "), m_groupBar));
    for (std::size_t g = 0; g < m_script.groups.size(); ++g) {
        const ScriptGroup& group = m_script.groups[g];
        QAction* action = m_groupBar->addAction(Utf8(group.name));
        action->setObjectName(QStringLiteral("group-%1").arg(group.id));
        action->setCheckable(true);
        const int index = static_cast<int>(g);
        connect(action, &QAction::toggled, this,
                [this, index](bool checked) { SetGroupVisible(index, checked); });
        m_groupActions.push_back(action);
    }
    UpdateGroupActions();
}

void PlotWindow::ApplyInitialRanges() {
    double first = 0.0;
    double last = 0.0;
    bool any = false;
    for (const ScriptSensor& sensor : m_script.sensors) {
        if (sensor.times.empty()) continue;
        first = any ? std::min(first, sensor.times.front()) : sensor.times.front();
        last = any ? std::max(last, sensor.times.back()) : sensor.times.back();
        any = true;
    }
    if (!any && m_script.hasSpan) {
        first = static_cast<double>(m_script.start);
        last = static_cast<double>(m_script.end);
        any = true;
    }
    if (!any) first = last = std::floor(QDateTime::currentSecsSinceEpoch() / kHalfHour) * kHalfHour;
    if (last <= first) {
        first -= kHalfHour;
        last += kHalfHour;
    }
    // The chart may not be laid out yet; the window's width is near enough.
    const int width = std::max(m_view->width(), this->width() - kAxesWidth);
    m_fullTimeTicks =
        RoundTimeRange(first, last, std::clamp(width / kPixelsPerTimeTick, 2, kMaxTimeTicks));
    m_fullTime = {first, last};

    m_fullValues.clear();
    for (std::size_t a = 0; a < m_script.axes.size(); ++a) {
        const ScriptAxis& axis = m_script.axes[a];
        AxisRange range{axis.minimum, axis.maximum};
        if (!axis.hasRange) {
            bool found = false;
            for (std::size_t i = 0; i < m_script.sensors.size(); ++i) {
                if (m_sensorAxis[i] != static_cast<int>(a)) continue;
                for (const double value : m_script.sensors[i].values) {
                    range.minimum = found ? std::min(range.minimum, value) : value;
                    range.maximum = found ? std::max(range.maximum, value) : value;
                    found = true;
                }
            }
            if (!found) range = {0.0, 1.0};
            const double pad = std::max((range.maximum - range.minimum) * kValuePadding, 0.5);
            if (range.maximum - range.minimum < 1e-12 || !found) {
                range.minimum -= pad;
                range.maximum += pad;
            } else {
                range.minimum -= (range.maximum - range.minimum) * kValuePadding;
                range.maximum += (range.maximum - range.minimum) * kValuePadding;
            }
        }
        m_fullValues.push_back(range);
    }
    ResetZoom();
}

void PlotWindow::ResetZoom() {
    if (!m_chart) return;
    m_settingRanges = true;
    m_timeAxis->setRange(
        QDateTime::fromMSecsSinceEpoch(qint64(m_fullTime.minimum * kMillisecondsPerSecond)),
        QDateTime::fromMSecsSinceEpoch(qint64(m_fullTime.maximum * kMillisecondsPerSecond)));
    for (std::size_t a = 0; a < m_valueAxes.size(); ++a)
        m_valueAxes[a]->setRange(m_fullValues[a].minimum, m_fullValues[a].maximum);
    m_settingRanges = false;
    m_zoomed = false;
    ScheduleRedraw();
}

void PlotWindow::OnRangeChanged() {
    if (!m_settingRanges) m_zoomed = true;
    HideReadout();
    ScheduleRedraw();
}

void PlotWindow::ScheduleRedraw() {
    m_redraw.start();
}

void PlotWindow::RedrawNow() {
    m_redraw.stop();
    if (!m_chart) return;
    const QPointF time = TimeRange();
    const int columns = std::max(1, static_cast<int>(m_chart->plotArea().width()));
    std::vector<PlotPoint> points;
    QList<QPointF> drawn;
    for (std::size_t i = 0; i < m_series.size(); ++i) {
        const ScriptSensor& sensor = m_script.sensors[i];
        PointDecimator::Decimate(sensor.times, sensor.values, time.x(), time.y(), columns, points);
        drawn.clear();
        drawn.reserve(static_cast<qsizetype>(points.size()));
        for (const PlotPoint& point : points)
            drawn.append(QPointF(point.x * kMillisecondsPerSecond, point.y));
        m_series[i]->replace(drawn);
    }
    UpdateTicks();
}

void PlotWindow::UpdateTicks() {
    const QPointF time = TimeRange();
    const double span = time.y() - time.x();
    const int width = static_cast<int>(m_chart->plotArea().width());
    // The whole view has round tick times; a zoomed one as many ticks as fit.
    m_timeAxis->setTickCount(m_zoomed ? std::clamp(width / kPixelsPerTimeTick, 2, kMaxTimeTicks)
                                      : m_fullTimeTicks);
    m_timeAxis->setFormat(span >= 60 * 86400.0  ? QStringLiteral("dd.MM.yy")
                          : span >= 2 * 86400.0 ? QStringLiteral("dd.MM.yy hh:mm")
                          : span >= 600.0       ? QStringLiteral("dd.MM hh:mm")
                                                : QStringLiteral("hh:mm:ss"));
    for (std::size_t a = 0; a < m_valueAxes.size(); ++a) {
        QValueAxis* axis = m_valueAxes[a];
        const ScriptAxis& script = m_script.axes[a];
        const double range = axis->max() - axis->min();
        if (!(range > 0.0)) continue;
        double step = script.step;
        if (!(step > 0.0) || range / step < kMinValueTicks || range / step > kMaxValueTicks)
            step = NiceStep(range);
        const int decimals =
            std::clamp(std::max(script.hasRange ? script.decimals : 0,
                                static_cast<int>(std::ceil(-std::log10(step) - 1e-9))),
                       0, kMaxLabelDecimals);
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(script.hasRange ? script.minimum : 0.0);
        axis->setTickInterval(step);
        axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    }
}

QPointF PlotWindow::TimeRange() const {
    if (!m_timeAxis) return {m_fullTime.minimum, m_fullTime.maximum};
    return {m_timeAxis->min().toMSecsSinceEpoch() / kMillisecondsPerSecond,
            m_timeAxis->max().toMSecsSinceEpoch() / kMillisecondsPerSecond};
}

QPointF PlotWindow::ValueRange(int axisIndex) const {
    if (axisIndex < 0 || axisIndex >= static_cast<int>(m_valueAxes.size())) return {};
    const QValueAxis* axis = m_valueAxes[static_cast<std::size_t>(axisIndex)];
    return {axis->min(), axis->max()};
}

bool PlotWindow::IsSensorVisible(int index) const {
    return index >= 0 && index < static_cast<int>(m_series.size()) &&
           m_series[static_cast<std::size_t>(index)]->isVisible();
}

void PlotWindow::SetSensorVisible(int index, bool visible) {
    if (index < 0 || index >= static_cast<int>(m_series.size())) return;
    m_series[static_cast<std::size_t>(index)]->setVisible(visible);
    m_hiddenById.insert(m_script.sensors[static_cast<std::size_t>(index)].id, !visible);
    UpdateMarker(index);
    UpdateAxisVisibility();
    UpdateGroupActions();
    HideReadout();
}

void PlotWindow::SetGroupVisible(int groupIndex, bool visible) {
    if (groupIndex < 0 || groupIndex >= static_cast<int>(m_script.groups.size())) return;
    const ScriptGroup& group = m_script.groups[static_cast<std::size_t>(groupIndex)];
    for (std::size_t i = 0; i < m_script.sensors.size(); ++i) {
        const int id = m_script.sensors[i].id;
        if (std::count(group.sensorIds.begin(), group.sensorIds.end(), id))
            SetSensorVisible(static_cast<int>(i), visible);
    }
    UpdateGroupActions();
}

QAction* PlotWindow::GroupAction(int groupIndex) const {
    if (groupIndex < 0 || groupIndex >= static_cast<int>(m_groupActions.size())) return nullptr;
    return m_groupActions[static_cast<std::size_t>(groupIndex)];
}

QLegendMarker* PlotWindow::LegendMarker(int index) const {
    if (!m_chart || index < 0 || index >= static_cast<int>(m_series.size())) return nullptr;
    const QList<QLegendMarker*> markers =
        m_chart->legend()->markers(m_series[static_cast<std::size_t>(index)]);
    return markers.isEmpty() ? nullptr : markers.front();
}

int PlotWindow::DrawnPointCount(int index) const {
    if (index < 0 || index >= static_cast<int>(m_series.size())) return 0;
    return static_cast<int>(m_series[static_cast<std::size_t>(index)]->count());
}

// A hidden sensor keeps its legend entry, faded, so that it can be clicked back.
void PlotWindow::UpdateMarker(int index) {
    QLegendMarker* marker = LegendMarker(index);
    if (!marker) return;
    const bool visible = IsSensorVisible(index);
    marker->setVisible(true);
    const int alpha = visible ? 255 : kFadedAlpha;
    QColor label = m_chart->legend()->labelColor();
    label.setAlpha(alpha);
    marker->setLabelBrush(label);
    QColor fill = ColourOf(m_script.sensors[static_cast<std::size_t>(index)].colour);
    fill.setAlpha(alpha);
    marker->setBrush(fill);
    QPen pen = marker->pen();
    QColor outline = pen.color();
    outline.setAlpha(alpha);
    pen.setColor(outline);
    marker->setPen(pen);
}

void PlotWindow::UpdateAxisVisibility() {
    for (std::size_t a = 0; a < m_valueAxes.size(); ++a) {
        bool used = false;
        bool shown = false;
        for (std::size_t i = 0; i < m_series.size(); ++i) {
            if (m_sensorAxis[i] != static_cast<int>(a)) continue;
            used = true;
            shown = shown || m_series[i]->isVisible();
        }
        m_valueAxes[a]->setVisible(!used || shown);
    }
}

void PlotWindow::UpdateGroupActions() {
    for (std::size_t g = 0; g < m_groupActions.size(); ++g) {
        const ScriptGroup& group = m_script.groups[g];
        bool shown = false;
        for (std::size_t i = 0; i < m_series.size(); ++i) {
            if (std::count(group.sensorIds.begin(), group.sensorIds.end(), m_script.sensors[i].id))
                shown = shown || m_series[i]->isVisible();
        }
        const QSignalBlocker blocker(m_groupActions[g]);
        m_groupActions[g]->setChecked(shown);
    }
}

void PlotWindow::ShowReadoutAt(QPointF scenePos) {
    if (!m_chart || m_series.empty() || !IsShowingChart() ||
        !m_chart->plotArea().contains(scenePos)) {
        HideReadout();
        return;
    }
    const double time =
        m_chart->mapToValue(scenePos, m_series.front()).x() / kMillisecondsPerSecond;
    const QLocale locale;
    const QString when = QDateTime::fromSecsSinceEpoch(std::llround(time), QTimeZone::utc())
                             .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    QStringList rich{QStringLiteral("<b>%1</b>").arg(when)};
    QStringList plain{when};
    for (std::size_t i = 0; i < m_series.size(); ++i) {
        if (!m_series[i]->isVisible()) continue;
        const ScriptSensor& sensor = m_script.sensors[i];
        QString value = QStringLiteral("\u2014");
        if (!sensor.times.empty() && time >= sensor.times.front() && time <= sensor.times.back()) {
            const std::size_t at = PointDecimator::Nearest(sensor.times, time);
            value = locale.toString(sensor.values[at], 'f', sensor.precision);
        }
        const QString name = Utf8(sensor.name);
        plain << QStringLiteral("%1: %2").arg(name, value);
        rich << QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2: <b>%3</b>")
                    .arg(ColourOf(sensor.colour).name(), name.toHtmlEscaped(), value);
    }
    m_readoutPlain = plain.join(QLatin1Char('\n'));
    m_readout->setText(rich.join(QStringLiteral("<br>")));
    m_readout->adjustSize();

    const QPointF local = m_chart->mapFromScene(scenePos);
    const QRectF area = m_chart->plotArea();
    m_cursorLine->setLine(local.x(), area.top(), local.x(), area.bottom());
    m_cursorLine->show();

    const QPoint at = m_view->mapFromScene(scenePos);
    QPoint place = at + QPoint(16, 16);
    if (place.x() + m_readout->width() > m_view->width())
        place.rx() = at.x() - 16 - m_readout->width();
    if (place.y() + m_readout->height() > m_view->height())
        place.ry() = std::max(0, m_view->height() - m_readout->height());
    m_readout->move(std::max(0, place.x()), place.y());
    m_readout->show();
    m_readout->raise();
}

void PlotWindow::HideReadout() {
    m_readoutPlain.clear();
    if (m_readout) m_readout->hide();
    if (m_cursorLine) m_cursorLine->hide();
}

QString PlotWindow::ReadoutText() const {
    return m_readoutPlain;
}

QPointF PlotWindow::ScenePosition(int index, double time, double value) const {
    if (!m_chart || index < 0 || index >= static_cast<int>(m_series.size())) return {};
    return m_chart->mapToPosition(QPointF(time * kMillisecondsPerSecond, value),
                                  m_series[static_cast<std::size_t>(index)]);
}

bool PlotWindow::ExportPng(const QString& path) {
    HideReadout();
    return m_view->grab().save(path, "PNG");
}

bool PlotWindow::ExportSvg(const QString& path) {
    HideReadout();
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(m_view->size());
    generator.setViewBox(QRect(QPoint(0, 0), m_view->size()));
    generator.setTitle(windowTitle());
    QPainter painter;
    if (!painter.begin(&generator)) return false;
    m_view->render(&painter);
    painter.end();
    const QFileInfo written(path);
    return written.exists() && written.size() > 0;
}

void PlotWindow::ExportWithDialog(bool svg) {
    const QString suffix = svg ? QStringLiteral("svg") : QStringLiteral("png");
    const QString& shown = m_loader.Path();
    const QFileInfo script(shown);
    const QString proposal = shown.isEmpty()
                                 ? QStringLiteral("chart.%1").arg(suffix)
                                 : script.absolutePath() + QLatin1Char('/') +
                                       script.completeBaseName() + QLatin1Char('.') + suffix;
    const QString path = QFileDialog::getSaveFileName(
        this, svg ? tr("Сохранить график как SVG") : tr("Сохранить график как PNG"), proposal,
        svg ? tr("Рисунок SVG (*.svg)") : tr("Рисунок PNG (*.png)"));
    if (path.isEmpty()) return;
    if (!(svg ? ExportSvg(path) : ExportPng(path)))
        QMessageBox::warning(this, windowTitle(), tr("Не удалось сохранить «%1».").arg(path));
}

void PlotWindow::OpenWithDialog() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Открыть файл графиков"), QFileInfo(m_loader.Path()).absolutePath(),
        tr("Файлы графиков (*-ag.xml);;Файлы XML (*.xml);;Все файлы (*)"));
    if (!path.isEmpty()) OpenScript(path);
}

}  // namespace vg28::plotvane
