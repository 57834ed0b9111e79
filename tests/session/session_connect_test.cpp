#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/LinePeer.h"
#include "link/SimulatedLine.h"
#include "platform/CivilTime.h"
#include "platform/FixedText.h"
#include "session/CommandIds.h"
#include "session/SessionHarness.h"

namespace vg28 {
namespace {

using test::HarnessOptions;
using test::SessionHarness;

HarnessOptions Options(const sim::SimNetworkConfig& network) {
    HarnessOptions options;
    options.network = network;
    return options;
}

// Guards against a search for an instrument that is switched off giving up early or late, or
// leaving the port open: exactly 60 failed ticks, then 10029 and a closed port.
TEST(SessionSearch, SwitchedOffEndsWithNoAnswerAfterSixtyTries) {
    sim::SimNetworkConfig network;
    network.instruments.clear();  // only the radio modem answers
    SessionHarness h(Options(network));
    h.session->Connect();
    ASSERT_TRUE(h.session->IsPortOpen());
    EXPECT_TRUE(h.State().searching);
    for (int tick = 1; tick < Session::kSearchLimit; ++tick) {
        h.Tick();
        ASSERT_FALSE(h.op.Shown(10029)) << "gave up at tick " << tick;
        ASSERT_TRUE(h.session->IsPortOpen());
    }
    EXPECT_EQ(h.shell.progressText, "Соединение с ");
    EXPECT_EQ(h.shell.progressRange, 60);
    h.Tick();
    EXPECT_EQ(h.op.Count(10029), 1);
    EXPECT_EQ(h.op.Messages().back().icon, MessageIcon::Error);
    EXPECT_FALSE(h.session->IsPortOpen());
    EXPECT_FALSE(h.State().connected);
    EXPECT_FALSE(h.shell.progressShown);
    EXPECT_EQ(h.shell.linkIndicator, "Нет связи");
    // Dialled at tries 0, 15, 30 and 45, pinged on all other ticks.
    EXPECT_EQ(h.RequestCount("+++"), 4);
    EXPECT_EQ(h.RequestCount("+"), 60);
    // Later ticks with the port closed do nothing.
    h.Tick();
    EXPECT_EQ(h.op.Count(10029), 1);
}

// Guards against an instrument that is still starting (INIT) being taken as found or making
// the search give up.
TEST(SessionSearch, InitKeepsTheSearchGoingUntilTheInstrumentIsUp) {
    sim::SimNetworkConfig network = SessionHarness::OneInstrument(0);
    network.instruments[0].initMs = 400000;
    SessionHarness h(Options(network));
    h.NewProject();
    h.session->Connect();
    for (int i = 0; i < 120; ++i)
        h.Tick();
    EXPECT_FALSE(h.op.Shown(10029));
    EXPECT_TRUE(h.State().searching);
    EXPECT_FALSE(h.State().connected);
    EXPECT_TRUE(h.session->IsPortOpen());
    EXPECT_GE(h.TickUntil([&] { return h.Idle(); }, 400), 0);
    EXPECT_FALSE(h.op.Shown(10029));
    EXPECT_EQ(h.State().deviceMode, 1);
}

// Guards against identification trusting the wrong instrument, hiding newer firmware, or
// mixing up the two info entries.
TEST(SessionIdentify, ModelAndFirmwareChecks) {
    struct Case {
        const char* name;
        std::string model;
        std::uint32_t firmware;
        bool connectedAfter;
        bool wrongModel;
        bool newer;
    } cases[] = {
        {"ours", "VG-28", 0x01000205, true, false, false},
        {"newer firmware", "VG-28", 0x01000300, true, false, true},
        {"wrong model", "VX-99", 0x01000205, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimNetworkConfig network = SessionHarness::OneInstrument(3);
        network.instruments[0].model = c.model;
        network.instruments[0].firmware = c.firmware;
        SessionHarness h(Options(network));
        h.NewProject();
        h.session->Connect();
        h.TickUntil([&] { return h.Idle() || !h.session->IsPortOpen(); }, 20);
        EXPECT_EQ(h.State().connected, c.connectedAfter);
        EXPECT_EQ(h.session->IsPortOpen(), c.connectedAfter);
        EXPECT_EQ(h.op.Shown(10065), c.wrongModel);
        EXPECT_EQ(h.op.Shown(10068), c.newer);
        if (c.connectedAfter) {
            EXPECT_EQ(std::string(TextOf(h.State().deviceId)), "VG28-00115");
            EXPECT_EQ(h.State().firmwareVersion, c.firmware);
            EXPECT_EQ(std::string(TextOf(h.State().moduleId)), "KWS-00042");
            EXPECT_EQ(h.State().moduleVersion, 0x01020003u);
            EXPECT_EQ(h.shell.synchronizations, 1);
        } else {
            EXPECT_EQ(h.shell.synchronizations, 0);
            EXPECT_EQ(h.State().firmwareVersion, 0u);
        }
    }
}

// Guards against the clock check asking at the wrong difference, not setting an invalid clock,
// or not handing the Em50 logger the forced or unforced clock check.
TEST(SessionIdentify, ClockDifferences) {
    struct Case {
        const char* name;
        int instrumentAhead;  // seconds, instrument minus PC
        const char* broken;   // the instrument's clock reading when it lost its time
        Answer answer;
        bool asked;
        int offsetAfter;
        bool clockSet;
        std::vector<bool> em50Calls;  // the force argument of each Em50 clock call
    } cases[] = {
        {"59 s behind", -59, "", Answer::Yes, false, 59, false, {false}},
        {"59 s ahead", 59, "", Answer::Yes, false, -59, false, {false}},
        {"60 s behind, kept", -60, "", Answer::No, true, 60, false, {}},
        {"60 s ahead, set", 60, "", Answer::Yes, true, 0, true, {true}},
        {"year 1899", 0, "1899-12-31 23:59:59", Answer::No, false, 0, true, {true}},
        {"month 0", 0, "2011-00-18 15:30:00", Answer::No, false, 0, true, {true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HarnessOptions options = Options(SessionHarness::OneInstrument(3));
        options.em50 = true;
        options.network.instruments[0].clockOffset = c.instrumentAhead;
        options.network.instruments[0].brokenClock = c.broken;
        SessionHarness h(options);
        h.NewProject();
        h.op.AnswerWith(10030, c.answer);
        ASSERT_TRUE(h.ConnectAndSettle());
        EXPECT_EQ(h.op.Shown(10030), c.asked);
        EXPECT_EQ(h.State().clockOffset, c.offsetAfter);
        EXPECT_EQ(h.RequestCount("time;"), c.clockSet ? 1 : 0);
        EXPECT_EQ(h.em50.forced, c.em50Calls);
        if (c.clockSet) {
            EXPECT_EQ(h.Instrument().Now(), SecondsFromLocal(h.clock.Local()));
        }
    }
}

// Guards against F2 on a live connection reopening the port instead of identifying and
// synchronizing again on the open line.
TEST(SessionIdentify, ConnectWhileConnectedReidentifiesWithoutReopening) {
    SessionHarness h(Options(SessionHarness::OneInstrument(3)));
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    const int infos = h.RequestCount("info");
    EXPECT_TRUE(h.session->OnCommand(cmd::kConnect));
    EXPECT_EQ(h.State().step, 1);
    EXPECT_FALSE(h.State().searching);  // the last reply is recent
    h.Tick();
    EXPECT_EQ(h.RequestCount("info"), infos + 1);
    ASSERT_GE(h.TickUntil([&] { return h.Idle(); }, 5), 0);
    EXPECT_EQ(h.linesMade, 1);
    EXPECT_EQ(h.shell.synchronizations, 2);
}

// A far end that answers the ping and the mode question but nothing else sensibly.
class NonsensePeer final : public LinePeer {
public:
    explicit NonsensePeer(Clock& clock) : m_clock(clock) {}
    void Receive(std::string_view bytes) override {
        m_input.append(bytes);
        for (std::size_t cr; (cr = m_input.find('\r')) != std::string::npos;) {
            const std::string request = m_input.substr(0, cr);
            m_input.erase(0, cr + 1);
            std::string reply;
            if (request == "+") {
                reply = "OK\r";
            } else if (request == "mode") {
                reply = "MODE;MANUAL\r";
            } else {
                reply = "INFO;;\"\r" + std::string("\xFF;MONITOR;;\r");
            }
            m_out += reply;
            m_at = m_clock.MonotonicMs() + 20;
        }
    }
    std::optional<std::int64_t> NextByteAt() override {
        if (m_out.empty()) return std::nullopt;
        return m_at;
    }
    std::optional<unsigned char> TakeByte() override {
        if (m_out.empty() || m_at > m_clock.MonotonicMs()) return std::nullopt;
        const unsigned char byte = static_cast<unsigned char>(m_out.front());
        m_out.erase(0, 1);
        return byte;
    }
    void SetDtr(bool) override {}

private:
    Clock& m_clock;
    std::string m_input;
    std::string m_out;
    std::int64_t m_at = 0;
};

// Guards against an instrument that answers nonsense being identified, synchronized or
// reported as another model: its answers only count as failures.
TEST(SessionIdentify, NonsenseIsCountedNeverTrusted) {
    SessionHarness h;
    h.NewProject();
    auto peer = std::make_shared<NonsensePeer>(h.clock);
    h.session->SetLineFactory([&](const std::string& name) -> std::unique_ptr<SerialLine> {
        return std::make_unique<SimulatedLine>(h.clock, peer, name);
    });
    h.session->Connect();
    bool everConnected = false;
    bool searchedAgain = false;
    for (int i = 0; i < 200; ++i) {
        h.Tick();
        if (h.State().connected) everConnected = true;
        if (everConnected && h.State().searching) searchedAgain = true;
        ASSERT_LE(h.State().tries, 60);
    }
    EXPECT_TRUE(everConnected);  // the ping and mode answers are sound
    EXPECT_TRUE(searchedAgain);  // 32 failed identifications send it back to searching
    EXPECT_EQ(h.shell.synchronizations, 0);
    EXPECT_EQ(std::string(TextOf(h.State().deviceId)), "");
    EXPECT_FALSE(h.op.Shown(10065));
    EXPECT_FALSE(h.State().synchronized);
}

}  // namespace
}  // namespace vg28
