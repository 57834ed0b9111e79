#include "ui/QtOperator.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/TextCodec.h"

namespace vg28::ui {

namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

void AddButton(QMessageBox& box, QMessageBox::StandardButton which, const char* text,
               const char* name) {
    QAbstractButton* button = box.addButton(which);
    button->setText(QString::fromUtf8(text));
    button->setObjectName(QString::fromLatin1(name));
}

}  // namespace

QString ApplicationTitle() {
    return QString::fromUtf8(std::string(StringTable::Get(ids::kAppTitle)).c_str());
}

QString FromCp1251(const std::string& text) {
    return FromUtf8(TextCodec::Cp1251ToUtf8(text));
}

std::string ToCp1251(const QString& text) {
    return TextCodec::Utf8ToCp1251(text.toStdString());
}

Answer QtOperator::Show(const OperatorMessage& message) {
    QMessageBox box(m_parent);
    box.setObjectName(QStringLiteral("messageBox"));
    box.setWindowTitle(ApplicationTitle());
    box.setIcon(IconOf(message.icon));
    box.setText(FromUtf8(message.text));
    switch (message.buttons) {
        case MessageButtons::Ok:
            AddButton(box, QMessageBox::Ok, "OK", "ok");
            break;
        case MessageButtons::YesNo:
            AddButton(box, QMessageBox::Yes, "&Да", "yes");
            AddButton(box, QMessageBox::No, "&Нет", "no");
            break;
        case MessageButtons::YesNoCancel:
            AddButton(box, QMessageBox::Yes, "&Да", "yes");
            AddButton(box, QMessageBox::No, "&Нет", "no");
            AddButton(box, QMessageBox::Cancel, "Отмена", "cancel");
            break;
        case MessageButtons::OkCancel:
            AddButton(box, QMessageBox::Ok, "OK", "ok");
            AddButton(box, QMessageBox::Cancel, "Отмена", "cancel");
            break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            break;
    }
    // Closing the box without a button: the escape answer of its kind.
    switch (message.buttons) {
        case MessageButtons::Ok:
            return Answer::Ok;
        case MessageButtons::YesNo:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

}  // namespace vg28::ui
