#pragma once
// "Выберите тип графика ": how the graph viewer draws the records, 0 the registered values,
// 1 the exponential moving average. Opens with the given type modulo 2 selected; the text
// below the pictures describes the item selected last.

#include <QDialog>

class QLabel;
class QListWidget;

namespace vg28::ui {

class GraphTypeDialog final : public QDialog {
    Q_OBJECT
public:
    explicit GraphTypeDialog(int type, QWidget* parent = nullptr);

    // The selection mark (valid after "&Построить").
    int Type() const;
    QListWidget* List() const { return m_list; }
    QString Description() const;

private:
    void ShowDescription(int item);

    QListWidget* m_list;
    QLabel* m_description;
};

}  // namespace vg28::ui
