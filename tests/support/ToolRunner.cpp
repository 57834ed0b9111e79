#include "support/ToolRunner.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

namespace vg28::test {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

ToolRun RunTool(const TempFolder& folder, const std::string& arguments) {
    const std::string errFile = folder.File("stderr.txt");
    const std::string command = std::string(VG28_PROGRAM_DIR) + "/vg28-tool --folder " +
                                ShellQuote(folder.Path()) + " " + arguments + " 2>" +
                                ShellQuote(errFile);
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = folder.ReadFile("stderr.txt");
    std::error_code ignored;
    std::filesystem::remove(errFile, ignored);
    return run;
}

}  // namespace vg28::test
