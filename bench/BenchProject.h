#pragma once
// A project of many records with 20 plotted channels (S1-S13 and S15-S21; S14 is never
// plotted), in a temporary program folder, for the benchmarks of the export, the graph script
// and the graph viewer. The values repeat every 100 records; the record period is 10 minutes.

#include <memory>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "base/Profile.h"
#include "platform/CivilTime.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"

namespace vg28::bench {

inline constexpr int kPlottedChannels[20] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                             10, 11, 12, 14, 15, 16, 17, 18, 19, 20};

class BenchProject {
public:
    // Sensor i has the units units[i % units.size()] (stored texts) and 1 + i % 3 decimals.
    BenchProject(int recordCount, const std::vector<std::string>& units) {
        profile.SetPath(folder.Path() + "bench.ini");
        for (int i = 0; i < 20; ++i) {
            SensorRecord sensor = EmptySensorRecord();
            CopyText(sensor.id, "Sensor " + std::to_string(i));
            CopyText(sensor.description, "Bench sensor");
            CopyText(sensor.units, units[static_cast<std::size_t>(i) % units.size()]);
            sensor.precision = 1 + i % 3;
            sensor.minimum = -1000.0;
            sensor.maximum = 1000.0;
            sensors.Append(sensor);
        }
        doc = std::make_unique<CProjectDoc>(folder.Path(), profile, sensors);
        doc->ResetProject();
        for (int i = 0; i < 20; ++i)
            CopyText(doc->setup.sensorIds[kPlottedChannels[i]], "Sensor " + std::to_string(i));
        doc->SetPathName(doc->ProjectFilePath("bench"));
        doc->records.reserve(static_cast<std::size_t>(recordCount));
        MeasurementRecord record{};
        record.status[kFlagKws] = 1;
        record.status[kFlagKwsSmte] = 1;
        record.status[kFlagKwsSht] = 1;
        record.values[36].value = 1.0;
        for (int r = 0; r < recordCount; ++r) {
            const LocalTime local = LocalFromSeconds(1295364600 + std::int64_t{r} * 600);
            record.time = TimeStamp{};
            record.time.year = static_cast<std::uint16_t>(local.year);
            record.time.month = static_cast<std::uint8_t>(local.month);
            record.time.day = static_cast<std::uint8_t>(local.day);
            record.time.hour = static_cast<std::uint8_t>(local.hour);
            record.time.minute = static_cast<std::uint8_t>(local.minute);
            for (int i = 0; i < 20; ++i) {
                record.values[kPlottedChannels[i]] = {
                    20.0 + 10.0 * ((r * 7 + i * 13) % 100) / 100.0, 1 + i % 3, 0};
            }
            doc->InsertRecord(record);
        }
    }
    ~BenchProject() { doc.reset(); }

    BenchFolder folder;
    Profile profile;
    SensorDatabase sensors;
    std::unique_ptr<CProjectDoc> doc;
};

}  // namespace vg28::bench
