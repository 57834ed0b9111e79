#pragma once
// The commands of vg28-tool. Each command file registers itself with a CommandRegistration at
// namespace scope; main dispatches on the first word. A command returns the process exit status:
// 0 success, the file operation code for a failed file operation, 2 for a record line that does
// not parse, kExitUsage for a malformed command line, 1 for a failed instrument operation.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ToolContext.h"

namespace vg28::tool {

struct ToolCommand {
    std::string name;               // first word of the command line
    std::string usage;              // lines for the usage text, each starting with the name
    std::set<std::string> options;  // options the command understands (besides the global ones)
    std::function<int(ToolContext&)> run;
};

class CommandRegistration {
public:
    explicit CommandRegistration(ToolCommand command);
};

// Registered commands in name order.
const std::vector<ToolCommand>& RegisteredCommands();

// Prints a usage error and returns kExitUsage.
int UsageError(const std::string& message);

}  // namespace vg28::tool
