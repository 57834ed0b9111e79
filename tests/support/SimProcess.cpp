#include "support/SimProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vg28::test {

std::string SimProcess::Start(const std::vector<std::string>& arguments,
                              const std::string& errorFile) {
    int out[2];
    if (::pipe(out) != 0) return {};
    std::vector<char*> argv;
    std::string name = "vg28-sim";
    argv.push_back(name.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    m_child = ::fork();
    if (m_child == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        if (!errorFile.empty()) {
            const int err = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (err >= 0) ::dup2(err, 2);
        }
        ::execv(VG28_SIM_PROGRAM, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string printed;
    char c = 0;
    while (m_child > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
        printed += c;
    ::close(out[0]);
    return printed;
}

bool SimProcess::Stop() {
    if (m_child <= 0) return false;
    ::kill(m_child, SIGTERM);
    int status = 0;
    ::waitpid(m_child, &status, 0);
    m_child = -1;
    return WIFEXITED(status);
}

}  // namespace vg28::test
