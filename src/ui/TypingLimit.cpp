#include "ui/TypingLimit.h"

#include <QLineEdit>
#include <algorithm>

namespace vg28::ui {

void TypingLimit::Apply(QLineEdit* edit, int limit) {
    new TypingLimit(edit, limit);
}

TypingLimit::TypingLimit(QLineEdit* edit, int limit)
    : QObject(edit), m_edit(edit), m_limit(limit), m_allowed(std::max<qsizetype>(limit, 0)) {
    m_allowed = std::max(m_allowed, edit->text().size());
    connect(edit, &QLineEdit::textChanged, this, &TypingLimit::OnTextChanged);
}

void TypingLimit::OnTextChanged(const QString& text) {
    // The program's setText (a combo's choice included) clears the modified flag; the
    // operator's typing, pasting and deleting set it.
    if (!m_edit->isModified()) {
        m_allowed = std::max<qsizetype>(m_limit, text.size());
        return;
    }
    const qsizetype excess = text.size() - m_allowed;
    if (excess > 0) {
        // Cut what was just typed or pasted: it ends at the cursor. Setting the kept text
        // comes back here as the program's, with the allowance as it was.
        const int cursor = m_edit->cursorPosition();
        const qsizetype cut = std::min<qsizetype>(excess, cursor);
        QString kept = text;
        kept.remove(cursor - cut, cut);
        m_edit->setText(kept);
        m_edit->setModified(true);
        m_edit->setCursorPosition(static_cast<int>(cursor - cut));
        return;
    }
    m_allowed = std::max<qsizetype>(m_limit, text.size());
}

}  // namespace vg28::ui
