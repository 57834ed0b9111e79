#pragma once
// The child frame of a view inside the main window's MDI area: always maximized, without a
// minimize box, its system menu reduced to the close item; requests to minimize or restore it
// are ignored. Closing it destroys the view; the view's command creates a new frame.

#include <QMdiSubWindow>

namespace vg28::ui {

class CChildFrame final : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(QWidget* view, QWidget* parent = nullptr);

    QWidget* View() const { return widget(); }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ReduceSystemMenu();
    bool m_restoring = false;
};

}  // namespace vg28::ui
