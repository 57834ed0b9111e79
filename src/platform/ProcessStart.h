#pragma once
// Starts other programs: a detached process with an argument vector (posix_spawn), as the
// Windows program hands a file and its parameters to the shell. Start reports failure as false
// (program not found or not executable, spawn refused) and never waits for the program; the
// started process is reaped in the background so that it leaves no zombie. Tests derive from
// this class and record the command line instead of starting anything.

#include <string>
#include <string_view>
#include <vector>

namespace vg28 {

class ProcessStart {
public:
    virtual ~ProcessStart() = default;

    // program is a path, or a bare name looked up on PATH; arguments follow the program name.
    virtual bool Start(const std::string& program, const std::vector<std::string>& arguments);

    // The first executable regular file named name in folder (when not empty) and then in the
    // folders of PATH; empty when there is none. A name with a '/' is checked as it stands.
    static std::string FindProgram(std::string_view name, std::string_view folder = {});

    // Splits a Windows command-line text into arguments: blanks and tabs separate, double quotes
    // group (a quote inside a quoted part written "" is a literal quote), and 2n backslashes
    // before a quote give n backslashes (2n+1 give n and a literal quote).
    static std::vector<std::string> SplitCommandLine(std::string_view text);
};

}  // namespace vg28
