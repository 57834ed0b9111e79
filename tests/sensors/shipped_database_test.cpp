#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FixedText.h"
#include "sensors/SensorCatalogue.h"
#include "sensors/SensorDatabase.h"
#include "sensors/SensorFormat.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

const std::string kShippedDatabase = std::string(VG28_PROGRAM_DIR) + "/sensors.dat";
const std::string kGenerator = std::string(VG28_PROGRAM_DIR) + "/vg28-mkcat";

std::string CatalogueSourcePath() {
    return (std::filesystem::path(VG28_TEST_DATA_DIR).parent_path().parent_path() / "resources" /
            "sensors-catalogue.txt")
        .string();
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsTemplate(std::string_view id) {
    return id.find("Sample") != std::string_view::npos;
}

// IDs that the other parts of the program set on their own and look up in the database.
bool IsBuiltIn(std::string_view id) {
    return StartsWith(id, "KWS/") || StartsWith(id, "CV/") || StartsWith(id, "Em50/");
}

class ShippedDatabase : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_database.Load(kShippedDatabase)) << kShippedDatabase; }
    SensorDatabase m_database;
};

// Guards against a shipped database that lacks a sensor the program assigns by itself: the
// module, the soil probe, the calculated values and every Em50 port channel.
TEST_F(ShippedDatabase, HoldsEverySensorTheProgramAssigns) {
    const char* required[] = {
        "KWS/R PAR",   "KWS/AT",     "KWS/RH",   "KWS/SMTE/BEC", "KWS/SMTE/PEC",
        "KWS/SMTE/ST", "CV/VPD",     "CV/DP",    "Em50/RH",      "Em50/AT",
        "Em50/WD",     "Em50/WG",    "Em50/WA",  "Em50/Prec",    "Em50/Prec D",
        "Em50/LWS S",  "Em50/LWS H", "Em50/LWS", "Em50/PYR",     "Em50/BATT",
    };
    for (const char* id : required) {
        const SensorRecord* record = m_database.FindById(id);
        ASSERT_NE(record, nullptr) << id;
        if (StartsWith(id, "Em50/")) {
            EXPECT_TRUE(StartsWith(TextOf(record->type), "Em50/")) << id;
        }
        EXPECT_EQ(ShortLabel(9, id), StartsWith(id, "KWS/SMTE") ? "SMTE"
                                     : StartsWith(id, "KWS/")   ? "KWS"
                                     : StartsWith(id, "CV/")    ? "CV"
                                                                : "Em50")
            << id;
    }
}

// Guards against a substrate list that offers nothing, and against soil-probe entries that the
// substrate choice cannot find (it wants "KWS/SMTE", "/VWC " and, for its label, "/VWC C").
TEST_F(ShippedDatabase, OffersSubstratesForTheSoilProbe) {
    int substrates = 0;
    for (const SensorRecord& record : m_database.Records()) {
        const std::string_view id = TextOf(record.id);
        if (IsTemplate(id) || id.find("KWS/SMTE") == std::string_view::npos ||
            id.find("/VWC ") == std::string_view::npos)
            continue;
        ++substrates;
        EXPECT_NE(id.find("/VWC C"), std::string_view::npos) << id;
        EXPECT_FALSE(TextOf(record.description).empty()) << id;
    }
    EXPECT_GE(substrates, 1);
}

// Guards against a catalogue without choices for the inputs, or with types whose new sensors
// the editor cannot fill from a template.
TEST_F(ShippedDatabase, EveryOrdinaryTypeHasItsTemplate) {
    std::set<std::string> ordinaryTypes;
    std::set<std::string> templates;
    int ordinary = 0;
    for (const SensorRecord& record : m_database.Records()) {
        const std::string_view id = TextOf(record.id);
        const std::string type(TextOf(record.type));
        if (IsTemplate(id)) {
            EXPECT_EQ(id, " Sample " + type);
            templates.insert(type);
        } else if (!IsBuiltIn(id)) {
            ++ordinary;
            ordinaryTypes.insert(type);
        }
    }
    EXPECT_GE(ordinary, 12);
    for (const std::string& type : ordinaryTypes)
        EXPECT_EQ(templates.count(type), 1u) << type;
}

