#include "link/SimulatedLine.h"

#include <algorithm>
#include <cerrno>

#include "link/CSerialException.h"
#include "platform/Clock.h"

namespace vg28 {

SimulatedLine::SimulatedLine(Clock& clock, std::shared_ptr<LinePeer> peer, std::string name)
    : m_clock(clock), m_peer(std::move(peer)), m_name(std::move(name)) {}

void SimulatedLine::Open(const LineSettings& settings) {
    if (!m_peer) CSerialException::Throw(ENODEV);
    if (m_open) CSerialException::Throw(EBUSY);
    m_settings = settings;
    m_open = true;
}

int SimulatedLine::Close() {
    if (!m_open) return -1;
    m_open = false;
    return 1;
}

void SimulatedLine::RequireOpen() const {
    if (!m_open) CSerialException::Throw(EBADF);
}

void SimulatedLine::PurgeInput() {
    RequireOpen();
    // Only what has arrived by now; a peer that keeps sending cannot hold the purge forever.
    constexpr int kMaxPurged = 1 << 16;
    for (int n = 0; n < kMaxPurged && m_peer->TakeByte(); ++n) {
    }
}

std::size_t SimulatedLine::Read(void* buffer, std::size_t count) {
    RequireOpen();
    auto* bytes = static_cast<unsigned char*>(buffer);
    const std::int64_t total = static_cast<std::int64_t>(m_timeouts.ReadTotalTimeoutMultiplier) *
                                   static_cast<std::int64_t>(count) +
                               m_timeouts.ReadTotalTimeoutConstant;
    const std::int64_t interval = m_timeouts.ReadIntervalTimeout;
    const std::int64_t start = m_clock.MonotonicMs();
    std::int64_t lastByte = start;
    std::size_t got = 0;
    int misses = 0;
    while (got < count) {
        std::int64_t deadline = total > 0 ? start + total : -1;
        if (got > 0 && interval > 0) {
            deadline = deadline < 0 ? lastByte + interval : std::min(deadline, lastByte + interval);
        }
        const std::int64_t now = m_clock.MonotonicMs();
        const std::optional<std::int64_t> next = m_peer->NextByteAt();
        if (next && (deadline < 0 || *next <= deadline)) {
            if (*next > now && !m_clock.SleepMs(static_cast<int>(*next - now))) {
                CSerialException::Throw(CSerialException::kStopped);
            }
            const std::optional<unsigned char> byte = m_peer->TakeByte();
            if (!byte) {
                // The peer's queue moved (a reply overtook its schedule); look again, but never
                // spin on a peer that keeps promising a byte it does not give.
                if (++misses > 16) break;
                continue;
            }
            bytes[got++] = *byte;
            lastByte = m_clock.MonotonicMs();
            continue;
        }
        // Nothing arrives in time: the read waits out its time-out. Without any time-out and
        // nothing on its way it would block forever; the simulated line returns instead.
        if (deadline >= 0 && deadline > now && !m_clock.SleepMs(static_cast<int>(deadline - now))) {
            CSerialException::Throw(CSerialException::kStopped);
        }
        break;
    }
    return got;
}

std::size_t SimulatedLine::Write(const void* data, std::size_t count) {
    RequireOpen();
    m_peer->Receive(std::string_view(static_cast<const char*>(data), count));
    return count;
}

void SimulatedLine::SetTimeouts(const SerialTimeouts& timeouts) {
    RequireOpen();
    m_timeouts = timeouts;
}

void SimulatedLine::SetDtr() {
    RequireOpen();
    m_dtr = true;
    m_peer->SetDtr(true);
}

void SimulatedLine::ClearDtr() {
    RequireOpen();
    m_dtr = false;
    m_peer->SetDtr(false);
}

}  // namespace vg28
