#include "ui/RecordTableModel.h"

#include <QColor>

#include "project/CProjectDoc.h"
#include "ui/QtOperator.h"

namespace vg28::ui {

RecordTableModel::RecordTableModel(CProjectDoc& doc, QObject* parent)
    : QAbstractTableModel(parent), m_doc(doc) {}

void RecordTableModel::Refresh() {
    const int rows = static_cast<int>(m_doc.records.size());
    if (rows != m_rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    } else if (m_rows > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
    }
}

void RecordTableModel::BuildColumns(int mode, std::uint64_t customSet) {
    beginResetModel();
    m_columns.Build(m_doc, mode, customSet);
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns.Count();
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole: {
            ++m_cellRequests;
            return FromCp1251(
                m_columns.CellText(m_doc, static_cast<std::size_t>(index.row()), index.column()));
        }
        case Qt::BackgroundRole: {
            const ColumnColour c = TableColumns::Colour(m_columns.DataIndex(index.column()));
            return QColor(c.red, c.green, c.blue);
        }
        case Qt::TextAlignmentRole:
            // The list control aligns its first column to the left whatever is asked.
            return QVariant::fromValue((index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight) |
                                       Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    // The columns keep their stored widths, which cut long titles: the tooltip shows it whole.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return FromCp1251(m_columns.Title(section));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((section == 0 ? Qt::AlignLeft : Qt::AlignRight) |
                                   Qt::AlignVCenter);
    return {};
}

}  // namespace vg28::ui
