#include "collect/Collector.h"

#include <algorithm>

#include "collect/CollectorLine.h"
#include "collect/CollectorOperator.h"
#include "collect/StopRequest.h"
#include "link/PacketLink.h"
#include "platform/Clock.h"
#include "session/PortErrorText.h"

namespace vg28 {

Collector::Collector(const Environment& env, CollectOptions options)
    : m_env(env), m_options(std::move(options)) {}

std::vector<NetDevice> Collector::Targets() const {
    if (!m_options.devices.empty()) return m_options.devices;
    return {NetDevice{}};
}

std::optional<std::string> Collector::OwnerOf(const CollectStatus& status, std::size_t index,
                                              const std::string& project) {
    if (project.empty()) return std::nullopt;
    for (std::size_t i = 0; i < status.devices.size(); ++i) {
        if (i != index && status.devices[i].project == project) return status.devices[i].Label();
    }
    return std::nullopt;
}

std::size_t Collector::EntryOf(CollectStatus& status, const NetDevice& device) {
    const CollectStatus fresh = CollectStatus{}.ForDevices({device});
    const DeviceStatus& wanted = fresh.devices.front();
    for (std::size_t i = 0; i < status.devices.size(); ++i) {
        if (status.devices[i].name == wanted.name && status.devices[i].address == wanted.address)
            return i;
    }
    status.devices.push_back(wanted);
    return status.devices.size() - 1;
}

RoundResult Collector::RunRound(CollectStatus& status, const AfterDevice& afterDevice) {
    RoundResult result;
    const std::vector<NetDevice> targets = Targets();
    std::vector<std::size_t> entries;
    for (const NetDevice& target : targets)
        entries.push_back(EntryOf(status, target));

    const std::int64_t startMs = m_env.clock.MonotonicMs();
    PacketLink link(m_env.clock);
    CollectorLine* line = nullptr;
    // Opens the port on a new line; the bytes of the line before are kept in the counts.
    const auto open = [&] {
        if (line) {
            result.bytesSent += line->BytesSent();
            result.bytesReceived += line->BytesReceived();
        }
        std::unique_ptr<SerialLine> made = m_env.makeLine
                                               ? m_env.makeLine(m_options.port)
                                               : MakeSerialLine(m_options.port, m_env.clock);
        auto owned = std::make_unique<CollectorLine>(std::move(made), m_options.setClock);
        line = owned.get();
        if (link.OpenLine(std::move(owned))) return true;
        line = nullptr;  // the refused line is gone with its open
        result.portError = PortErrorText(m_options.port, link.OpenError());
        return false;
    };

    result.portOpened = open();
    if (result.portOpened && !m_lineDrained) {
        link.DrainUntilQuiet(kDrainLimitMs);
        m_lineDrained = true;
    }
    result.allCollected = result.portOpened;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (StopRequested()) {
            result.stopped = true;
            result.allCollected = false;
            break;
        }
        // A session that had to disconnect closed the port; the next device opens it again.
        const std::size_t entry = entries[i];
        if (!link.IsOpen() && (!result.portError.empty() || !open())) {
            status.devices[entry].result =
                "the port was not opened: " + CollectorOperator::OneLine(result.portError);
            result.allCollected = false;
            if (afterDevice) afterDevice(status, entry);
            continue;
        }
        DeviceCollection::Environment env{link,
                                          line,
                                          m_env.folder,
                                          m_env.profile,
                                          m_env.sensors,
                                          m_env.clock,
                                          m_options.searchSeconds,
                                          m_options.setClock,
                                          [&status, entry](const std::string& project) {
                                              return OwnerOf(status, entry, project);
                                          }};
        status.devices[entry] = DeviceCollection(env).Run(targets[i], status.devices[entry]);
        if (!status.devices[entry].Ok()) result.allCollected = false;
        if (afterDevice) afterDevice(status, entry);
    }
    if (StopRequested()) result.stopped = true;
    link.ClosePort();
    if (line) {
        result.bytesSent += line->BytesSent();
        result.bytesReceived += line->BytesReceived();
    }
    result.lineMs = m_env.clock.MonotonicMs() - startMs;
    return result;
}

void Collector::RunRounds(std::optional<int> everySeconds, CollectStatus& status,
                          const AfterDevice& afterDevice, const AfterRound& afterRound) {
    for (;;) {
        const std::int64_t startMs = m_env.clock.MonotonicMs();
        const RoundResult result = RunRound(status, afterDevice);
        if (afterRound) afterRound(result, status);
        if (!everySeconds || StopRequested()) return;
        const std::int64_t next = startMs + std::int64_t{*everySeconds} * 1000;
        const std::int64_t wait = std::max<std::int64_t>(0, next - m_env.clock.MonotonicMs());
        if (!StopRequest::Pause(m_env.clock, static_cast<int>(wait))) return;
    }
}

}  // namespace vg28
