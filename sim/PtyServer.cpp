#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "link/LinePeer.h"
#include "platform/Clock.h"

namespace vg28::sim {

PtyServer::~PtyServer() {
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
}

bool PtyServer::Open(std::string& error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[256] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        return false;
    }
    // Raw until the terminal sets its own modes: no echo, no CR/LF translation.
    struct termios state {};
    if (::tcgetattr(m_slave, &state) == 0) {
        ::cfmakeraw(&state);
        ::tcsetattr(m_slave, TCSANOW, &state);
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return true;
}

void PtyServer::Step(LinePeer& peer, Clock& clock, int maxWaitMs) {
    int waitMs = maxWaitMs;
    if (const std::optional<std::int64_t> next = peer.NextByteAt()) {
        const std::int64_t left = *next - clock.MonotonicMs();
        waitMs = static_cast<int>(std::clamp<std::int64_t>(left, 0, maxWaitMs));
    }
    pollfd entry{m_master, POLLIN, 0};
    if (::poll(&entry, 1, waitMs) > 0 && (entry.revents & POLLIN)) {
        char buffer[512];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) peer.Receive(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    std::string out;
    while (const std::optional<unsigned char> byte = peer.TakeByte()) {
        out.push_back(static_cast<char>(*byte));
    }
    std::size_t written = 0;
    while (written < out.size()) {
        const ssize_t n = ::write(m_master, out.data() + written, out.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        } else {
            pollfd ready{m_master, POLLOUT, 0};
            ::poll(&ready, 1, 50);
        }
    }
}

void PtyServer::Run(LinePeer& peer, Clock& clock) {
    while (!m_stop)
        Step(peer, clock, 200);
}

}  // namespace vg28::sim
