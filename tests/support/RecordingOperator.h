#pragma once
// The person at the PC as the tests play them: every message shown is recorded, and questions
// are answered from scripts, per string ID in turn and then with a default answer.

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "base/Operator.h"

namespace vg28::test {

class RecordingOperator final : public Operator {
public:
    Answer Show(const OperatorMessage& message) override;

    // The next question with this string ID is answered so (answers queue up per ID).
    void AnswerWith(int stringId, Answer answer) { m_answers[stringId].push_back(answer); }
    // The answer to questions without a queued answer; Yes unless set.
    void SetDefault(Answer answer) { m_default = answer; }

    // Every message shown, in order.
    const std::vector<OperatorMessage>& Messages() const { return m_messages; }
    int Count(int stringId) const;
    bool Shown(int stringId) const { return Count(stringId) > 0; }
    std::vector<int> Ids() const;
    void Clear() { m_messages.clear(); }

private:
    std::map<int, std::deque<Answer>> m_answers;
    Answer m_default = Answer::Yes;
    std::vector<OperatorMessage> m_messages;
};

}  // namespace vg28::test
