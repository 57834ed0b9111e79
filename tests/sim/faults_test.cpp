#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "SimFaults.h"
#include "sim/SimRig.h"

namespace vg28 {
namespace {

using sim::FaultKind;
using test::SimRig;

sim::SimNetworkConfig Named(const char* name) {
    sim::SimNetworkConfig config;
    config.instruments[0].name = name;
    return config;
}

// Guards against line faults that the retries should survive breaking an exchange, and
// against faults that must fail an exchange being taken as success. Each row forces one fault
// on the first reply and runs one operation.
TEST(SimulatorFaults, EachFaultAgainstTheDisciplines) {
    struct Case {
        const char* name;
        FaultKind fault;
        const char* address;
        std::function<bool(InstrumentCommands&)> operation;
        bool ok;
        std::size_t requests;  // requests the instrument received
    } cases[] = {
        {"noise, query", FaultKind::Noise, "",
         [](InstrumentCommands& c) {
             int m;
             return c.QueryMode(m) && m == 2;
         },
         true, 1},
        // The repeat goes out in upper case; the instrument's echo of it, identical to the
        // request, answers it on a line without local echo.
        {"noise, echo x2", FaultKind::Noise, "", [](InstrumentCommands& c) { return c.SetMode(3); },
         true, 2},
        {"garbage, echo", FaultKind::Garbage, "",
         [](InstrumentCommands& c) { return c.SetMode(3); }, true, 1},
        {"noise, addressed echo", FaultKind::Noise, "A",
         [](InstrumentCommands& c) { return c.SetMode(3); }, true, 1},
        {"noise, single echo", FaultKind::Noise, "",
         [](InstrumentCommands& c) { return c.SetPeriod(0, 900); }, false, 1},
        {"lost, Q3", FaultKind::Lost, "",
         [](InstrumentCommands& c) {
             int m;
             return c.QueryMode(m);
         },
         true, 2},
        {"lost, Q1", FaultKind::Lost, "", [](InstrumentCommands& c) { return c.ModemPing(); },
         false, 1},
        {"lost, echo x2", FaultKind::Lost, "", [](InstrumentCommands& c) { return c.SetMode(1); },
         true, 2},
        {"late, Q3", FaultKind::Late, "",
         [](InstrumentCommands& c) {
             SystemTime t;
             return c.QueryClock(t);
         },
         true, 2},
        {"late, Q1", FaultKind::Late, "", [](InstrumentCommands& c) { return c.ModemPing(); },
         false, 1},
        {"echo, query", FaultKind::Echo, "",
         [](InstrumentCommands& c) {
             int m;
             return c.QueryMode(m) && m == 2;
         },
         true, 1},
        {"echo, setting", FaultKind::Echo, "",
         [](InstrumentCommands& c) { return c.SetPeriod(0, 900); }, true, 1},
        {"echo, addressed", FaultKind::Echo, "A",
         [](InstrumentCommands& c) {
             std::string i;
             return c.QueryInfo(i);
         },
         true, 1},
        {"foreign, addressed Q3", FaultKind::Foreign, "A",
         [](InstrumentCommands& c) {
             int m;
             return c.QueryMode(m);
         },
         true, 1},
        {"foreign, addressed Q1", FaultKind::Foreign, "A",
         [](InstrumentCommands& c) { return c.ModemPing(); }, true, 1},
        {"garbage, direct query", FaultKind::Garbage, "",
         [](InstrumentCommands& c) {
             int m;
             return c.QueryMode(m);
         },
         false, 1},
        {"garbage, addressed query", FaultKind::Garbage, "A",
         [](InstrumentCommands& c) {
             int m;
             return c.QueryMode(m);
         },
         true, 1},
    };
    for (const Case& c : cases) {
        SimRig rig(*c.address ? Named(c.address) : sim::SimNetworkConfig{}, false, c.address);
        rig.network->Faults().Force(c.fault);
        EXPECT_EQ(c.operation(rig.commands), c.ok) << c.name;
        EXPECT_EQ(rig.RequestCount(), c.requests) << c.name;
        EXPECT_EQ(rig.network->Faults().Injected(c.fault), 1) << c.name;
    }
}

// Guards against the repeat of a setting (sent in upper case, so that the instrument's echo is
// the request itself) being thrown away as a local echo on a line without one, and against the
// line's own echo of the repeat being taken for the instrument's answer on a line with one.
TEST(SimulatorFaults, RepeatOfASettingWithAndWithoutLocalEcho) {
    struct Case {
        const char* name;
        bool localEcho;
        std::vector<FaultKind> faults;  // forced on the instrument's replies, in order
        bool ok;
    } cases[] = {
        {"no local echo, first answer noisy", false, {FaultKind::Noise}, true},
        {"no local echo, first answer lost", false, {FaultKind::Lost}, true},
        {"no local echo, both answers lost", false, {FaultKind::Lost, FaultKind::Lost}, false},
        {"local echo, no fault", true, {}, true},
        {"local echo, first answer noisy", true, {FaultKind::Noise}, true},
        {"local echo, first answer lost", true, {FaultKind::Lost}, true},
        {"local echo, both answers noisy", true, {FaultKind::Noise, FaultKind::Noise}, false},
        {"local echo, both answers lost", true, {FaultKind::Lost, FaultKind::Lost}, false},
    };
    for (const Case& c : cases) {
        sim::SimNetworkConfig config;
        config.localEcho = c.localEcho;
        SimRig rig(config);
        for (FaultKind fault : c.faults)
            rig.network->Faults().Force(fault);
        EXPECT_EQ(rig.commands.SetMode(3), c.ok) << c.name;
        EXPECT_EQ(rig.RequestCount(), c.faults.empty() ? 1u : 2u) << c.name;
        EXPECT_EQ(rig.link.LocalEchoSeen(), c.localEcho) << c.name;
        // The line is in step afterwards: the next query reads its own answer.
        int mode = -1;
        EXPECT_TRUE(rig.commands.QueryMode(mode)) << c.name;
        EXPECT_EQ(mode, 3) << c.name;
    }
}

// Guards against a late reply being read as the answer to the next request, which would keep
// the line out of step.
TEST(SimulatorFaults, LateReplyIsNotTakenForTheNextAnswer) {
    SimRig rig;
    rig.network->Faults().Force(FaultKind::Late);
    SystemTime t;
    ASSERT_TRUE(rig.commands.QueryClock(t));
    // The late TIME reply and the retry's reply have both arrived: neither answers this.
    int mode = -1;
    ASSERT_TRUE(rig.commands.QueryMode(mode));
    EXPECT_EQ(mode, 2);
    std::string line;
    EXPECT_FALSE(rig.commands.ReadLine(line));
}

// Guards against a garbage line on a direct cable leaving the line out of step.
TEST(SimulatorFaults, GarbageLineCostsOneExchange) {
    SimRig rig;
    rig.network->Faults().Force(FaultKind::Garbage);
    int mode = -1;
    EXPECT_FALSE(rig.commands.QueryMode(mode));
    ASSERT_TRUE(rig.commands.QueryMode(mode));
    EXPECT_EQ(mode, 2);
    std::string line;
    EXPECT_FALSE(rig.commands.ReadLine(line));  // nothing left over
}

// Guards against another instrument's line ending the wait for our reply (a needless retry
// whose second reply is left unread).
TEST(SimulatorFaults, ForeignLineDoesNotEndTheWaitForOurs) {
    SimRig rig(Named("A"), false, "A");
    rig.network->Faults().Force(FaultKind::Foreign);
    int mode = -1;
    ASSERT_TRUE(rig.commands.QueryMode(mode));
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(rig.network->Requests().size(), 1u);  // answered without a retry
    std::string line;
    EXPECT_FALSE(rig.commands.ReadLine(line));
}

// Guards against fault injection that is not reproducible from its seed.
TEST(SimulatorFaults, SeededRatesAreDeterministic) {
    auto run = [](std::uint32_t seed) {
        sim::SimNetworkConfig config;
        config.faultSeed = seed;
        config.faults.perMille = {100, 100, 50, 100, 0, 100};
        SimRig rig(config);
        std::string outcome;
        for (int i = 0; i < 40; ++i) {
            int mode = -1;
            outcome += rig.commands.QueryMode(mode) ? '1' : '0';
        }
        for (int k = 0; k < sim::kFaultKindCount; ++k) {
            outcome +=
                ";" + std::to_string(rig.network->Faults().Injected(static_cast<FaultKind>(k)));
        }
        return outcome;
    };
    const std::string first = run(11);
    EXPECT_EQ(first, run(11));
    EXPECT_NE(first, run(12));
    // Nearly half the replies carry a fault, yet most queries get through.
    EXPECT_GT(std::count(first.begin(), first.begin() + 40, '1'), 25);
}

// Guards against noise and garbage lines that would not exercise the link: they must hold
// NULs or bytes above 127 and never a line end inside.
TEST(SimulatorFaults, NoiseAndGarbageBytes) {
    sim::SimFaults faults(3);
    bool high = false, nul = false;
    for (int i = 0; i < 200; ++i) {
        const std::string noise = faults.NoiseBytes();
        EXPECT_EQ(noise.find_first_of("\r\n;:"), std::string::npos);
        const std::string garbage = faults.GarbageLine();
        EXPECT_EQ(garbage.back(), '\r');
        EXPECT_EQ(garbage.substr(0, garbage.size() - 1).find_first_of("\r\n"), std::string::npos);
        for (char c : noise + garbage) {
            high |= static_cast<unsigned char>(c) > 127;
            nul |= c == '\0';
        }
    }
    EXPECT_TRUE(high);
    EXPECT_TRUE(nul);
}

}  // namespace
}  // namespace vg28
