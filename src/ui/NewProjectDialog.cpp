#include "ui/NewProjectDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "base/Operator.h"
#include "base/StringIds.h"
#include "project/ProjectLibrary.h"
#include "ui/DialogButtons.h"

namespace vg28::ui {

NewProjectDialog::NewProjectDialog(const QString& proposedName, Operator& op,
                                   std::function<int(const std::string&)> create, QWidget* parent)
    : QDialog(parent), m_operator(op), m_create(std::move(create)), m_name(new QLineEdit) {
    setObjectName(QStringLiteral("newProjectDialog"));
    setWindowTitle(QStringLiteral("Новый проект"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Имя проекта")));
    m_name->setObjectName(QStringLiteral("projectName"));
    m_name->setMaxLength(kMaxNameLength);
    m_name->setText(proposedName);
    m_name->selectAll();
    layout->addWidget(m_name);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    connect(AddDialogButton(buttons, "OK", "ok", true), &QPushButton::clicked, this,
            &NewProjectDialog::OnOk);
    connect(AddDialogButton(buttons, "&Отменить", "cancel"), &QPushButton::clicked, this,
            &QDialog::reject);
    layout->addLayout(buttons);
    setMinimumWidth(300);
}

void NewProjectDialog::OnOk() {
    const QString name = m_name->text();
    if (name.isEmpty()) return;
    // The limit counts characters: neither UTF-8 bytes nor UTF-16 units.
    if (name.toStdU32String().size() > static_cast<std::size_t>(kMaxNameLength)) {
        m_operator.Tell(
            ids::kEditTooLong,
            "Please enter no more than " + std::to_string(kMaxNameLength) + " characters.",
            MessageIcon::Warning);
        return;
    }
    // The library refuses names that are no plain file name or that CP1251 cannot hold, with
    // its message.
    if (m_create(name.toStdString()) == 0) accept();
    m_name->setFocus();
}

}  // namespace vg28::ui
