// The session while its exchanges wait: the window's timer firing inside a wait, the commands
// asked for meanwhile, and a stop through the wait hook, on the fake clock with a recorded pump
// and a line that never answers.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/LinePeer.h"
#include "link/SimulatedLine.h"
#include "session/CommandIds.h"
#include "session/SessionHarness.h"

namespace vg28 {
namespace {

using test::SessionHarness;

// A far end that records the requests and never answers: a port with no instrument behind it.
class DeadPeer final : public LinePeer {
public:
    void Receive(std::string_view bytes) override {
        for (char c : bytes) {
            m_request.push_back(c);
            if (c == '\r' || m_request == "+++") {
                requests.push_back(m_request);
                m_request.clear();
            }
        }
    }
    std::optional<std::int64_t> NextByteAt() override { return std::nullopt; }
    std::optional<unsigned char> TakeByte() override { return std::nullopt; }
    void SetDtr(bool) override {}

    std::vector<std::string> requests;

private:
    std::string m_request;
};

// What the recorded pump saw when it played the window inside the wait.
struct InsideTheWait {
    bool tickDidNothing = false;
    bool connectEnabled = true;
    bool disconnectEnabled = false;
    bool panelEnabled = false;
    bool disconnectRefused = false;
};

// The harness's session on a dead line. The pump plays the window at its tenth call: the timer
// fires (the tick must do nothing), the commands are asked for, a disconnect is tried (refused
// while busy), and from then on it asks for a stop until stopping is cleared.
struct DeadLineRig {
    SessionHarness h;
    std::shared_ptr<DeadPeer> peer = std::make_shared<DeadPeer>();
    SimulatedLine* line = nullptr;
    int calls = 0;
    bool stopping = false;
    bool playWindow = true;
    InsideTheWait seen;

    DeadLineRig() {
        h.session->SetLineFactory([this](const std::string&) -> std::unique_ptr<SerialLine> {
            auto made = std::make_unique<SimulatedLine>(h.clock, peer);
            line = made.get();
            return made;
        });
        h.clock.SetWaitPump([this] { return Pump(); });
    }

    bool Pump() {
        if (++calls == 10 && playWindow) {
            const CurrentState before = h.State();
            const std::size_t sent = peer->requests.size();
            h.session->OnTimer();
            seen.tickDidNothing =
                peer->requests.size() == sent && h.State().tries == before.tries &&
                h.State().searchTicks == before.searchTicks && h.State().step == before.step;
            seen.connectEnabled = h.session->QueryCommand(cmd::kConnect).enabled;
            seen.disconnectEnabled = h.session->QueryCommand(cmd::kDisconnect).enabled;
            seen.panelEnabled = h.session->QueryCommand(cmd::kShowControlPanel).enabled;
            seen.disconnectRefused =
                !h.session->OnCommand(cmd::kDisconnect) && h.session->IsPortOpen();
            stopping = true;
        }
        return stopping;
    }
};

// Guards against the window's timer running a tick inside an exchange, a command that uses the
// line running inside it, a stop that lets the exchange go on or retry, a stopped try counted as
// a failure (up to "VG-28 не отвечает!"), and a disconnect afterwards that leaves the port open,
// DTR raised or the search going.
TEST(SessionStop, StopInsideTheWaitEndsTheWorkAndCountsNothing) {
    const struct {
        const char* name;
        std::function<void(DeadLineRig&)> prepare;
        std::function<void(DeadLineRig&)> work;
        const char* lastRequest;  // the request that was waiting when the stop came
        bool searchGoesOn;        // else the work disconnects by itself, as the format does
    } cases[] = {
        {"search tick at its last try",
         [](DeadLineRig& r) { r.h.State().tries = Session::kSearchLimit - 1; },
         [](DeadLineRig& r) { r.h.Tick(); }, "+\r", true},
        {"memory format",
         [](DeadLineRig& r) {
             r.h.State().connected = true;
             r.h.op.AnswerWith(10109, Answer::Yes);
         },
         [](DeadLineRig& r) { EXPECT_TRUE(r.h.session->OnCommand(cmd::kFormatMemory)); }, "init\r",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeadLineRig rig;
        rig.playWindow = false;
        rig.h.session->Connect();
        ASSERT_TRUE(rig.h.session->IsPortOpen());
        rig.h.Tick();  // a first try, dialling
        c.prepare(rig);
        const std::size_t sentBefore = rig.peer->requests.size();
        const int triesBefore = rig.h.State().tries;
        rig.calls = 0;
        rig.playWindow = true;
        c.work(rig);

        EXPECT_TRUE(rig.seen.tickDidNothing);
        EXPECT_FALSE(rig.seen.connectEnabled);
        EXPECT_TRUE(rig.seen.disconnectEnabled);
        EXPECT_TRUE(rig.seen.panelEnabled);
        EXPECT_TRUE(rig.seen.disconnectRefused);
        // The waiting request was the last one: no retry, nothing after it.
        ASSERT_EQ(rig.peer->requests.size(), sentBefore + 1);
        EXPECT_EQ(rig.peer->requests.back(), c.lastRequest);
        EXPECT_FALSE(rig.h.op.Shown(10029));
        EXPECT_EQ(rig.h.State().tries, triesBefore);
        EXPECT_FALSE(rig.h.session->IsBusy());
        EXPECT_EQ(rig.h.session->IsPortOpen(), c.searchGoesOn);

        rig.stopping = false;
        rig.playWindow = false;
        if (c.searchGoesOn) {
            EXPECT_TRUE(rig.h.State().searching);
            // The stop taken back, the disconnect the operator asked for runs.
            EXPECT_TRUE(rig.h.session->OnCommand(cmd::kDisconnect));
            EXPECT_FALSE(rig.h.State().searching);
            EXPECT_FALSE(rig.h.shell.progressShown);
        }
        EXPECT_FALSE(rig.h.session->IsPortOpen());
        ASSERT_NE(rig.line, nullptr);
        EXPECT_FALSE(rig.line->DtrRaised());
        EXPECT_FALSE(rig.h.State().connected);
        EXPECT_EQ(rig.h.shell.linkIndicator, "Нет связи");
        EXPECT_FALSE(rig.h.session->QueryCommand(cmd::kDisconnect).enabled);
        rig.h.Tick();
        EXPECT_EQ(rig.peer->requests.size(), sentBefore + 1);
        EXPECT_FALSE(rig.h.op.Shown(10029));
    }
}

}  // namespace
}  // namespace vg28
