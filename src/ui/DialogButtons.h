#pragma once
// The row of buttons at the bottom or side of the program's dialogs: push buttons with the
// Windows program's texts and object names that tests click by.

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

namespace vg28::ui {

inline QPushButton* AddDialogButton(QBoxLayout* layout, const char* text, const char* name,
                                    bool isDefault = false) {
    auto* button = new QPushButton(QString::fromUtf8(text));
    button->setObjectName(QString::fromLatin1(name));
    button->setDefault(isDefault);
    button->setAutoDefault(isDefault);
    layout->addWidget(button);
    return button;
}

// "OK" (the default, accepts) and "Отменить" (rejects), on the right of a row of their own.
inline void AddOkCancelRow(QDialog& dialog, QBoxLayout& layout) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    QObject::connect(AddDialogButton(buttons, "OK", "ok", true), &QPushButton::clicked, &dialog,
                     &QDialog::accept);
    QObject::connect(AddDialogButton(buttons, "Отменить", "cancel"), &QPushButton::clicked, &dialog,
                     &QDialog::reject);
    layout.addLayout(buttons);
}

}  // namespace vg28::ui
