#pragma once
// The record table's rows as a Qt model: it holds only the row count and the column model;
// every cell text is made from the document when the view asks for it (while painting), so a
// project of any size shows at once. Texts come from TableColumns in CP1251 and are converted
// for display; colours are the columns' by data index.

#include <QAbstractTableModel>

#include "project/TableColumns.h"

namespace vg28 {
class CProjectDoc;
}

namespace vg28::ui {

class RecordTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordTableModel(CProjectDoc& doc, QObject* parent = nullptr);

    // Takes the document's record count as the row count.
    void Refresh();
    // Builds the columns for a mode and custom set.
    void BuildColumns(int mode, std::uint64_t customSet);
    const TableColumns& Columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Cell texts produced since the last reset of the counter (tests check the laziness).
    long long CellRequests() const { return m_cellRequests; }
    void ResetCellRequests() { m_cellRequests = 0; }

private:
    CProjectDoc& m_doc;
    TableColumns m_columns;
    int m_rows = 0;
    mutable long long m_cellRequests = 0;
};

}  // namespace vg28::ui
