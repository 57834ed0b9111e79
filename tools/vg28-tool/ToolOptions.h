#pragma once
// The command line of vg28-tool: global options (anywhere on the line), the command words and
// the command's own options. Options take their value as the next argument or after '='.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vg28::tool {

inline constexpr int kExitUsage = 64;

class ToolOptions {
public:
    // Parses argv; false with Error() set on a malformed line.
    bool Parse(int argc, char** argv);
    const std::string& Error() const { return m_error; }

    const std::vector<std::string>& Words() const { return m_words; }
    bool Has(const std::string& flag) const { return m_flags.count(flag) > 0; }
    std::optional<std::string> Value(const std::string& option) const;

    // Options of the command that were not understood (reported as usage errors).
    std::vector<std::string> UnknownOptions(const std::set<std::string>& known) const;

private:
    std::vector<std::string> m_words;
    std::set<std::string> m_flags;
    std::map<std::string, std::string> m_values;
    std::string m_error;
};

}  // namespace vg28::tool
