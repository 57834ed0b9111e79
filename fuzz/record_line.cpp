// Fuzz target: the instrument's record lines, as downloaded records (ParseRecordLine) and as
// current readings (ParseCurrentReadings), with sensors on inputs S13 and S14 so that the
// polynomial conversion and the value marking run too.

#include <cmath>
#include <cstring>

#include "FuzzSupport.h"
#include "base/Profile.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"

namespace {

using namespace vg28;

SensorRecord Sensor(const char* id, int precision, double c1) {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.id, id);
    CopyText(record.type, id);
    record.precision = precision;
    record.coefficients[0] = 1.0;
    record.coefficients[1] = c1;
    record.coefficients[5] = 1e-3;
    record.minimum = 0.0;
    record.maximum = 100.0;
    return record;
}

struct Fixture {
    Profile profile;
    SensorDatabase sensors;
    CProjectDoc doc{fuzz::ScratchFolder(), profile, sensors};

    Fixture() {
        sensors.Append(Sensor("T 1", 2, 1.0));
        sensors.Append(Sensor("KWS/SMTE/BEC", 3, 2.0));
        sensors.Append(Sensor("KWS/SMTE/PEC", 1, -4.0));
        CopyText(doc.setup.sensorIds[0], "T 1");
        CopyText(doc.setup.sensorIds[12], "KWS/SMTE/BEC");
        CopyText(doc.setup.sensorIds[13], "KWS/SMTE/PEC");
        doc.SetPathName(fuzz::ScratchFolder() + "fuzz.phj");
    }
};

bool PlausibleTime(const TimeStamp& t) {
    return t.year >= 1980 && t.year <= 3000 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= 31 && t.hour <= 23 && t.minute <= 59 && t.second <= 59 && t.zero == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    const std::string_view text = fuzz::AsText(data, size);

    MeasurementRecord record{};
    int mode = -7;
    if (fixture.doc.ParseRecordLine(record, text, &mode)) {
        FUZZ_CHECK(PlausibleTime(record.time));
        FUZZ_CHECK(mode == -7 || (mode >= 0 && mode <= 3));
    } else {
        MeasurementRecord zero{};
        FUZZ_CHECK(std::memcmp(&record, &zero, sizeof record) == 0);
        FUZZ_CHECK(mode == -7);
    }

    fixture.doc.m_rCurState.deviceMode = 1;
    if (fixture.doc.ParseCurrentReadings(text)) {
        const int reported = fixture.doc.m_rCurState.reportedMode;
        FUZZ_CHECK(reported >= 0 && reported <= 3);
    }

    std::size_t cursor = 0;
    TimeStamp stamp{};
    if (CProjectDoc::ParseTimeStamp(text, cursor, stamp)) {
        FUZZ_CHECK(cursor <= text.size());
        FUZZ_CHECK(PlausibleTime(stamp));
    }
    return 0;
}
