#include "graph/GraphScript.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/Ansi.h"
#include "support/GoldenFile.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

std::string Streamed(const GraphScript& script, std::size_t batch = 4096) {
    std::string text;
    EXPECT_TRUE(script.Print(
        [&text](std::string_view piece) {
            text += piece;
            return true;
        },
        batch));
    return text;
}

// Two temperatures (°C), a humidity (%), a sensor missing from the database and a PAR sensor
// whose units spell "micro"; one record of 1999 among them.
void AxesProject(TestProject& project) {
    project.AddSensor({"AT 1", Ansi("Воздух"),
                       "\xB0"
                       "C",
                       2, -40.0, 60.0});
    project.AddSensor({"LT 1", Ansi("Лист"),
                       "\xB0"
                       "C",
                       1, -40.0, 60.0});
    project.AddSensor({"RH 1", Ansi("Влажность"), "%", 1, 0.0, 100.0});
    project.AddSensor({"PAR 1", "PAR", "micromol/m2s", 0, 0.0, 2500.0});
    project.SetChannel(0, "AT 1");
    project.SetChannel(1, "LT 1");
    project.SetChannel(2, "RH 1");
    project.SetChannel(3, "X 9");
    project.SetChannel(4, "PAR 1");
    project.AddRecord(1999, 12, 31, 23, 30, 0, {{0, 99.0}, {1, 99.0}, {2, 99.0}});
    project.AddRecord(2011, 1, 18, 15, 30, 0,
                      {{0, 21.5}, {1, 20.3}, {2, 55.0}, {3, 1.5}, {4, 812}});
    project.AddRecord(2011, 1, 18, 16, 0, 0, {{0, 22.0}, {1, 20.5}, {2, 57.5}, {3, 2.0}, {4, 905}});
    project.doc->setup.period = 1800;
}

// Guards the whole script layout: element and attribute order, the printer's one-blank indent,
// axes by units (°C shared by S1 and S2, then %, "Unknown units" at precision 3, the micro sign),
// captions, colours, UTF-8 texts, times of local time as UTC, no points for the 1999 record.
TEST(GraphScriptTest, AxesByUnitsGolden) {
    TestProject project("Теплица");
    AxesProject(project);
    const GraphScript script(*project.doc, 0);
    ExpectMatchesGolden(Streamed(script), "graph/axes_by_units.xml");
}

// Guards the smoothing: 10 then 20 a minute later is drawn as about 16.75; a point more than an
// hour after the previous one is drawn as it is; with the comma separator in "v".
TEST(GraphScriptTest, SmoothingGolden) {
    TestProject project("smooth", ',');
    project.AddSensor({"AT 1", "Air", "C", 2, -40.0, 60.0});
    project.SetChannel(0, "AT 1");
    project.AddRecord(2011, 6, 1, 12, 0, 0, {{0, 10.0}});
    project.AddRecord(2011, 6, 1, 12, 1, 0, {{0, 20.0}});
    project.AddRecord(2011, 6, 1, 14, 1, 0, {{0, 30.0}});
    project.doc->setup.period = 60;
    ExpectMatchesGolden(Streamed(GraphScript(*project.doc, 1)), "graph/smoothing.xml");
    // Type 0 leaves the values as they are.
    const std::string plain = GraphScript(*project.doc, 0).PrintDocument();
    EXPECT_NE(plain.find("v=\"20,00\""), std::string::npos);
}

