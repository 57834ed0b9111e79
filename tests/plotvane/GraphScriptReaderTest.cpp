#include "plotvane/core/GraphScriptReader.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "graph/GraphScript.h"
#include "support/Ansi.h"
#include "support/TempFolder.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

using plotvane::GraphScriptReader;
using plotvane::PlotScript;
using plotvane::ReadError;
using plotvane::ReadResult;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A project with two temperatures (°C, one axis), a humidity (%, a second axis) and a channel
// whose sensor is missing from the database; records over a day, one with an invalid value.
void TwoAxesProject(TestProject& project) {
    project.AddSensor({"AT 1", Ansi("Воздух"),
                       "\xB0"
                       "C",
                       2, -40.0, 60.0});
    project.AddSensor({"LT 1", Ansi("Лист"),
                       "\xB0"
                       "C",
                       1, -40.0, 60.0});
    project.AddSensor({"RH 1", Ansi("Влажность"), "%", 1, 0.0, 100.0});
    project.SetChannel(0, "AT 1");
    project.SetChannel(1, "LT 1");
    project.SetChannel(2, "RH 1");
    project.SetChannel(5, "X 9");
    for (int i = 0; i < 48; ++i) {
        project.AddRecord(2011, 1, 18, i / 2, (i % 2) * 30, 0,
                          {{0, 20.0 + std::sin(i / 5.0) * 3.0},
                           {1, 18.5 + i * 0.1},
                           {2, i == 7 ? 150.0 : 55.0 + (i % 9)},
                           {5, 1.25 * i}});
    }
    project.doc->setup.period = 1800;
}

std::string WrittenScript(TestProject& project, int type) {
    EXPECT_EQ(WriteGraphScript(*project.doc, type), kFileOk);
    return ReadAll(GraphScript::ScriptPathFor(project.doc->PathName()));
}

double Number(const char* text) {
    std::string plain = text ? text : "";
    const std::size_t comma = plain.find(',');
    if (comma != std::string::npos) plain[comma] = '.';
    return std::strtod(plain.c_str(), nullptr);
}

// Compares what the reader found with the same script loaded as one TinyXML tree.
void ExpectSameAsTree(const std::string& text, const PlotScript& script) {
    TiXmlDocument tree;
    tree.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    ASSERT_FALSE(tree.Error()) << tree.ErrorDesc();
    const TiXmlElement* report = tree.RootElement()->FirstChildElement("report");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(script.description, report->Attribute("szDescription"));
    EXPECT_EQ(script.start, std::atoll(report->Attribute("tStart")));
    EXPECT_EQ(script.end, std::atoll(report->Attribute("tEnd")));

    std::size_t a = 0;
    for (const TiXmlElement* axis = report->FirstChildElement("axes")->FirstChildElement("y-axis");
         axis; axis = axis->NextSiblingElement("y-axis"), ++a) {
        ASSERT_LT(a, script.axes.size());
        EXPECT_EQ(script.axes[a].id, std::atoi(axis->Attribute("dwID")));
        EXPECT_EQ(script.axes[a].name, axis->Attribute("szName"));
        EXPECT_TRUE(script.axes[a].hasRange);
        EXPECT_DOUBLE_EQ(script.axes[a].minimum, Number(axis->Attribute("dMin")));
        EXPECT_DOUBLE_EQ(script.axes[a].maximum, Number(axis->Attribute("dMax")));
        EXPECT_DOUBLE_EQ(script.axes[a].step, Number(axis->Attribute("dStep")));
    }
    EXPECT_EQ(a, script.axes.size());

    std::size_t g = 0;
    for (const TiXmlElement* group =
             report->FirstChildElement("sen-groups")->FirstChildElement("group");
         group; group = group->NextSiblingElement("group"), ++g) {
        ASSERT_LT(g, script.groups.size());
        EXPECT_EQ(script.groups[g].name, group->Attribute("name"));
        std::vector<int> ids;
        for (const TiXmlElement* sen = group->FirstChildElement("sen"); sen;
             sen = sen->NextSiblingElement("sen"))
            ids.push_back(std::atoi(sen->Attribute("dwID")));
        EXPECT_EQ(script.groups[g].sensorIds, ids);
    }
    EXPECT_EQ(g, script.groups.size());

    std::size_t s = 0;
    for (const TiXmlElement* sensor =
             report->FirstChildElement("sensors")->FirstChildElement("sensor");
         sensor; sensor = sensor->NextSiblingElement("sensor"), ++s) {
        ASSERT_LT(s, script.sensors.size());
        const plotvane::ScriptSensor& read = script.sensors[s];
        EXPECT_EQ(read.id, std::atoi(sensor->Attribute("dwID")));
        EXPECT_EQ(read.name, sensor->Attribute("szName"));
        EXPECT_EQ(read.axisId, std::atoi(sensor->Attribute("AxisID")));
        EXPECT_EQ(read.colour, std::strtoul(sensor->Attribute("dwClr"), nullptr, 10));
        EXPECT_EQ(read.thickness, std::atoi(sensor->Attribute("dwThk")));
        EXPECT_EQ(read.precision, std::atoi(sensor->Attribute("dwPrecision")));
        std::size_t p = 0;
        for (const TiXmlElement* d = sensor->FirstChildElement("d"); d;
             d = d->NextSiblingElement("d"), ++p) {
            ASSERT_LT(p, read.times.size());
            EXPECT_EQ(read.times[p], static_cast<double>(std::atoll(d->Attribute("t"))));
            EXPECT_DOUBLE_EQ(read.values[p], Number(d->Attribute("v")));
        }
        EXPECT_EQ(p, read.times.size());
    }
    EXPECT_EQ(s, script.sensors.size());
    EXPECT_EQ(script.issueCount, 0u);
    EXPECT_EQ(script.skippedPoints, 0u);
}

