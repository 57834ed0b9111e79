#pragma once
// The About box: the program icon, the product with its model, the terminal's version line and
// "OK". The caller keeps the main window busy while it is open.
//
// Object names: "aboutDialog", "aboutIcon", "aboutProduct", "aboutVersion", "ok".

#include <QDialog>

namespace vg28::ui {

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace vg28::ui
