#pragma once
// "Новый проект": the name of a new project, preset with the local date and time
// (YYYYMMDD_hhmm). OK hands the name to the create function; the dialog closes only when the
// project was created, so a refused name (empty, too long, not a plain file name, with characters
// CP1251 cannot hold, taken) can be corrected in place. The length limit counts characters.

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;

namespace vg28 {
class Operator;
}

namespace vg28::ui {

class NewProjectDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 16;

    // create makes the project of a UTF-8 name and returns the file operation code (0 made;
    // it tells the operator why not).
    NewProjectDialog(const QString& proposedName, Operator& op,
                     std::function<int(const std::string&)> create, QWidget* parent = nullptr);

    QLineEdit* NameEdit() const { return m_name; }

private:
    void OnOk();

    Operator& m_operator;
    std::function<int(const std::string&)> m_create;
    QLineEdit* m_name;
};

}  // namespace vg28::ui