// Guards against the viewer reading the terminal's own scripts differently from a full XML
// parser: every axis, group, sensor and point, with "." and "," as decimal separator, plain
// and smoothed, and the stored golden scripts.
TEST(GraphScriptReaderTest, ReadsWhatTheWriterWrites) {
    struct Case {
        const char* name;
        char separator;
        int type;
    };
    for (const Case& c : {Case{"point", '.', 0}, Case{"comma", ',', 0}, Case{"smooth", ',', 1}}) {
        SCOPED_TRACE(c.name);
        TestProject project("Теплица", c.separator);
        TwoAxesProject(project);
        const std::string text = WrittenScript(project, c.type);
        const ReadResult result = GraphScriptReader(c.separator).ReadText(text);
        ASSERT_TRUE(result.Ok()) << result.detail;
        ASSERT_EQ(result.script.axes.size(), 3u);
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsTree(text, result.script));
        // The file itself reads the same as its text.
        const ReadResult file = GraphScriptReader(c.separator)
                                    .ReadFile(GraphScript::ScriptPathFor(project.doc->PathName()));
        ASSERT_TRUE(file.Ok());
        EXPECT_EQ(file.script.PointCount(), result.script.PointCount());
    }
    for (const char* golden : {"axes_by_units.xml", "smoothing.xml", "soil_probe.xml"}) {
        SCOPED_TRACE(golden);
        const std::string text = ReadAll(std::string(VG28_TEST_DATA_DIR) + "/graph/" + golden);
        const ReadResult result = GraphScriptReader(',').ReadText(text);
        ASSERT_TRUE(result.Ok()) << result.detail;
        ASSERT_NO_FATAL_FAILURE(ExpectSameAsTree(text, result.script));
    }
}

// Guards against a crash, a hang or a success on a script cut short anywhere: every cut before
// the end of the document element is reported as damaged.
TEST(GraphScriptReaderTest, EveryTruncationIsDamaged) {
    TestProject project("cut");
    TwoAxesProject(project);
    const std::string text = WrittenScript(project, 0);
    const std::size_t end = text.rfind("</Root>");
    ASSERT_NE(end, std::string::npos);
    for (std::size_t cut = 1; cut < end; cut += 7) {
        const ReadResult result = GraphScriptReader().ReadText(text.substr(0, cut));
        ASSERT_FALSE(result.Ok()) << "cut at " << cut;
        ASSERT_TRUE(result.error == ReadError::Damaged || result.error == ReadError::Empty)
            << "cut at " << cut;
        EXPECT_TRUE(result.script.sensors.empty());
    }
}

