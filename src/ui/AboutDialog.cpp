#include "ui/AboutDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "ui/QtOperator.h"
#include "ui/ToolbarIcons.h"

namespace vg28::ui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel;
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(ToolbarIcons::ProgramIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    // The product line carries the model: the application title is "Арболюкс VG-28".
    auto* product = new QLabel(ApplicationTitle());
    product->setObjectName(QStringLiteral("aboutProduct"));
    product->setTextFormat(Qt::PlainText);
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    auto* version = new QLabel(QStringLiteral("Эмулятор Терминала (Версия 1.0.2.6)"));
    version->setObjectName(QStringLiteral("aboutVersion"));
    version->setTextFormat(Qt::PlainText);

    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    connect(AddDialogButton(buttons, "OK", "ok", true), &QPushButton::clicked, this,
            &QDialog::accept);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace vg28::ui
