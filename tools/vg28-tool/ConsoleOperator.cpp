#include "ConsoleOperator.h"

#include <iostream>

namespace vg28::tool {

Answer ConsoleOperator::Show(const OperatorMessage& message) {
    m_shown.push_back(message);
    std::string text = message.text;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    std::cerr << text << '\n';
    if (message.buttons == MessageButtons::Ok) return Answer::Ok;
    std::cerr << "(answered " << (m_answer == Answer::Yes ? "yes" : "no") << ")\n";
    return m_answer;
}

}  // namespace vg28::tool
