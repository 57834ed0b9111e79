#pragma once
// The operator of vg28-tool: messages go to standard error; questions are answered by a fixed
// policy chosen by the command (no one is there to ask).

#include <string>
#include <vector>

#include "base/Operator.h"

namespace vg28::tool {

class ConsoleOperator final : public Operator {
public:
    Answer Show(const OperatorMessage& message) override;

    void SetAnswer(Answer answer) { m_answer = answer; }
    const std::vector<OperatorMessage>& Shown() const { return m_shown; }

private:
    Answer m_answer = Answer::No;
    std::vector<OperatorMessage> m_shown;
};

}  // namespace vg28::tool
