#pragma once
// Runs the built vg28-tool on a test's program folder and collects what it printed.

#include <sys/types.h>

#include <string>
#include <vector>

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

// Waits until the project file holds more than that many records (a download running in
// another program has begun); false when it did not within the time.
bool AwaitRecordsInFile(const std::string& projectFile, int records, int seconds = 120);

// vg28-tool --folder <folder> <arguments> running beside the test, its standard error going
// to errorFile. Killed when the object goes without Wait.
class ToolProcess {
public:
    ToolProcess(const TempFolder& folder, const std::vector<std::string>& arguments,
                const std::string& errorFile);
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    bool Started() const { return m_child > 0; }
    void Signal(int signal) const;
    // Waits for the end; the wait status as waitpid gives it, -1 when there is no program.
    int Wait();

private:
    pid_t m_child = -1;
};

}  // namespace vg28::test
