// vg28-tool: the terminal's core without a window, for scripts and unattended use.

#include <iostream>
#include <map>
#include <sstream>

#include "Commands.h"

namespace vg28::tool {

namespace {

const std::set<std::string> kGlobalOptions = {"--folder",      "--decimal", "--date-format",
                                              "--time-format", "--help",    "--version"};

std::map<std::string, ToolCommand>& Registry() {
    static std::map<std::string, ToolCommand> commands;
    return commands;
}

std::string Usage() {
    std::ostringstream text;
    text << "usage: vg28-tool [--folder DIR] [--decimal C] [--date-format FMT] "
            "[--time-format FMT] COMMAND ...\ncommands:\n";
    for (const ToolCommand& command : RegisteredCommands()) {
        std::istringstream lines(command.usage);
        for (std::string line; std::getline(lines, line);)
            text << "  " << line << '\n';
    }
    text << "--folder is the program folder. Without it: the folder of vg28-tool when it is\n"
            "writable and not an installed copy (one whose sensors.dat is in ../share/vg28),\n"
            "else the user's data folder ($XDG_DATA_HOME/vg28, else ~/.local/share/vg28), made\n"
            "on first use with the shipped sensors.dat. The settings are vg28-terminal.ini\n"
            "there, the debug log vg28-terminal.log. Date and time formats are strftime\n"
            "patterns.\n";
    return text.str();
}

}  // namespace

CommandRegistration::CommandRegistration(ToolCommand command) {
    Registry()[command.name] = std::move(command);
}

const std::vector<ToolCommand>& RegisteredCommands() {
    static std::vector<ToolCommand> list = [] {
        std::vector<ToolCommand> sorted;
        for (const auto& [name, command] : Registry())
            sorted.push_back(command);
        return sorted;
    }();
    return list;
}

int UsageError(const std::string& message) {
    std::cerr << "vg28-tool: " << message << '\n';
    return kExitUsage;
}

int Main(int argc, char** argv) {
    ToolOptions options;
    if (!options.Parse(argc, argv)) return UsageError(options.Error() + "\n" + Usage());
    if (options.Has("--help")) {
        std::cout << Usage();
        return 0;
    }
    if (options.Has("--version")) {
        std::cout << "vg28-tool " << VG28_VERSION << '\n';
        return 0;
    }
    if (options.Words().empty()) return UsageError("no command\n" + Usage());
    const auto found = Registry().find(options.Words().front());
    if (found == Registry().end())
        return UsageError("unknown command " + options.Words().front() + "\n" + Usage());

    std::set<std::string> known = kGlobalOptions;
    known.insert(found->second.options.begin(), found->second.options.end());
    if (const auto unknown = options.UnknownOptions(known); !unknown.empty())
        return UsageError("unknown option " + unknown.front());

    ToolContext context;
    std::string error;
    if (!context.Init(options, error)) return UsageError(error);
    return found->second.run(context);
}

}  // namespace vg28::tool

int main(int argc, char** argv) {
    return vg28::tool::Main(argc, argv);
}
