#pragma once
// The Operator of the desktop program: each message is a modal QMessageBox titled with the
// application title, with the icon asked for and Russian button texts. The buttons carry the
// object names "ok", "cancel", "yes" and "no".

#include <QPointer>
#include <QWidget>

#include "base/Operator.h"

namespace vg28::ui {

class QtOperator final : public Operator {
public:
    explicit QtOperator(QWidget* parent = nullptr) : m_parent(parent) {}

    void SetParent(QWidget* parent) { m_parent = parent; }
    Answer Show(const OperatorMessage& message) override;

private:
    QPointer<QWidget> m_parent;
};

// The application title, string ids::kAppTitle.
QString ApplicationTitle();
// A UTF-8 text of the core.
inline QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
// A stored (Windows ANSI) text of the core.
QString FromCp1251(const std::string& text);
std::string ToCp1251(const QString& text);

}  // namespace vg28::ui