// Guards against entries that the program or the editor would treat as broken: duplicate or
// misformed IDs, ranges without width, conversions that give 0 for everything, output voltages
// the editor does not offer, and stale bytes in the reserved areas.
TEST_F(ShippedDatabase, EveryEntryIsWellFormed) {
    const std::set<double> offeredOutputs = {1.0, 2.5, 5.0, 10.0, 20.0};
    const auto& records = m_database.Records();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SensorRecord& record = records[i];
        const std::string id(TextOf(record.id));
        const std::string type(TextOf(record.type));
        ASSERT_FALSE(type.empty()) << id;
        EXPECT_TRUE(id == type || StartsWith(id, type + " ") || id == " Sample " + type) << id;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(SensorCatalogue::SameIdIgnoringCase(id, TextOf(records[j].id))) << id;
        EXPECT_FALSE(TextOf(record.units).empty()) << id;
        EXPECT_GE(record.precision, 0) << id;
        EXPECT_LE(record.precision, 5) << id;
        EXPECT_LT(record.minimum, record.maximum) << id;
        bool converts = false;
        for (int k = 1; k < 6; ++k)
            converts = converts || record.coefficients[k] != 0.0;
        EXPECT_TRUE(converts) << id;
        if (!IsBuiltIn(id)) {
            EXPECT_EQ(offeredOutputs.count(record.maxOutput), 1u) << id;
        }
        for (std::uint8_t byte : record.reserved1)
            ASSERT_EQ(byte, 0) << id;
        for (std::uint8_t byte : record.reserved2)
            ASSERT_EQ(byte, 0) << id;
    }
}

// Guards against a build that ships a stale database: it must hold exactly the catalogue.
TEST_F(ShippedDatabase, MatchesTheCatalogueSource) {
    const auto parsed = SensorCatalogue::Parse(ReadText(CatalogueSourcePath()));
    ASSERT_TRUE(parsed.Ok()) << parsed.errorLine << ": " << parsed.error;
    ASSERT_EQ(parsed.records.size(), m_database.Count());
    for (std::size_t i = 0; i < parsed.records.size(); ++i) {
        EXPECT_EQ(std::memcmp(&parsed.records[i], &m_database.At(i), sizeof(SensorRecord)), 0)
            << TextOf(parsed.records[i].id);
    }
}

struct RunResult {
    int status = -1;
    std::string errors;
};

RunResult RunGenerator(const test::TempFolder& folder, const std::string& arguments) {
    const std::string command =
        "'" + kGenerator + "' " + arguments + " >/dev/null 2>'" + folder.File("errors.txt") + "'";
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.errors = folder.ReadFile("errors.txt");
    return result;
}

// Guards against a generator that writes a database from a faulty catalogue, or whose error
// does not lead to the faulty line.
TEST(SensorCatalogueGenerator, RefusesFaultyCatalogues) {
    test::TempFolder folder;
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"unknown key", "id = T\ntype = T\ncolour = red\n", "cat.txt:3: error: unknown key"},
        {"empty catalogue", "# nothing here\n", "holds no sensor"},
    };
    for (const Case& c : cases) {
        folder.WriteFile("cat.txt", c.text);
        const RunResult run = RunGenerator(
            folder, "'" + folder.File("cat.txt") + "' '" + folder.File("sensors.dat") + "'");
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << c.name << ": " << run.errors;
        EXPECT_FALSE(folder.Exists("sensors.dat")) << c.name;
    }
    const RunResult missing = RunGenerator(
        folder, "'" + folder.File("none.txt") + "' '" + folder.File("sensors.dat") + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(RunGenerator(folder, "only-one-argument").status, 64);
}

// Guards against a dump that cannot be turned back into the same database.
TEST(SensorCatalogueGenerator, DumpBuildsTheSameDatabase) {
    test::TempFolder folder;
    ASSERT_EQ(
        RunGenerator(folder, "--dump '" + kShippedDatabase + "' '" + folder.File("dump.txt") + "'")
            .status,
        0);
    ASSERT_EQ(RunGenerator(folder,
                           "'" + folder.File("dump.txt") + "' '" + folder.File("sensors.dat") + "'")
                  .status,
              0);
    EXPECT_EQ(folder.ReadFile("sensors.dat"), ReadText(kShippedDatabase));
}

}  // namespace
}  // namespace vg28
