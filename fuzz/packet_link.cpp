// Fuzz target: the packet link's receive path, fed byte by byte by a far end that plays the
// input as the instrument's side of the line. The first byte picks the instrument address
// (none, a short name, a long name); the rest arrive one byte per millisecond. Plain reads,
// exchanges with retries and echo checks, and a few commands of the command set take the
// lines in turn until the input is used up.

#include <deque>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "link/LinePeer.h"
#include "link/PacketLink.h"
#include "link/SimulatedLine.h"
#include "platform/FakeClock.h"
#include "platform/FixedText.h"
#include "project/CurrentState.h"
#include "protocol/InstrumentCommands.h"

namespace {

using namespace vg28;

class ScriptedPeer final : public LinePeer {
public:
    ScriptedPeer(Clock& clock, std::string_view bytes) : m_clock(clock) {
        std::int64_t at = clock.MonotonicMs();
        for (char c : bytes)
            m_bytes.push_back({++at, static_cast<unsigned char>(c)});
    }
    void Receive(std::string_view) override {}
    std::optional<std::int64_t> NextByteAt() override {
        if (m_bytes.empty()) return std::nullopt;
        return m_bytes.front().at;
    }
    std::optional<unsigned char> TakeByte() override {
        if (m_bytes.empty() || m_bytes.front().at > m_clock.MonotonicMs()) return std::nullopt;
        const unsigned char byte = m_bytes.front().byte;
        m_bytes.pop_front();
        if (byte != 0x0A) m_taken.push_back(static_cast<char>(byte));
        return byte;
    }
    // The bytes taken so far, line feeds left out (the link drops them).
    const std::string& Taken() const { return m_taken; }
    void SetDtr(bool) override {}
    bool Empty() const { return m_bytes.empty(); }

private:
    struct Byte {
        std::int64_t at;
        unsigned char byte;
    };
    Clock& m_clock;
    std::deque<Byte> m_bytes;
    std::string m_taken;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const kAddresses[] = {"", "A", "greenhouse-north-7"};
    const std::string address = kAddresses[data[0] % 3];

    FakeClock clock;
    auto peer = std::make_shared<ScriptedPeer>(clock, fuzz::AsText(data + 1, size - 1));
    CurrentState state{};
    CopyText(state.address, address);
    state.firmwareVersion = 0x01000205;
    PacketLink link(clock);
    link.SetState(&state);
    FUZZ_CHECK(link.OpenLine(std::make_unique<SimulatedLine>(clock, peer)));
    InstrumentCommands commands(link);

    for (int turn = 0; !peer->Empty(); ++turn) {
        std::string reply;
        switch (turn % 6) {
            case 0:
            case 1:
                if (link.ReceiveLine(reply)) {
                    FUZZ_CHECK(reply.size() <= PacketLink::kMaxLine);
                    // With an address, a reply gets in only behind our own prefix on the
                    // wire, or as the modem's OK.
                    if (!address.empty() && reply.compare(0, 2, "OK") != 0) {
                        const std::string& taken = peer->Taken();
                        const std::string wire = ":" + address + ";" + reply;
                        FUZZ_CHECK(taken.size() >= wire.size() &&
                                   taken.compare(taken.size() - wire.size(), wire.size(), wire) ==
                                       0);
                    }
                }
                break;
            case 2:
                link.Transact("mode\r", reply, 3);
                FUZZ_CHECK(reply.size() <= PacketLink::kMaxLine);
                break;
            case 3: {
                std::string command = "project;period;1;0;600\r";
                link.SendExpectEcho(command, 100);
                break;
            }
            case 4: {
                int mode = -1;
                if (commands.QueryMode(mode)) FUZZ_CHECK(mode >= 0 && mode <= 3);
                SystemTime time{};
                commands.QueryClock(time);
                break;
            }
            default: {
                std::string info;
                commands.QueryInfo(info);
                int count = -1;
                if (commands.SelectRecordsFrom(TimeStamp{}, count)) FUZZ_CHECK(count >= 0);
                std::string answer;
                commands.ExternalDeviceCommand("get -ver", &answer, 2);
                break;
            }
        }
    }
    return 0;
}