// Guards the soil probe rules: channel 13 never plotted; 12 and 14 only with a sensor on 11;
// their values only where "KWS" and "KWS-SMTE" are set and the substrate is not low.
TEST(GraphScriptTest, SoilProbeGolden) {
    TestProject project("probe");
    project.AddSensor({"KWS/SMTE/VWC C1", "VWC", "%", 1, 0.0, 100.0});
    project.AddSensor({"KWS/SMTE/BEC", "BEC", "dS/m", 2, 0.0, 20.0});
    project.AddSensor({"KWS/SMTE/PEC", "PEC", "dS/m", 2, 0.0, 20.0});
    project.AddSensor({"KWS/SMTE/ST", "ST",
                       "\xB0"
                       "C",
                       1, -40.0, 60.0});
    project.SetChannel(11, "KWS/SMTE/VWC C1");
    project.SetChannel(12, "KWS/SMTE/BEC");
    project.SetChannel(13, "KWS/SMTE/PEC");
    project.SetChannel(14, "KWS/SMTE/ST");
    project.AddRecord(2011, 1, 18, 15, 30, 0, {{11, 31.5}, {12, 1.25}, {13, 4.0}, {14, 12.5}});
    project.AddRecord(2011, 1, 18, 16, 0, 0, {{11, 0.0}, {12, 1.5}, {13, 4.0}, {14, 13.0}});
    project.AddRecord(2011, 1, 18, 16, 30, 0, {{11, 30.0}, {12, 1.5}, {13, 4.0}, {14, 13.5}})
        .status[kFlagKwsSmte] = 0;
    ExpectMatchesGolden(Streamed(GraphScript(*project.doc, 0)), "graph/soil_probe.xml");

    project.SetChannel(11, "");
    std::vector<int> plotted;
    const GraphScript withoutSubstrate(*project.doc, 0);
    for (const auto& sensor : withoutSubstrate.Sensors())
        plotted.push_back(sensor.channel);
    EXPECT_TRUE(plotted.empty()) << "12 and 14 need a sensor on 11";
}

struct AxisCase {
    const char* name;
    int precision;
    std::vector<double> values;
    const char* min;
    const char* max;
    const char* step;
};

// Guards the axis range rules: a flat axis is widened by two units of its precision, the step is
// a fifth of the range but at least one unit, limits keep "." whatever the locale; an axis
// without points spans 0 to 2 units.
TEST(GraphScriptTest, AxisRangesAndSteps) {
    const std::vector<AxisCase> cases = {
        {"flat_21_5", 1, {21.5, 21.5, 21.5}, "21.5", "21.7", "0.1"},
        {"wide", 2, {-5.0, 20.0}, "-5.00", "20.00", "5.00"},
        {"narrow", 0, {1.2, 1.7}, "1", "3", "1"},
        {"no_points", 3, {}, "0.000", "0.002", "0.001"},
    };
    for (const AxisCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestProject project("axis", ',');
        project.AddSensor({"S 1", "S", "u", c.precision, -100.0, 100.0});
        project.SetChannel(0, "S 1");
        int minute = 0;
        for (const double v : c.values)
            project.AddRecord(2011, 1, 18, 15, minute++, 0, {{0, v}});
        if (c.values.empty()) project.AddRecord(1999, 1, 1, 0, 0, 0, {{0, 5.0}});
        TiXmlDocument document;
        document.Parse(GraphScript(*project.doc, 0).PrintDocument().c_str());
        const TiXmlElement* axis = TiXmlHandle(&document)
                                       .FirstChild("Root")
                                       .FirstChild("report")
                                       .FirstChild("axes")
                                       .FirstChild("y-axis")
                                       .ToElement();
        ASSERT_NE(axis, nullptr);
        EXPECT_STREQ(axis->Attribute("dMin"), c.min);
        EXPECT_STREQ(axis->Attribute("dMax"), c.max);
        EXPECT_STREQ(axis->Attribute("dStep"), c.step);
    }
}

// Guards the plausibility of record times: a project whose records all lie in 1999 (or carry an
// impossible time) writes its sensors without any "d".
TEST(GraphScriptTest, ImplausibleRecordTimesGiveNoPoints) {
    TestProject project("old");
    project.AddSensor({"AT 1", "Air", "C", 2, -40.0, 60.0});
    project.SetChannel(0, "AT 1");
    project.AddRecord(1999, 5, 1, 10, 0, 0, {{0, 1.0}});
    project.AddRecord(1999, 5, 1, 11, 0, 0, {{0, 2.0}});
    project.AddRecord(2011, 13, 1, 11, 0, 0, {{0, 2.0}});
    project.AddRecord(2011, 1, 1, 24, 0, 0, {{0, 2.0}});
    const std::string text = GraphScript(*project.doc, 0).PrintDocument();
    EXPECT_EQ(text.find("<d "), std::string::npos);
    EXPECT_NE(text.find("<sensor dwID=\"1\""), std::string::npos);
    EXPECT_EQ(Streamed(GraphScript(*project.doc, 0)), text);
}

