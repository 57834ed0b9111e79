#pragma once
// "Определение колонок": which columns the record table shows in its custom mode. One check-box
// line per data index 0-49 ("Время", then S1-S49); OK forms the new custom column set.

#include <QDialog>
#include <cstdint>

class QListWidget;

namespace vg28::ui {

class ColumnChoiceDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ColumnChoiceDialog(std::uint64_t customSet, QWidget* parent = nullptr);

    // The set of the checked lines (valid after OK).
    std::uint64_t CustomSet() const;
    QListWidget* List() const { return m_list; }

private:
    QListWidget* m_list;
};

}  // namespace vg28::ui
