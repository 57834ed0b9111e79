#pragma once
// Serves a simulated line on a pseudo-terminal: the terminal side opens the slave path like a
// serial device. The server keeps the slave open itself (raw mode), so that the terminal may
// close and reopen it. Open reports failure as false with a message; Run loops until Stop.

#include <atomic>
#include <cstdint>
#include <string>

namespace vg28 {
class Clock;
class LinePeer;
}  // namespace vg28

namespace vg28::sim {

class PtyServer {
public:
    PtyServer() = default;
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    bool Open(std::string& error);
    const std::string& SlavePath() const { return m_slavePath; }

    // Moves bytes between the pseudo-terminal and the peer until Stop (also from another
    // thread or a signal handler).
    void Run(LinePeer& peer, Clock& clock);
    // One pass: waits at most maxWaitMs for input or the next due byte.
    void Step(LinePeer& peer, Clock& clock, int maxWaitMs);
    void Stop() { m_stop = true; }
    bool Stopped() const { return m_stop; }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    std::atomic<bool> m_stop{false};
};

}  // namespace vg28::sim
