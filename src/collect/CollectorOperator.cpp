#include "collect/CollectorOperator.h"

#include "base/StringIds.h"
#include "project/CurrentState.h"

namespace vg28 {

Answer CollectorOperator::Show(const OperatorMessage& message) {
    m_messages.push_back(message);
    if (message.buttons == MessageButtons::Ok) return Answer::Ok;
    if (message.stringId == ids::kClockDiffers) {
        if (m_state) m_questionOffset = m_state->clockOffset;
        return m_setClock ? Answer::Yes : Answer::No;
    }
    return Answer::No;
}

bool CollectorOperator::Shown(int stringId) const {
    for (const OperatorMessage& message : m_messages)
        if (message.stringId == stringId) return true;
    return false;
}

std::string CollectorOperator::LastError() const {
    for (auto it = m_messages.rbegin(); it != m_messages.rend(); ++it) {
        if (it->icon == MessageIcon::Error || it->icon == MessageIcon::Stop)
            return OneLine(it->text);
    }
    return {};
}

std::string CollectorOperator::OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ';
        if (blank) {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

}  // namespace vg28
