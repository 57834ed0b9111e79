#include "ToolOptions.h"

namespace vg28::tool {

namespace {

// Options that take a value; everything else starting with "--" is a flag.
const std::set<std::string> kValueOptions = {
    "--folder", "--decimal", "--date-format", "--time-format",    "--project",
    "--port",   "--address", "--view",        "--custom",         "--type",
    "--dev",    "--devices", "--every",       "--search-seconds", "--status"};

}  // namespace

bool ToolOptions::Parse(int argc, char** argv) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            m_words.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (kValueOptions.count(name)) {
            if (equals != std::string::npos) {
                m_values[name] = arg.substr(equals + 1);
            } else if (i + 1 < argc) {
                m_values[name] = argv[++i];
            } else {
                m_error = "option " + name + " needs a value";
                return false;
            }
        } else {
            if (equals != std::string::npos) {
                m_error = "option " + name + " takes no value";
                return false;
            }
            m_flags.insert(name);
        }
    }
    return true;
}

std::optional<std::string> ToolOptions::Value(const std::string& option) const {
    const auto found = m_values.find(option);
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> ToolOptions::UnknownOptions(const std::set<std::string>& known) const {
    std::vector<std::string> unknown;
    for (const std::string& flag : m_flags)
        if (!known.count(flag)) unknown.push_back(flag);
    for (const auto& [name, value] : m_values)
        if (!known.count(name)) unknown.push_back(name);
    return unknown;
}

}  // namespace vg28::tool