// Guards the memory-saving printer: for many points, any batch size, channels without points
// and a sensor missing from the database, its bytes are exactly those of the whole TinyXML tree.
TEST(GraphScriptTest, StreamedScriptEqualsTheTinyXmlTree) {
    TestProject project("big", ',');
    for (int s = 0; s < 6; ++s) {
        project.AddSensor(
            {"S " + std::to_string(s), "Sensor", s % 2 ? "%" : "mV", s % 4, 0.0, 9.0});
    }
    for (int k = 0; k < 25; ++k)
        project.SetChannel(k, "S " + std::to_string(k % 7));
    std::mt19937 random(28);
    std::uniform_real_distribution<double> value(-50.0, 50.0);
    for (int r = 0; r < 700; ++r) {
        MeasurementRecord& record = project.AddRecord(2011 + r / 400, 1 + r % 12, 1 + r % 28,
                                                      r % 24, r % 60, (r * 7) % 60, {});
        for (int k = 0; k < kChannelCount; ++k)
            record.values[k] = {value(random), k % 6, 0};
        record.status[kFlagKws] = r % 5 != 0;
        record.values[36].value = r % 3 == 0 ? 0.0 : 1.0;
    }
    for (const int type : {0, 1}) {
        const GraphScript script(*project.doc, type);
        const std::string whole = script.PrintDocument();
        for (const std::size_t batch : {1, 7, 100, 4096}) {
            EXPECT_EQ(Streamed(script, batch), whole) << "type " << type << " batch " << batch;
        }
    }
}

// Guards the script path: ".phj" in any letter case (a project copied from Windows) becomes
// "-ag.xml"; any other name gets "-ag.xml" appended, so the script can never overwrite the
// project file.
TEST(GraphScriptTest, ScriptPathNeverEqualsTheProjectPath) {
    EXPECT_EQ(GraphScript::ScriptPathFor("/p/20110118_1530.phj"), "/p/20110118_1530-ag.xml");
    EXPECT_EQ(GraphScript::ScriptPathFor("/p/a.phj.phj"), "/p/a.phj-ag.xml");
    EXPECT_EQ(GraphScript::ScriptPathFor("/p/project"), "/p/project-ag.xml");
    EXPECT_EQ(GraphScript::ScriptPathFor("/p/x.PHJ"), "/p/x-ag.xml");
    EXPECT_EQ(GraphScript::ScriptPathFor("/p/x.Phj"), "/p/x-ag.xml");
    EXPECT_EQ(GraphScript::ScriptPathFor("/p/x.phx"), "/p/x.phx-ag.xml");
}

// Guards the texts: 256 characters or more become empty; "micro" anywhere becomes the sign.
TEST(GraphScriptTest, TextConversionRules) {
    EXPECT_EQ(GraphScript::ScriptText(std::string(255, '\xE0')).size(), 510u);
    EXPECT_EQ(GraphScript::ScriptText(std::string(256, 'a')), "");
    SensorRecord sensor{};
    std::memcpy(sensor.units, "micromicro", 10);
    EXPECT_EQ(GraphScript::UnitsText(&sensor), "\xC2\xB5\xC2\xB5");
    EXPECT_EQ(GraphScript::UnitsText(nullptr), "Unknown units");
}

// Guards the result codes and the file: 1 without a path, 4 without records (nothing written),
// 3 when the file cannot be made, 0 with the streamed bytes beside the project, replacing the
// old script.
TEST(GraphScriptTest, WriteGraphScriptCodesAndFile) {
    TestProject unnamed("");
    EXPECT_EQ(WriteGraphScript(*unnamed.doc, 0), 1);

    TestProject project("demo");
    project.AddSensor({"AT 1", "Air", "C", 2, -40.0, 60.0});
    project.SetChannel(0, "AT 1");
    EXPECT_EQ(WriteGraphScript(*project.doc, 0), 4);
    EXPECT_FALSE(project.folder.Exists("demo-ag.xml"));

    project.AddRecord(2011, 1, 18, 15, 30, 0, {{0, 21.5}});
    project.folder.WriteFile("demo-ag.xml", "old script");
    EXPECT_EQ(WriteGraphScript(*project.doc, 1), 0);
    EXPECT_EQ(project.folder.ReadFile("demo-ag.xml"), GraphScript(*project.doc, 1).PrintDocument());
    EXPECT_EQ(project.folder.Files(), std::vector<std::string>{"demo-ag.xml"});

    project.doc->SetPathName(project.folder.File("missing/demo.phj"));
    EXPECT_EQ(WriteGraphScript(*project.doc, 0), 3);
}

}  // namespace
}  // namespace vg28::test
