// Fuzz target: the sensor database file "sensors.dat". The input is written to a file and
// loaded; a database that loads is saved and loaded again and must give the same records,
// reserved areas included.

#include <cstring>

#include "FuzzSupport.h"
#include "platform/FixedText.h"
#include "sensors/SensorDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vg28;
    const std::string path = fuzz::WriteScratchFile("sensors.dat", fuzz::AsText(data, size));
    SensorDatabase database;
    const bool loaded = database.Load(path);
    FUZZ_CHECK(database.Count() <= size / (kSensorFirstBlock + kSensorSecondBlock));
    if (!loaded) return 0;

    const std::string copy = fuzz::ScratchFolder() + "copy.dat";
    FUZZ_CHECK(database.Save(copy));
    SensorDatabase again;
    FUZZ_CHECK(again.Load(copy));
    FUZZ_CHECK(again.Count() == database.Count());
    FUZZ_CHECK(std::memcmp(again.Records().data(), database.Records().data(),
                           database.Count() * sizeof(SensorRecord)) == 0);
    for (std::size_t i = 0; i < database.Count(); ++i) {
        const SensorRecord* found = again.FindById(TextOf(database.At(i).id));
        FUZZ_CHECK(found && static_cast<std::size_t>(found - again.Records().data()) <= i);
    }
    return 0;
}
