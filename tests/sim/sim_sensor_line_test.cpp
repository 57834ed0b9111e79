#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimInstrument.h"
#include "platform/FakeClock.h"
#include "platform/TextCase.h"
#include "protocol/SensorDescription.h"

namespace vg28 {
namespace {

// Guards against the simulator's sensor line, built on its own as a second reading of the
// format, and the terminal's sensor request drifting apart (a field moved, a number written
// otherwise, a method named otherwise): apart from letter case the two lines are the same.
TEST(Simulator, SensorLineHasTheFieldsOfTheRequest) {
    FakeClock clock({2011, 1, 18, 15, 30, 0});
    sim::SimInstrumentConfig config;
    for (int n = 1; n <= 3; ++n)
        config.sensors.push_back(sim::SimInstrument::DefaultSensor(n));
    config.sensors[1].method = kMethodComp;
    config.sensors[2].method = kMethodAvg;
    config.sensors[2].coefficients[3] = -1.25e-7;
    sim::SimInstrument instrument(config, clock);
    for (int n : {1, 2, 3, 9, 40}) {  // STD, COMP, AVG, a default sensor, "Plug and Play"
        SCOPED_TRACE(n);
        const sim::SimSensor& s = instrument.Sensor(n);
        SensorDescription d;
        d.id = s.id;
        d.description = s.description;
        d.units = s.units;
        d.precision = s.precision;
        d.minimum = s.minimum;
        d.maximum = s.maximum;
        d.method = s.method;
        d.maxOutput = s.maxOutput;
        for (int i = 0; i < 6; ++i)
            d.coefficients[i] = s.coefficients[i];
        std::string request;
        ASSERT_TRUE(FormatSensorRequest(n, d, request));
        const std::vector<sim::SimOutput> reply = instrument.Handle("sensor;" + std::to_string(n));
        ASSERT_EQ(reply.size(), 1u);
        EXPECT_EQ(TextCase::UpperAscii(reply[0].line), TextCase::UpperAscii(request));
    }
}

}  // namespace
}  // namespace vg28
