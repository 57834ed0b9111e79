#include "plotvane/PlotWindow.h"

#include <time.h>

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStringList>
#include <QSvgGenerator>
#include <QToolBar>

#include "plotvane/ChartZoom.h"
#include "plotvane/CursorReadout.h"
#include "plotvane/PlotChartView.h"
#include "plotvane/ScriptChart.h"
#include "plotvane/ScriptToQt.h"
#include "plotvane/SensorVisibility.h"

namespace vg28::plotvane {

namespace {

constexpr int kKeptIssuesShown = 1;

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
    m_chart = std::make_unique<ScriptChart>(m_view);
    m_readout = std::make_unique<CursorReadout>(*m_chart, m_view);

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
    m_visibility = std::make_unique<SensorVisibility>(*m_chart, m_groupBar);
    connect(m_visibility.get(), &SensorVisibility::Changed, this, &PlotWindow::HideReadout);

    m_zoom = std::make_unique<ChartZoom>(*m_chart);
    connect(m_zoom.get(), &ChartZoom::RangeChanged, this, &PlotWindow::HideReadout);
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

// The base class deletes the view after the members are gone: what the view still tells while
// it goes is not for them.
PlotWindow::~PlotWindow() {
    disconnect(m_view, nullptr, this, nullptr);
}

void PlotWindow::UseScriptTime() {
    qputenv("TZ", "UTC");
    tzset();
}

void PlotWindow::OpenScript(const QString& path) {
    m_visibility->ForgetChoices();
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
    const ChartZoom::KeptView kept = m_loader.KeepsView() ? m_zoom->Keep() : ChartZoom::KeptView{};
    setWindowTitle(QStringLiteral("plotvane - %1 (%2)").arg(file, Utf8(result.script.description)));
    BuildChart(std::move(result.script));
    m_zoom->Restore(kept);
    m_zoom->RedrawNow();

    const PlotScript& script = m_chart->Script();
    QStringList notes;
    if (script.sensors.empty())
        notes << tr("В файле нет датчиков.");
    else if (script.PointCount() == 0)
        notes << tr("В файле нет точек.");
    if (script.skippedPoints > 0) notes << tr("Пропущено точек: %1.").arg(script.skippedPoints);
    if (script.issueCount > 0) {
        QStringList issues;
        for (const ScriptIssue& issue : script.issues)
            issues << IssueText(issue);
        notes << tr("Замечаний к файлу: %1 (%2).")
                     .arg(script.issueCount)
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

const PlotScript& PlotWindow::Script() const {
    return m_chart->Script();
}

QChart* PlotWindow::Chart() const {
    return m_chart->Chart();
}

// A new chart, and each part that works on it set to it.
void PlotWindow::BuildChart(PlotScript&& script) {
    HideReadout();
    m_chart->Build(std::move(script));
    m_readout->AddCursorLine();
    m_visibility->ApplyToChart();
    m_zoom->Follow();
    m_visibility->BuildGroupButtons();
    m_chart->MeasureFullRanges(width());
    m_zoom->Reset();
}

bool PlotWindow::IsZoomed() const {
    return m_zoom->IsZoomed();
}

void PlotWindow::ResetZoom() {
    m_zoom->Reset();
}

void PlotWindow::RedrawNow() {
    m_zoom->RedrawNow();
}

QPointF PlotWindow::TimeRange() const {
    return m_chart->TimeRange();
}

QPointF PlotWindow::ValueRange(int axisIndex) const {
    return m_chart->ValueRange(axisIndex);
}

bool PlotWindow::IsSensorVisible(int index) const {
    return m_visibility->IsVisible(index);
}

void PlotWindow::SetSensorVisible(int index, bool visible) {
    m_visibility->SetVisible(index, visible);
}

void PlotWindow::SetGroupVisible(int groupIndex, bool visible) {
    m_visibility->SetGroupVisible(groupIndex, visible);
}

QAction* PlotWindow::GroupAction(int groupIndex) const {
    return m_visibility->GroupAction(groupIndex);
}

QLegendMarker* PlotWindow::LegendMarker(int index) const {
    return m_chart->LegendMarker(index);
}

int PlotWindow::DrawnPointCount(int index) const {
    return m_chart->DrawnPointCount(index);
}

void PlotWindow::ShowReadoutAt(QPointF scenePos) {
    if (!IsShowingChart()) {
        HideReadout();
        return;
    }
    m_readout->ShowAt(scenePos);
}

void PlotWindow::HideReadout() {
    m_readout->Hide();
}

QString PlotWindow::ReadoutText() const {
    return m_readout->Text();
}

QPointF PlotWindow::ScenePosition(int index, double time, double value) const {
    return m_chart->ScenePosition(index, time, value);
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
