// The waits of the line and of the clock run the wait hook in short slices, and a stop asked for
// through it ends the wait and the exchange at once: on the fake clock with a recorded pump, and
// on a pseudo-terminal through the real port.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/CSerialException.h"
#include "link/CSerialPort.h"
#include "link/LinePeer.h"
#include "link/PacketLink.h"
#include "link/SimulatedLine.h"
#include "platform/FakeClock.h"
#include "platform/SystemClock.h"
#include "platform/WaitHook.h"
#include "project/CurrentState.h"
#include "protocol/InstrumentCommands.h"
#include "support/PtyPair.h"

namespace vg28 {
namespace {

// The far end of a line that records each request and answers it with a fixed line (or not at
// all), a little later, as an instrument that gets the request wrong would.
class AnsweringPeer final : public LinePeer {
public:
    AnsweringPeer(Clock& clock, std::string answer) : m_clock(clock), m_answer(std::move(answer)) {}

    void Receive(std::string_view bytes) override {
        for (char c : bytes) {
            m_request.push_back(c);
            if (c != '\r') continue;
            requests.push_back(m_request);
            m_request.clear();
            if (!m_answer.empty()) {
                m_out = m_answer;
                m_at = m_clock.MonotonicMs() + 30;
            }
        }
    }
    std::optional<std::int64_t> NextByteAt() override {
        if (m_out.empty()) return std::nullopt;
        return m_at;
    }
    std::optional<unsigned char> TakeByte() override {
        if (m_out.empty() || m_at > m_clock.MonotonicMs()) return std::nullopt;
        const auto byte = static_cast<unsigned char>(m_out.front());
        m_out.erase(0, 1);
        return byte;
    }
    void SetDtr(bool) override {}

    std::vector<std::string> requests;

private:
    Clock& m_clock;
    std::string m_answer;
    std::string m_request;
    std::string m_out;
    std::int64_t m_at = 0;
};

// A link on a simulated line with the fake clock, whose waits run a pump that records the fake
// time of each call and asks for a stop from a given fake time on.
struct PumpRig {
    FakeClock clock;
    CurrentState state{};
    PacketLink link{clock};
    InstrumentCommands commands{link, nullptr};
    std::shared_ptr<AnsweringPeer> peer;
    std::vector<std::int64_t> calls;  // fake milliseconds since the rig was made
    std::int64_t start = clock.MonotonicMs();
    std::optional<std::int64_t> stopFrom;  // fake milliseconds since start

