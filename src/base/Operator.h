#pragma once
// How the core tells and asks the person at the PC. The core never shows anything itself: the
// desktop program implements this with message boxes, vg28-tool prints messages and answers
// questions by command-line policy, tests script the answers and record what was shown.

#include <string>

namespace vg28 {

enum class MessageIcon { None, Information, Question, Warning, Error, Stop };
enum class MessageButtons { Ok, YesNo, YesNoCancel, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct OperatorMessage {
    int stringId = 0;  // the string table entry the text comes from
    std::string text;  // UTF-8, arguments already filled in
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

class Operator {
public:
    virtual ~Operator() = default;
    virtual Answer Show(const OperatorMessage& message) = 0;

    // A message with an OK button.
    void Tell(int stringId, const std::string& text, MessageIcon icon);
    // A Yes/No question; true for Yes.
    bool Ask(int stringId, const std::string& text, MessageIcon icon = MessageIcon::Question);
};

}  // namespace vg28
