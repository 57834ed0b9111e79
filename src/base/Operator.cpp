#include "base/Operator.h"

namespace vg28 {

void Operator::Tell(int stringId, const std::string& text, MessageIcon icon) {
    Show({stringId, text, icon, MessageButtons::Ok});
}

bool Operator::Ask(int stringId, const std::string& text, MessageIcon icon) {
    return Show({stringId, text, icon, MessageButtons::YesNo}) == Answer::Yes;
}

}  // namespace vg28
