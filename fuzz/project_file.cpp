// Fuzz target: the project file, both versions. The input is written to a file and loaded. A
// file that loads must survive the rest of its life: saved and loaded again it gives the same
// setup and records byte for byte, and one more record appended to the original file makes it
// load with exactly one record more.

#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "base/Profile.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"

namespace {

using namespace vg28;

bool SameRecords(std::vector<MeasurementRecord> a, std::vector<MeasurementRecord> b) {
    if (a.size() != b.size()) return false;
    std::sort(a.begin(), a.end(), CProjectDoc::RecordLess);
    std::sort(b.begin(), b.end(), CProjectDoc::RecordLess);
    return a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Profile profile(fuzz::ScratchFolder() + "vg28.ini");
    static SensorDatabase sensors;
    const std::string path = fuzz::WriteScratchFile("input.phj", fuzz::AsText(data, size));

    CProjectDoc doc(fuzz::ScratchFolder(), profile, sensors);
    if (doc.LoadProject(path) != kFileOk) {
        FUZZ_CHECK(doc.PathName().empty() && doc.records.empty());
        return 0;
    }
    FUZZ_CHECK(doc.PathName() == path);
    const std::size_t count = doc.records.size();
    FUZZ_CHECK(count == 0 || (std::memcmp(&doc.firstTime, &doc.records.front().time, 8) == 0 &&
                              std::memcmp(&doc.lastTime, &doc.records.back().time, 8) == 0));

    // Saved elsewhere and read back: nothing changes.
    const std::string copy = fuzz::ScratchFolder() + "copy.phj";
    doc.SetPathName(copy);
    FUZZ_CHECK(doc.SaveProject() == kFileOk);
    CProjectDoc again(fuzz::ScratchFolder(), profile, sensors);
    FUZZ_CHECK(again.LoadProject(copy) == kFileOk);
    FUZZ_CHECK(std::memcmp(&again.setup, &doc.setup, sizeof doc.setup) == 0);
    FUZZ_CHECK(SameRecords(again.records, doc.records));

    // One more record appended to the file as it was.
    doc.SetPathName(path);
    MeasurementRecord extra = count ? doc.records.back() : MeasurementRecord{};
    extra.values[0].value += 1.0;
    doc.records.push_back(extra);
    FUZZ_CHECK(doc.AppendLastRecord() == kFileOk);
    CProjectDoc grown(fuzz::ScratchFolder(), profile, sensors);
    FUZZ_CHECK(grown.LoadProject(path) == kFileOk);
    FUZZ_CHECK(grown.records.size() == count + 1);
    FUZZ_CHECK(SameRecords(grown.records, doc.records));
    return 0;
}