// Guards against files that are not scripts being drawn or taken for scripts: each gets its
// own error, with the line where the fault is.
TEST(GraphScriptReaderTest, RejectsFilesThatAreNotScripts) {
    struct Case {
        const char* name;
        std::string text;
        ReadError error;
        int line;
    };
    const std::vector<Case> cases = {
        {"empty", "", ReadError::Empty, 0},
        {"blanks", " \r\n\t\n", ReadError::Empty, 0},
        {"byte order mark only", "\xEF\xBB\xBF", ReadError::Empty, 0},
        {"plain text", "Hello, world\n", ReadError::Damaged, 1},
        {"binary", std::string("\x00\x01\x02\xFF<\x89PNG", 9), ReadError::Damaged, 1},
        {"unbalanced", "<Root>\n<report>\n</Root>\n", ReadError::Damaged, 3},
        {"cut in a tag", "<Root>\n <report szName=\"VG", ReadError::Damaged, 2},
        {"open quote", "<Root>\n<report a=\"1>\n</report></Root>", ReadError::Damaged, 2},
        {"two roots", "<Root><report/></Root>\n<Root/>", ReadError::Damaged, 2},
        {"stray end tag", "</Root>", ReadError::Damaged, 1},
        {"comment not closed", "<Root><!-- note\n\n", ReadError::Damaged, 1},
        {"broken attribute", "<Root>\n\n<report =\"1\"/></Root>", ReadError::Damaged, 3},
        {"text after the root", "<Root><report/></Root>\ntrailing", ReadError::Damaged, 1},
        {"html", "<!DOCTYPE html>\n<html><body><p>x</p></body></html>", ReadError::Foreign, 2},
        {"network file", "<?xml version=\"1.0\"?>\n<net>\n<dev addr=\"1\"/>\n</net>",
         ReadError::Foreign, 2},
        {"root without report", "<Root>\n<axes/>\n</Root>", ReadError::Foreign, 0},
        {"report elsewhere", "<Root><x><report/></x></Root>", ReadError::Foreign, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = GraphScriptReader().ReadText(c.text);
        EXPECT_EQ(result.error, c.error) << result.detail;
        if (c.line) {
            EXPECT_EQ(result.line, c.line) << result.detail;
        }
        EXPECT_TRUE(result.script.sensors.empty());
    }

    TempFolder folder;
    EXPECT_EQ(GraphScriptReader().ReadFile(folder.File("missing-ag.xml")).error,
              ReadError::CannotOpen);
    // A folder of that name is not a file to read.
    EXPECT_EQ(GraphScriptReader().ReadFile(folder.Path()).error, ReadError::CannotOpen);
    folder.WriteFile("empty-ag.xml", "");
    EXPECT_EQ(GraphScriptReader().ReadFile(folder.File("empty-ag.xml")).error, ReadError::Empty);
}

// Guards against one bad attribute spoiling the chart: absent or non-numeric values fall back
// to defaults or leave out just that point, and each is listed with its line.
TEST(GraphScriptReaderTest, BadAttributesAreNotedNotFatal) {
    TestProject project("bad", ',');
    TwoAxesProject(project);
    const std::string original = WrittenScript(project, 0);
    const ReadResult clean = GraphScriptReader(',').ReadText(original);
    ASSERT_TRUE(clean.Ok());

    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = original;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    };
    const std::string firstPoint =
        "<d t=\"" + std::to_string(static_cast<long long>(clean.script.sensors[0].times[0])) + "\"";
    struct Case {
        const char* name;
        std::string text;
        std::size_t skipped;
        std::size_t issues;
    };
    const std::vector<Case> cases = {
        {"time not a number", replaced(firstPoint, "<d t=\"soon\""), 1, 1},
        {"time absent", replaced(firstPoint, "<d"), 1, 1},
        {"value absent", replaced("v=\"" + std::string("20,00\""), ""), 1, 1},
        {"value text", replaced("v=\"20,00\"", "v=\"twenty\""), 1, 1},
        {"value not finite", replaced("v=\"20,00\"", "v=\"inf\""), 1, 1},
        {"both absent", replaced(firstPoint + " v=\"20,00\"", "<d"), 1, 2},
        {"colour absent", replaced("dwClr=\"16711680\"", ""), 0, 1},
        {"thickness text", replaced("dwThk=\"2\"", "dwThk=\"thick\""), 0, 1},
        {"axis range text", replaced("dMin=\"", "dMin=\"x"), 0, 1},
        {"sensor axis absent", replaced("AxisID=\"1\"", ""), 0, 1},
        {"group member text", replaced("<sen dwID=\"1\"", "<sen dwID=\"one\""), 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult result = GraphScriptReader(',').ReadText(c.text);
        ASSERT_TRUE(result.Ok()) << result.detail;
        EXPECT_EQ(result.script.skippedPoints, c.skipped);
        EXPECT_EQ(result.script.issueCount, c.issues);
        ASSERT_EQ(result.script.issues.size(), c.issues);
        EXPECT_GT(result.script.issues[0].line, 1);
        EXPECT_EQ(result.script.PointCount() + c.skipped, clean.script.PointCount());
        EXPECT_EQ(result.script.sensors.size(), clean.script.sensors.size());
    }

    // A missing colour takes the sensor's place colour; a missing axis range is fitted later.
    const ReadResult noColour = GraphScriptReader(',').ReadText(cases[6].text);
    EXPECT_EQ(noColour.script.sensors[0].colour, clean.script.sensors[0].colour);
    const ReadResult noRange = GraphScriptReader(',').ReadText(cases[8].text);
    EXPECT_FALSE(noRange.script.axes[0].hasRange);
    // A sensor without its axis number is drawn on an axis of its own, not lost.
    const ReadResult noAxis = GraphScriptReader(',').ReadText(cases[9].text);
    EXPECT_NE(noAxis.script.FindAxis(noAxis.script.sensors[0].axisId), nullptr);
    EXPECT_EQ(noAxis.script.axes.size(), clean.script.axes.size() + 1);
}

// Guards against a flood of bad points using memory per point for its notes.
TEST(GraphScriptReaderTest, KeepsOnlyTheFirstIssues) {
    std::string text = "<Root><report tStart=\"0\" tEnd=\"1\"><sensors><sensor dwID=\"1\">";
    for (int i = 0; i < 500; ++i)
        text += "<d t=\"" + std::to_string(i) + "\" v=\"?\"/>";
    text += "</sensor></sensors></report></Root>";
    const ReadResult result = GraphScriptReader().ReadText(text);
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.script.skippedPoints, 500u);
    EXPECT_GE(result.script.issueCount, 500u);
    EXPECT_EQ(result.script.issues.size(), PlotScript::kKeptIssues);
}

