// vg28-tool status [--status FILE] [--json]: what the collector's status file says, as a table
// (one line per device) or as the file's JSON.

#include <iostream>

#include "CollectStatusJson.h"
#include "Commands.h"

namespace vg28::tool {

namespace {

constexpr int kFailed = 1;

int RunStatus(ToolContext& context) {
    const ToolOptions& options = context.Options();
    if (options.Words().size() != 1) return UsageError("status takes no arguments");
    const auto statusOption = options.Value("--status");
    const std::string path =
        statusOption ? *statusOption : context.Folder() + CollectStatusJson::kFileName;
    CollectStatus status;
    std::string error;
    if (!CollectStatusJson::Read(path, status, error)) {
        std::cerr << "vg28-tool: " << error << " (vg28-tool collect writes it)\n";
        return kFailed;
    }
    std::cout << (context.Json() ? CollectStatusJson::Text(status, 2) + "\n" : status.Table());
    return 0;
}

const CommandRegistration kStatus({"status",
                                   "status [--status FILE] [--json]\n"
                                   "                                the collector's status file "
                                   "as a table, or its JSON",
                                   {"--json", "--status"},
                                   RunStatus});

}  // namespace

}  // namespace vg28::tool
