#pragma once
// The row of buttons at the bottom or side of the program's dialogs: push buttons with the
// Windows program's texts and object names that tests click by.

#include <QBoxLayout>
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

}  // namespace vg28::ui
