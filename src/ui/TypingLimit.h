#pragma once
// The text limit of an edit field as the Windows edit control keeps it: it limits what the
// operator types, never what the program puts there. A text set by the program (setText, an
// item of a combo box chosen) is shown whole however long it is; the operator may shorten such
// a text but not lengthen it, and a text within the limit stays within it. QLineEdit's own
// maxLength cuts every text set, so it is not used for these fields. The limit is a child of
// the edit and lives as long as it.

#include <QObject>
#include <QString>

class QLineEdit;

namespace vg28::ui {

class TypingLimit final : public QObject {
    Q_OBJECT
public:
    // Limits typing into edit to limit characters.
    static void Apply(QLineEdit* edit, int limit);

private:
    TypingLimit(QLineEdit* edit, int limit);
    void OnTextChanged(const QString& text);

    QLineEdit* m_edit;
    const int m_limit;
    // The longest text the operator may leave: the limit, or the length of a longer text the
    // program put there, down to the limit as the operator shortens it.
    qsizetype m_allowed;
};

}  // namespace vg28::ui
