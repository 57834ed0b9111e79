#include "plotvane/core/ViewerArguments.h"

#include <string_view>

namespace vg28::plotvane {

namespace {

constexpr std::string_view kUpdate = "update";

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A path as it may come: quoted, or quoted with " update" after it in one parameter text.
void TakePath(std::string_view text, ViewerArguments& parsed) {
    text = Trim(text);
    if (text.size() >= 2 && text.front() == '"') {
        const std::size_t close = text.find('"', 1);
        if (close != std::string_view::npos) {
            const std::string_view rest = Trim(text.substr(close + 1));
            if (rest == kUpdate) {
                parsed.update = true;
            } else if (!rest.empty()) {
                parsed.ok = false;
                parsed.error = "unexpected text after the script path: " + std::string(rest);
            }
            text = text.substr(1, close - 1);
        }
    }
    parsed.scriptPath = std::string(text);
}

}  // namespace

ViewerArguments ViewerArguments::Parse(const std::vector<std::string>& arguments) {
    ViewerArguments parsed;
    for (const std::string& argument : arguments) {
        if (Trim(argument) == kUpdate && !parsed.scriptPath.empty()) {
            parsed.update = true;
        } else if (parsed.scriptPath.empty() && !Trim(argument).empty()) {
            TakePath(argument, parsed);
        } else if (!Trim(argument).empty()) {
            parsed.ok = false;
            parsed.error = "unexpected argument: " + argument;
        }
    }
    return parsed;
}

}  // namespace vg28::plotvane
