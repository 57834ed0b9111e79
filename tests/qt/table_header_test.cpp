// The record table's column titles: cut at the columns' stored widths, whole in their tooltips.

#include <gtest/gtest.h>
#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "ui/CTableView.h"

namespace vg28::test {
namespace {

// Guards against titles cut at the column width with no way to read them whole, so that two
// temperature columns cannot be told apart.
TEST(RecordTableHeader, CutTitlesShowWholeAsTooltip) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo",
                                        {{0, "TA 1"}, {2, "RH 1"}, {9, "KWS/AT"}},
                                        {"2026-12-07 10:00:00;S1;21.5;S3;60;S10;22.4"}));
    t.Frame().resize(900, 600);
    t.Frame().ShowRecordTable();
    ui::CTableView& table = *t.Frame().RecordTable();
    RunningTerminal::Pump(50);
    QHeaderView& header = *table.horizontalHeader();
    ASSERT_EQ(header.count(), 4);
    for (int column = 1; column < header.count(); ++column) {
        SCOPED_TRACE(column);
        const QString title = table.model()->headerData(column, Qt::Horizontal).toString();
        // The width stays the stored one, too narrow for the title.
        EXPECT_EQ(table.columnWidth(column), 80);
        EXPECT_GT(header.fontMetrics().horizontalAdvance(title), table.columnWidth(column));
        EXPECT_EQ(table.model()->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString(),
                  title);
        // The header shows it when the pointer rests on the column's title.
        QToolTip::hideText();
        const QPoint at(header.sectionViewportPosition(column) + table.columnWidth(column) / 2,
                        header.height() / 2);
        QHelpEvent help(QEvent::ToolTip, at, header.viewport()->mapToGlobal(at));
        QApplication::sendEvent(header.viewport(), &help);
        EXPECT_EQ(QToolTip::text(), title);
    }
    QToolTip::hideText();
}

}  // namespace
}  // namespace vg28::test