    explicit PumpRig(const std::string& answer = "") {
        peer = std::make_shared<AnsweringPeer>(clock, answer);
        link.SetState(&state);
        EXPECT_TRUE(link.OpenLine(std::make_unique<SimulatedLine>(clock, peer)));
        clock.SetWaitPump([this] {
            const std::int64_t now = clock.MonotonicMs() - start;
            calls.push_back(now);
            return stopFrom && now >= *stopFrom;
        });
    }
    std::int64_t Elapsed() const { return clock.MonotonicMs() - start; }
    // The longest stretch of fake time without a call of the pump, up to now.
    std::int64_t LongestGap() const {
        std::int64_t gap = calls.empty() ? Elapsed() : calls.front();
        for (std::size_t i = 1; i < calls.size(); ++i)
            gap = std::max(gap, calls[i] - calls[i - 1]);
        if (!calls.empty()) gap = std::max(gap, Elapsed() - calls.back());
        return gap;
    }
};

struct Operation {
    const char* name;
    const char* answer;       // what the far end says to every request ("" nothing)
    std::int64_t durationMs;  // the operation's waits, on a far end that fails it
    int requests;             // requests sent when nothing stops it
    std::function<bool(PumpRig&)> run;
};

// Transact's pauses and reads, SendExpectEcho's wait for a late echo, the second try of a
// setting, and the thirteen one-second waits of the memory format.
std::vector<Operation> Operations() {
    return {
        {"Q3 on a silent line", "", 100 + 3 * (2000 + 100), 3,
         [](PumpRig& r) {
             std::string reply;
             return r.link.Transact("mode\r", reply, 3);
         }},
        {"E(2000) with a wrong echo", "XX\r", 100 + 30 + 2000 + 2000, 1,
         [](PumpRig& r) {
             std::string command = "monitor;off\r";
             return r.link.SendExpectEcho(command, 2000);
         }},
        {"E(2000)x2 on a silent line", "", 2 * (100 + 2000 + 100), 2,
         [](PumpRig& r) { return r.commands.SetMonitor(0); }},
        {"format memory", "", 100 + 2000 + 100 + 13 * (1000 + 2000), 1,
         [](PumpRig& r) { return r.commands.FormatMemory(); }},
    };
}

// Guards against a wait of the link or of an instrument command that blocks without running the
// wait hook (the window freezes meanwhile), or runs it less often than every slice.
TEST(WaitHook, EveryWaitOfAnExchangeRunsThePumpEverySlice) {
    for (const Operation& op : Operations()) {
        SCOPED_TRACE(op.name);
        PumpRig rig(op.answer);
        EXPECT_FALSE(op.run(rig));
        EXPECT_EQ(rig.Elapsed(), op.durationMs);
        EXPECT_EQ(static_cast<int>(rig.peer->requests.size()), op.requests);
        EXPECT_LE(rig.LongestGap(), WaitHook::kSliceMs);
        EXPECT_FALSE(rig.link.Stopped());
    }
}

// Guards against a stop that lets the wait run out, retries the exchange, or sends anything
// more while it lasts, and against a link that stays stopped once the stop is taken back.
TEST(WaitHook, StopEndsTheWaitAndTheExchangeWithoutRetries) {
    for (const Operation& op : Operations()) {
        for (std::int64_t stopAt : {std::int64_t{50}, std::int64_t{700}}) {
            SCOPED_TRACE(std::string(op.name) + ", stop at " + std::to_string(stopAt));
            PumpRig rig(op.answer);
            rig.stopFrom = stopAt;
            EXPECT_FALSE(op.run(rig));
            EXPECT_TRUE(rig.link.Stopped());
            // Over within the slice in which the pump said stop.
            EXPECT_GE(rig.Elapsed(), stopAt);
            EXPECT_LE(rig.Elapsed(), stopAt + WaitHook::kSliceMs);
            // A stop inside the first pause sends nothing; inside the first read no second try.
            EXPECT_EQ(rig.peer->requests.size(), stopAt < 100 ? 0u : 1u);

            // While the stop lasts, the next exchange fails at once and sends nothing.
            const std::size_t sent = rig.peer->requests.size();
            const std::int64_t before = rig.Elapsed();
            std::string reply;
            EXPECT_FALSE(rig.link.Transact("mode\r", reply, 3));
            EXPECT_TRUE(rig.link.Stopped());
            EXPECT_EQ(rig.peer->requests.size(), sent);
            EXPECT_EQ(rig.Elapsed(), before);

            rig.stopFrom.reset();
            EXPECT_FALSE(rig.link.Transact("mode\r", reply, 1, "MODE"));
            EXPECT_FALSE(rig.link.Stopped());
            EXPECT_EQ(rig.peer->requests.size(), sent + 1);
        }
    }
}

// Guards against a fake clock that runs a pump (real events) no test gave it, or that cuts its
// sleeps into slices without one (the simulator's recording would then follow other steps).
TEST(WaitHook, FakeClockRunsOnlyItsOwnPump) {
    int processHook = 0;
    WaitHook::Install([&] {
        ++processHook;
        return true;
    });
    FakeClock clock;
    int advances = 0;
    clock.SetOnAdvance([&] { ++advances; });
    EXPECT_TRUE(clock.SleepMs(2000));
    EXPECT_FALSE(clock.StopRequested());
    EXPECT_EQ(advances, 1);
    int pumped = 0;
    clock.SetWaitPump([&] { return ++pumped == 3; });
    EXPECT_FALSE(clock.SleepMs(2000));
    EXPECT_EQ(pumped, 3);
    EXPECT_EQ(advances, 3);  // two whole slices passed before the third call stopped it
    EXPECT_EQ(processHook, 0);
    // The real clock runs the process's hook, and a stop from it ends its sleep at once.
    EXPECT_FALSE(Clock::System().SleepMs(60000));
    EXPECT_TRUE(Clock::System().StopRequested());
    EXPECT_EQ(processHook, 2);
    WaitHook::Remove();
    EXPECT_TRUE(Clock::System().SleepMs(1));
    EXPECT_FALSE(Clock::System().StopRequested());
}

// Guards against the real port's reads and writes waiting out their time-outs without running
// the hook, or going on after it asked for a stop.
TEST(WaitHook, PortReadsAndWritesRunTheHookAndStop) {
    const struct {
        const char* name;
        bool write;
        int stopOnCall;  // 0: never
    } cases[] = {
        {"read that times out", false, 0},
        {"read stopped", false, 3},
        {"write that times out", true, 0},
        {"write stopped", true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::PtyPair pty;
        ASSERT_FALSE(pty.slave.empty());
        CSerialPort port;
        port.Open(pty.slave, 9600, kParityNone, 8, kStopOne, kFlowNone);
        SerialTimeouts timeouts;
        timeouts.ReadTotalTimeoutConstant = 200;
        timeouts.WriteTotalTimeoutConstant = 200;
        port.SetTimeouts(timeouts);
        std::string buffer(1 << 20, 'x');
        if (c.write) {
            // The far end reads nothing: fill what the terminal takes, so that a write waits.
            const int flags = ::fcntl(pty.master, F_GETFL);
            ASSERT_EQ(::fcntl(pty.master, F_SETFL, flags | O_NONBLOCK), 0);
            // The kernel moves the pseudo-terminal's bytes on a little later and makes room
            // again: full means three writes in a row, 20 ms apart, that take nothing.
            port.SetTimeouts(SerialTimeouts{0, 0, 0, 0, 1});
            for (int refused = 0; refused < 3;) {
                if (port.Write(buffer.data(), 4096) > 0) {
                    refused = 0;
                } else {
                    ++refused;
                    ::usleep(20000);
                }
            }
            port.SetTimeouts(timeouts);
        }
        int calls = 0;
        port.SetWaitHook([&] { return ++calls == c.stopOnCall; });
        bool stopped = false;
        std::size_t moved = 0;
        try {
            moved = c.write ? port.Write(buffer.data(), 4096) : port.Read(buffer.data(), 1);
        } catch (const CSerialException& error) {
            stopped = error.IsStop();
        }
        EXPECT_EQ(moved, 0u);
        EXPECT_EQ(stopped, c.stopOnCall != 0);
        if (c.stopOnCall != 0) {
            EXPECT_EQ(calls, c.stopOnCall);
        } else {
            // 200 ms in slices of at most 20 ms (fewer on a machine that is slow to wake).
            EXPECT_GE(calls, 5);
        }
    }
}

}  // namespace
}  // namespace vg28
