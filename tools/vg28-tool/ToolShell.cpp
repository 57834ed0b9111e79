#include "ToolShell.h"

#include <iostream>

namespace vg28::tool {

void ToolShell::ShowSearchProgress(const std::string& text, int) {
    m_progress = true;
    std::cerr << text << "...\n";
}

}  // namespace vg28::tool
