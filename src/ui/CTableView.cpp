#include "ui/CTableView.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QPainter>

#include "base/Profile.h"
#include "base/ProfileKeys.h"
#include "base/StringIds.h"
#include "graph/ViewerLauncher.h"
#include "project/CProjectDoc.h"
#include "project/ProjectLibrary.h"
#include "project/RecordExport.h"
#include "project/TableColumns.h"
#include "session/CommandIds.h"
#include "session/SessionText.h"
#include "session/Shell.h"
#include "ui/ColumnChoiceDialog.h"
#include "ui/GraphTypeDialog.h"
#include "ui/QtOperator.h"
#include "ui/RecordTableModel.h"
#include "ui/ViewFont.h"

namespace vg28::ui {

const char* const CTableView::kExportFilter =
    "CSV файлы (*.csv)|*.csv|Текстовые файлы (*.txt)|*.txt|";

QStringList NameFiltersFromWindows(const QString& filter) {
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i];
        if (text.isEmpty()) break;
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt takes the patterns from the parentheses of the text.
        filters << (text.contains(QLatin1Char('('))
                        ? text
                        : text + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}

CTableView::CTableView(CProjectDoc& doc, Operator& op, ViewerLauncher* viewer,
                       bool viewerRegistered, QWidget* parent)
    : QTableView(parent),
      m_doc(doc),
      m_operator(op),
      m_viewer(viewer),
      m_viewerRegistered(viewerRegistered),
      m_model(new RecordTableModel(doc, this)) {
    setObjectName(QStringLiteral("tableView"));
    setFont(ViewFont(font()));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Fixed row heights: the view never measures the rows, so it never asks for their texts.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    QPalette white = palette();
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);

    const Profile& profile = m_doc.GetProfile();
    m_mode = TableColumns::ReadMode(profile);
    m_customSet = TableColumns::ReadCustomSet(profile);
    BuildColumns();
    m_model->Refresh();
    m_doc.AddObserver(this);
}

CTableView::~CTableView() {
    m_doc.RemoveObserver(this);
    Profile& profile = m_doc.GetProfile();
    TableColumns::WriteMode(profile, m_mode);
    TableColumns::WriteCustomSet(profile, m_customSet);
    SaveWidths();
}

void CTableView::SaveWidths() {
    Profile& profile = m_doc.GetProfile();
    const TableColumns& columns = m_model->Columns();
    for (int c = 0; c < columns.Count() && c < horizontalHeader()->count(); ++c)
        TableColumns::WriteWidth(profile, columns.DataIndex(c), columnWidth(c));
}

void CTableView::BuildColumns() {
    SaveWidths();
    m_model->BuildColumns(m_mode, m_customSet);
    const TableColumns& columns = m_model->Columns();
    // Without a stored width the time column is made wide enough for a time in this font.
    const int timeWidth = fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000  00:00")) + 12;
    for (int c = 0; c < columns.Count(); ++c) {
        const int index = columns.DataIndex(c);
        const int fallback = index == TableColumns::kTimeIndex
                                 ? std::max(TableColumns::DefaultWidth(index), timeWidth)
                                 : TableColumns::DefaultWidth(index);
        setColumnWidth(c, m_doc.GetProfile().GetInt(keys::kTableMode.section,
                                                    keys::ColumnWidthKey(index), fallback));
    }
    viewport()->update();
}

void CTableView::Rebuild() {
    BuildColumns();
}

void CTableView::OnDocumentUpdate(int hint) {
    if (hint == kHintLiveState) return;
    m_model->Refresh();
    viewport()->update();
}

void CTableView::paintEvent(QPaintEvent* event) {
    // The empty area below the rows keeps each column's colour; right of the last column white.
    {
        QPainter painter(viewport());
        const int height = viewport()->height();
        int x = -horizontalOffset();
        const TableColumns& columns = m_model->Columns();
        for (int c = 0; c < columns.Count(); ++c) {
            const ColumnColour colour = TableColumns::Colour(columns.DataIndex(c));
            const int width = columnWidth(c);
            painter.fillRect(x, 0, width, height, QColor(colour.red, colour.green, colour.blue));
            x += width;
        }
        if (x < viewport()->width())
            painter.fillRect(x, 0, viewport()->width() - x, height, Qt::white);
    }
    QTableView::paintEvent(event);
}

CommandState CTableView::QueryCommand(int id) const {
    if (id >= cmd::kTableModeFirst && id < cmd::kTableModeFirst + TableColumns::kModeCount)
        return {true, true, id - cmd::kTableModeFirst == m_mode};
    switch (id) {
        case cmd::kColumnChoice:
        case cmd::kExportMarked:
        case cmd::kExportAll:
            return {true, true, false};
        case cmd::kDataViewer:
            return {true, m_viewerRegistered && m_viewer != nullptr, false};
        default:
            return {};
    }
}

bool CTableView::OnCommand(int id) {
    if (!QueryCommand(id).enabled) return false;
    if (id >= cmd::kTableModeFirst && id < cmd::kTableModeFirst + TableColumns::kModeCount) {
        SetMode(id - cmd::kTableModeFirst);
        return true;
    }
    switch (id) {
        case cmd::kColumnChoice:
            ChooseColumns();
            return true;
        case cmd::kExportMarked:
            ExportRecords(1);
            return true;
        case cmd::kExportAll:
            ExportRecords(0);
            return true;
        case cmd::kDataViewer:
            StartDataViewer();
            return true;
        default:
            return false;
    }
}

void CTableView::SetMode(int mode) {
    m_mode = mode;
    BuildColumns();
}

void CTableView::ChooseColumns() {
    ColumnChoiceDialog dialog(m_customSet, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_customSet = dialog.CustomSet();
    BuildColumns();
}

void CTableView::ExportRecords(int markLimits) {
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("exportDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setNameFilters(NameFiltersFromWindows(QString::fromUtf8(kExportFilter)));
    dialog.setDirectory(FromUtf8(m_doc.ProgramFolder()));
    dialog.selectFile(FromUtf8(m_doc.ProjectName()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const std::string path = dialog.selectedFiles().constFirst().toStdString();
    const int code = vg28::ExportRecords(m_doc, m_model->Columns(), path, markLimits);
    if (code != kFileOk) {
        ProjectLibrary(m_doc, m_operator).ShowFileError(code, path);
    } else {
        AnnounceExport(path);
    }
}

void CTableView::AnnounceExport(const std::string& path) {
    // Long enough to read the path.
    constexpr int kExportedSeconds = 8;
    if (!m_shell) return;
    // One line per record is written.
    m_shell->ShowTransientMessage(
        SessionTextWith(ids::kRecordsExported, static_cast<long long>(m_doc.records.size()), path),
        kExportedSeconds);
}

void CTableView::StartDataViewer() {
    if (!m_viewer) return;
    Profile& profile = m_doc.GetProfile();
    GraphTypeDialog dialog(profile.Get(keys::kGraphType), this);
    if (dialog.exec() != QDialog::Accepted) return;
    profile.Write(keys::kGraphType, dialog.Type());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_viewer->LaunchViewer(1);
    QApplication::restoreOverrideCursor();
}

}  // namespace vg28::ui