// Guards against lines drawn back and forth when points are out of time order, and against
// XML the writer does not produce but any parser accepts (comments, CDATA, single quotes,
// entities, a doctype) being refused.
TEST(GraphScriptReaderTest, AcceptsOtherWellFormedXml) {
    const std::string text =
        "\xEF\xBB\xBF<?xml version='1.0'?>\n<!DOCTYPE Root [ <!ELEMENT Root ANY> ]>\n"
        "<Root><!-- made by hand --><report szDescription='A &amp; B' tStart='10' tEnd='40'>"
        "<axes><y-axis dwID='1' szName='&#176;C' dMin='0.5' dMax='3.5' dStep='0.5'/></axes>"
        "<sensors><sensor dwID='1' szName='x' AxisID='1'><![CDATA[ ignored ]]>"
        "<d t='30' v='3.0'/><d t='10' v='1.0'></d><d t='20' v='2,0'/></sensor></sensors>"
        "</report></Root>\n";
    const ReadResult result = GraphScriptReader('.').ReadText(text);
    ASSERT_TRUE(result.Ok()) << result.detail;
    EXPECT_EQ(result.script.description, "A & B");
    EXPECT_EQ(result.script.axes[0].name,
              "\xC2\xB0"
              "C");
    EXPECT_EQ(result.script.axes[0].decimals, 1);
    ASSERT_EQ(result.script.sensors.size(), 1u);
    EXPECT_EQ(result.script.sensors[0].times, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(result.script.sensors[0].values, (std::vector<double>{1.0, 2.0, 3.0}));
}

// Guards the number rules: "." and "," always, the user's separator besides, one separator at
// most, nothing but the number, no infinities.
TEST(GraphScriptReaderTest, ParsesNumbers) {
    struct Case {
        const char* text;
        char separator;
        bool ok;
        double value;
    };
    for (const Case& c :
         {Case{"21.50", ',', true, 21.5}, Case{"21,50", ',', true, 21.5},
          Case{"-0,125", '.', true, -0.125}, Case{" 7 ", ',', true, 7.0},
          Case{"+3", ',', true, 3.0}, Case{"1'5", '\'', true, 1.5}, Case{"1,2,3", ',', false, 0},
          Case{"1.5x", ',', false, 0}, Case{"", ',', false, 0}, Case{"-", ',', false, 0},
          Case{"nan", ',', false, 0}, Case{"1e400", ',', false, 0}}) {
        SCOPED_TRACE(c.text);
        double value = -99.0;
        EXPECT_EQ(GraphScriptReader::ParseReal(c.text, c.separator, value), c.ok);
        if (c.ok) {
            EXPECT_DOUBLE_EQ(value, c.value);
        }
    }
    struct IntegerCase {
        const char* text;
        bool ok;
        std::int64_t value;
    };
    for (const IntegerCase& c :
         {IntegerCase{"1295364600", true, 1295364600}, IntegerCase{" -4 ", true, -4},
          IntegerCase{"16711680", true, 16711680}, IntegerCase{"1.0", false, 0},
          IntegerCase{"12abc", false, 0}, IntegerCase{"", false, 0},
          IntegerCase{"99999999999999999999", false, 0}}) {
        SCOPED_TRACE(c.text);
        std::int64_t value = -99;
        EXPECT_EQ(GraphScriptReader::ParseInteger(c.text, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

}  // namespace
}  // namespace vg28::test
