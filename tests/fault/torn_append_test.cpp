#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "project/ProjectBuilders.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

// Guards against a record append cut short (power lost mid-write) costing or corrupting
// records: at every cut of the next record's image the project loads with exactly its whole
// records, byte for byte, and the next append lands right behind them.
TEST(TornWrites, EveryCutOfTheNextAppend) {
    for (const int existing : {0, 1, 3}) {
        TestProject fixture;
        CProjectDoc& doc = *fixture.doc;
        const std::string path = fixture.folder.File("p.phj");
        std::vector<MeasurementRecord> records;
        for (int i = 0; i < existing; ++i)
            records.push_back(MakeRecord(2011, 1, 18, 9 + i, 0, 0, i + 1));
        const std::string base = ProjectFileBytes(doc.setup, records);
        const std::string torn = BytesOf(MakeRecord(2011, 1, 18, 14, 0, 0, 9));

        for (std::size_t cut = 0; cut <= torn.size(); ++cut) {
            SCOPED_TRACE("records " + std::to_string(existing) + ", cut at " + std::to_string(cut));
            fixture.folder.WriteFile("p.phj", base + torn.substr(0, cut));
            const bool whole = cut == torn.size();

            ASSERT_EQ(doc.LoadProject(path), kFileOk);
            std::string expected = base.substr(5952) + (whole ? torn : std::string());
            ASSERT_EQ(doc.records.size() * 832, expected.size());
            if (!expected.empty()) {
                ASSERT_EQ(std::memcmp(doc.records.data(), expected.data(), expected.size()), 0);
            }

            int added = 0;
            ASSERT_TRUE(doc.AddRecordLine("2011-01-18 15:00:00;S1;4.5;F:KWS;1", added));
            expected += BytesOf(doc.records.back());
            const std::string file = fixture.folder.ReadFile("p.phj");
            ASSERT_EQ(file.size(), 5952 + expected.size());
            ASSERT_EQ(file.substr(0, 5952), base.substr(0, 5952));
            ASSERT_EQ(file.substr(5952), expected);
        }
    }
}

}  // namespace
}  // namespace vg28::test
