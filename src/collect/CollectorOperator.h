#pragma once
// The collector's operator: nobody is at the PC to ask. The clock question is answered as
// the collector was told (--set-clock: Yes), every other question No: the instrument is never
// cleared after a failed save, a connection is never kept open on request. Every message is
// kept (none is printed), so that the device's result can say what went wrong.

#include <optional>
#include <string>
#include <vector>

#include "base/Operator.h"

namespace vg28 {

struct CurrentState;

class CollectorOperator final : public Operator {
public:
    explicit CollectorOperator(bool setClock) : m_setClock(setClock) {}

    Answer Show(const OperatorMessage& message) override;

    // The live state whose clock offset the clock question is about.
    void Watch(const CurrentState* state) { m_state = state; }

    const std::vector<OperatorMessage>& Messages() const { return m_messages; }
    bool Shown(int stringId) const;
    // The text of the last message with an error or stop icon, on one line; empty when none.
    std::string LastError() const;
    // The clock offset (PC minus instrument, seconds) the clock question was asked about.
    std::optional<int> ClockQuestionOffset() const { return m_questionOffset; }
    bool ClockSetOnQuestion() const { return m_questionOffset && m_setClock; }

    // A message text on one line: line breaks and tabs become blanks, runs of blanks one.
    static std::string OneLine(const std::string& text);

private:
    bool m_setClock;
    const CurrentState* m_state = nullptr;
    std::vector<OperatorMessage> m_messages;
    std::optional<int> m_questionOffset;
};

}  // namespace vg28
