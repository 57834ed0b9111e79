#include "support/RecordingOperator.h"

#include <algorithm>

namespace vg28::test {

Answer RecordingOperator::Show(const OperatorMessage& message) {
    m_messages.push_back(message);
    if (message.buttons == MessageButtons::Ok) return Answer::Ok;
    auto queue = m_answers.find(message.stringId);
    if (queue != m_answers.end() && !queue->second.empty()) {
        const Answer answer = queue->second.front();
        queue->second.pop_front();
        return answer;
    }
    return m_default;
}

int RecordingOperator::Count(int stringId) const {
    return static_cast<int>(
        std::count_if(m_messages.begin(), m_messages.end(),
                      [stringId](const OperatorMessage& m) { return m.stringId == stringId; }));
}

std::vector<int> RecordingOperator::Ids() const {
    std::vector<int> ids;
    for (const OperatorMessage& m : m_messages)
        ids.push_back(m.stringId);
    return ids;
}

}  // namespace vg28::test
