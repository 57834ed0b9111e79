#pragma once
// The start window, titled with the application title: what to do first (create a project,
// open one, connect and synchronize) and whether to show the window next time.

#include <QDialog>

#include "session/Shell.h"

class QCheckBox;
class QRadioButton;

namespace vg28::ui {

class StartDialog final : public QDialog {
    Q_OBJECT
public:
    explicit StartDialog(int action, QWidget* parent = nullptr);

    // The choice (valid after OK).
    StartChoice Choice() const;

private:
    QRadioButton* m_actions[3];
    QCheckBox* m_dontShow;
};

}  // namespace vg28::ui
