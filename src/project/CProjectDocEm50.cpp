// The Em50 logger readings of CProjectDoc: finding the record of a reading's minute or its
// predecessor, and merging a reading with its derived values (interval amounts, daily
// precipitation, vapour pressure deficit, dew point) into the records.

#include <cmath>
#include <cstdlib>

#include "base/DebugLog.h"
#include "platform/CivilTime.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"

namespace vg28 {

namespace {

// Seconds from 1970-01-01 to 2000-01-01, the logger's epoch.
constexpr std::int64_t kEm50Epoch = 946684800;

// Channels of the logger's values that get special treatment (value index + 17).
constexpr int kAirTemperature = 1;
constexpr int kHumidity = 2;
constexpr int kDailyPrecipitation = 11;
constexpr int kIntervalChannel = kFirstEm50Channel + 10;  // interval precipitation
constexpr double kTiny = 0.001;

bool IsIntervalIndex(int k) {
    return k == 10 || k == 13 || k == 16;
}

}  // namespace

int CProjectDoc::FindRecord(std::uint32_t dateWord, std::uint32_t timeWord, int mode) const {
    const TimeStamp given = TimeStamp::FromWords(dateWord, timeWord);
    int found = -1;
    if (mode == kFindExact) {
        for (std::size_t i = records.size(); i-- > 0;) {
            const TimeStamp& t = records[i].time;
            if (t.DateWord() == dateWord && t.hour == given.hour && t.minute == given.minute) {
                found = static_cast<int>(i);
                break;
            }
        }
    } else {
        const std::int64_t seconds = given.Seconds();
        for (std::size_t i = records.size(); i-- > 0;) {
            if (seconds - records[i].time.Seconds() > 59) {
                found = static_cast<int>(i);
                break;
            }
        }
    }
    const TimeStamp& shown = found >= 0 ? records[static_cast<std::size_t>(found)].time : given;
    DebugLog("FindRec-%d:%d %04d-%02d-%02d %02d:%02d", mode == kFindExact ? 0 : 1, found,
             shown.year, shown.month, shown.day, shown.hour, shown.minute);
    return found;
}

int CProjectDoc::AddEm50Data(std::uint32_t time,
                             const std::array<double, kEm50ValueCount>& values) {
    const TimeStamp stamp = TimeStamp::FromSeconds(static_cast<std::int64_t>(time) + kEm50Epoch);
    DebugLog("AddEm50Data:Time = %04d-%02d-%02d %02d:%02d:%02d", stamp.year, stamp.month, stamp.day,
             stamp.hour, stamp.minute, stamp.second);

    const int found = FindRecord(stamp.DateWord(), stamp.TimeWord(), kFindExact);
    const bool isNew = found < 0;
    MeasurementRecord fresh{};
    MeasurementRecord* target = &fresh;
    const MeasurementRecord* predecessor = nullptr;
    if (isNew) {
        DebugLog("AddEm50Data:New record");
        fresh.time = stamp;
        const int p = FindRecord(stamp.DateWord(), stamp.TimeWord(), kFindPredecessor);
        if (p >= 0) predecessor = &records[static_cast<std::size_t>(p)];
    } else {
        DebugLog("AddEm50Data:Record is found");
        target = &records[static_cast<std::size_t>(found)];
        if (found > 0) predecessor = &records[static_cast<std::size_t>(found - 1)];
    }
    // A record without logger data (battery channel at zero) carries no counters.
    if (predecessor && predecessor->values[kLastEm50Channel].value < kTiny) predecessor = nullptr;

    for (int k = 0; k < kEm50ValueCount; ++k) {
        const double v = values[static_cast<std::size_t>(k)];
        double r = v;
        if (k == kHumidity) {
            if (v > kTiny) {
                const double t = values[kAirTemperature];
                const double a = 17.62 * t / (t + 243.12);
                target->values[kVpdChannel].value = 0.006112 * std::exp(a) * (100.0 - v);
                const double b = a + std::log(v / 100.0);
                target->values[kDewPointChannel].value = 243.12 * b / (17.62 - b);
            }
        } else if (IsIntervalIndex(k)) {
            if (predecessor) {
                const double counter = values[static_cast<std::size_t>(k - 1)];
                const double d = counter - predecessor->values[16 + k].value;
                r = std::fabs(d) < kTiny ? 0.0 : d < -kTiny ? counter : d;
            }
        } else if (k == kDailyPrecipitation) {
            r = isNew ? target->values[kIntervalChannel].value : 0.0;
            const std::uint32_t date = target->time.DateWord();
            bool inDay = false;
            for (std::size_t i = records.size(); i-- > 0;) {
                if (records[i].time.DateWord() == date) {
                    r += records[i].values[kIntervalChannel].value;
                    inDay = true;
                } else if (inDay) {
                    break;
                }
            }
        }
        const int channel = kFirstEm50Channel + k;
        target->values[channel].value = r;
        DebugLog("AddEm50Data:Sensor[%s] = %.2f",
                 std::string(TextOf(setup.sensorIds[channel])).c_str(), r);
    }

    if (isNew) {
        MarkRecord(fresh);
        records.push_back(fresh);
        AppendLastRecord();
        SortRecords();
        UpdateFirstAndLast();
    }
    return 1;
}

}  // namespace vg28
