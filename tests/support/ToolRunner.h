#pragma once
// Runs the built vg28-tool on a test's program folder and collects what it printed.

#include <string>

#include "support/TempFolder.h"

namespace vg28::test {

struct ToolRun {
    int status = -1;  // exit status, -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// The text quoted for the shell.
std::string ShellQuote(const std::string& text);

// vg28-tool --folder <folder> <arguments> (arguments as a shell would read them).
ToolRun RunTool(const TempFolder& folder, const std::string& arguments);

}  // namespace vg28::test
