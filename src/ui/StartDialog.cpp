#include "ui/StartDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "ui/QtOperator.h"
#include "ui/ToolbarIcons.h"

namespace vg28::ui {

StartDialog::StartDialog(int action, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("startDialog"));
    setWindowTitle(ApplicationTitle());
    setWindowIcon(ToolbarIcons::ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Вы хотите"));
    auto* groupLayout = new QVBoxLayout(group);
    const char* const texts[] = {"Создать новый проект", "Открыть существующий проект",
                                 "Подключиться к VG-28 и синхронизировать проект"};
    const char* const names[] = {"actionNew", "actionOpen", "actionConnect"};
    for (int i = 0; i < 3; ++i) {
        m_actions[i] = new QRadioButton(QString::fromUtf8(texts[i]));
        m_actions[i]->setObjectName(QString::fromLatin1(names[i]));
        groupLayout->addWidget(m_actions[i]);
    }
    // A stored action outside 0-2 selects none of them, as the radio group would.
    if (action >= 0 && action < 3) m_actions[action]->setChecked(true);
    layout->addWidget(group);
    m_dontShow = new QCheckBox(QStringLiteral("Больше не показывать это окно"));
    m_dontShow->setObjectName(QStringLiteral("dontShowAgain"));
    layout->addWidget(m_dontShow);
    AddOkCancelRow(*this, *layout);
}

StartChoice StartDialog::Choice() const {
    StartChoice choice;
    for (int i = 0; i < 3; ++i)
        if (m_actions[i]->isChecked()) choice.action = i;
    choice.dontShowAgain = m_dontShow->isChecked();
    return choice;
}

}  // namespace vg28::ui
