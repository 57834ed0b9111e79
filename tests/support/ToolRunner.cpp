#include "support/ToolRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "project/CProjectDoc.h"

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

bool AwaitRecordsInFile(const std::string& projectFile, int records, int seconds) {
    const std::uintmax_t size = CProjectDoc::kHeaderSize + sizeof(ProjectSetup) +
                                static_cast<std::uintmax_t>(records) * sizeof(MeasurementRecord);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    const auto holds = [&] {
        std::error_code missing;
        const std::uintmax_t now = std::filesystem::file_size(projectFile, missing);
        return !missing && now > size;
    };
    while (std::chrono::steady_clock::now() < deadline && !holds())
        ::usleep(20000);
    return holds();
}

ToolProcess::ToolProcess(const TempFolder& folder, const std::vector<std::string>& arguments,
                         const std::string& errorFile) {
    std::vector<std::string> words = {"vg28-tool", "--folder", folder.Path()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string tool = std::string(VG28_PROGRAM_DIR) + "/vg28-tool";
    m_child = ::fork();
    if (m_child == 0) {
        const int err = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (err >= 0) ::dup2(err, 2);
        ::execv(tool.c_str(), argv.data());
        ::_exit(127);
    }
}

ToolProcess::~ToolProcess() {
    if (m_child > 0 && ::kill(m_child, SIGKILL) == 0) ::waitpid(m_child, nullptr, 0);
}

void ToolProcess::Signal(int signal) const {
    if (m_child > 0) ::kill(m_child, signal);
}

int ToolProcess::Wait() {
    if (m_child <= 0) return -1;
    int status = 0;
    if (::waitpid(m_child, &status, 0) != m_child) status = -1;
    m_child = -1;
    return status;
}

}  // namespace vg28::test
