// Numbers of files and of the line under a C library locale with a decimal comma, as the desktop
// program's environment has it on a Russian desktop: what is written and sent keeps ".", what is
// read accepts "."; only the texts meant for the operator (the export) follow the user's Locale.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/DebugLog.h"
#include "graph/GraphScript.h"
#include "platform/CLocaleScope.h"
#include "platform/FixedText.h"
#include "platform/NumberText.h"
#include "plotvane/core/GraphScriptReader.h"
#include "project/RecordExport.h"
#include "project/TableColumns.h"
#include "sensors/SensorCatalogue.h"
#include "sensors/SensorEditRules.h"
#include "sensors/SensorFormat.h"
#include "sim/SimRig.h"
#include "support/CommaNumericLocale.h"
#include "support/TestProject.h"
#include "sync/Em50Protocol.h"

namespace vg28::test {
namespace {

// One air temperature sensor at precision 2 whose two records span -15.80 to 26.19: the axis
// is "-15.80" to "26.19" with the step "8.40".
void AirProject(TestProject& project) {
    project.AddSensor({"AT 1", "Air", "C", 2, -40.0, 60.0});
    project.SetChannel(0, "AT 1");
    project.AddRecord(2011, 1, 18, 15, 30, 0, {{0, -15.8}});
    project.AddRecord(2011, 1, 18, 16, 0, 0, {{0, 26.19}});
}

std::string GraphScriptText(char userSeparator) {
    TestProject project("air", userSeparator);
    AirProject(project);
    return GraphScript(*project.doc, 0).PrintDocument();
}

std::string ExportText(char userSeparator) {
    TestProject project("air", userSeparator);
    AirProject(project);
    TableColumns columns;
    columns.Build(*project.doc, 0, TableColumns::kAllColumns);
    const std::string path = project.folder.File("air.csv");
    if (ExportRecords(*project.doc, columns, path, 1) != 0) return "export failed";
    return project.folder.ReadFile("air.csv");
}

SensorRecord AirSensor() {
    SensorRecord sensor = EmptySensorRecord();
    CopyText(sensor.id, "AT 1");
    CopyText(sensor.type, "AT");
    sensor.precision = 2;
    sensor.minimum = -15.8;
    sensor.maximum = 26.19;
    sensor.maxOutput = 2.5;
    sensor.coefficients[1] = 0.5;
    return sensor;
}

// The request the terminal sends to set input 4, as the instrument received it.
std::string SensorRequest() {
    SimRig rig;
    const SensorRecord sensor = AirSensor();
    if (!rig.commands.SetSensor(4, &sensor)) return "not sent";
    return rig.network->Requests().back();
}

// What the instrument understood of that request.
std::string SensorAsTheInstrumentReadIt() {
    SimRig rig;
    const SensorRecord sensor = AirSensor();
    if (!rig.commands.SetSensor(4, &sensor)) return "not sent";
    const auto& stored = rig.Instrument().Sensor(4);
    return DecimalText(stored.minimum, 2) + " " + DecimalText(stored.maximum, 2) + " " +
           DecimalText(stored.maxOutput, 3) + " " + DecimalText(stored.coefficients[1], 2);
}

// The simulated instrument's description of input 1 ("TA 1": -40.0 to 60.0, 2.5 V), as the
// terminal read it from the reply.
std::string SensorReplyAsTheTerminalReadIt() {
    SimRig rig;
    SensorRecord sensor{};
    if (!rig.commands.QuerySensor(1, sensor)) return "no reply";
    return DecimalText(sensor.minimum, 2) + " " + DecimalText(sensor.maxOutput, 3);
}

std::string RecordLineAsTheTerminalReadIt() {
    TestProject project("air");
    AirProject(project);
    int added = 0;
    if (!project.doc->AddRecordLine("2011-01-18 17:00:00;S1;21.55", added)) return "not parsed";
    return DecimalText(project.doc->records.back().values[0].value, 3);
}

std::string ClockRequest() {
    SimRig rig;
    if (!rig.commands.SetClock()) return "not sent";
    return rig.network->Requests().back();
}

std::string Em50ClockRequests() {
    sim::SimNetworkConfig config;
    config.instruments[0].em50 = sim::SimEm50Config{};
    SimRig rig(config, true);
    Em50Protocol em50(rig.commands, *rig.doc);
    if (!em50.SyncEm50Clock(true) || !em50.SetEm50Interval(15)) return "not sent";
    std::string requests;
    for (const std::string& request : rig.network->Requests())
        requests += request + "|";
    return requests;
}

std::string CatalogueRoundTrip() {
    const std::string text = SensorCatalogue::Write({AirSensor()});
    const SensorCatalogue::ParseResult parsed = SensorCatalogue::Parse(text);
    if (!parsed.Ok() || parsed.records.size() != 1) return "not read back: " + parsed.error;
    const SensorRecord& back = parsed.records[0];
    return text + "read back " + DecimalText(back.minimum, 2) + " " +
           DecimalText(back.maxOutput, 1) + " " + DecimalText(back.coefficients[1], 1);
}

// The graph viewer reading the limits of the script written here.
std::string ViewerAxisLimits() {
    const plotvane::ReadResult read =
        plotvane::GraphScriptReader(',').ReadText(GraphScriptText('.'));
    if (!read.Ok() || read.script.axes.empty()) return "not read";
    const plotvane::ScriptAxis& axis = read.script.axes[0];
    return DecimalText(axis.minimum, 2) + " " + DecimalText(axis.maximum, 2) + " " +
           DecimalText(axis.step, 2);
}

std::string DebugLogLine() {
    TempFolder folder;
    folder.WriteFile("on.ini", "[Debug]\r\nLog=1\r\n");
    SetDebugLogSource(folder.File("on.ini"), folder.File("vg28.log"));
    DebugLog("AddEm50Data:Sensor[%s] = %.2f", "Em50/AT", 21.5);
    SetDebugLogSource("", "");
    return folder.ReadFile("vg28.log");
}

// Guards against numbers of files and of the line following the C library's locale (the
// desktop program's environment), and against the export dropping the user's own separator.
TEST(CommaCLocale, FileAndLineNumbersKeepThePointAndTheExportTheUsersSeparator) {
    const CommaNumericLocale comma;
    ASSERT_TRUE(comma.Active());
    const struct {
        const char* name;
        std::function<std::string()> text;
        std::vector<std::string> expected;  // each must appear in the text
    } cases[] = {
        {"graph script, user point",
         [] { return GraphScriptText('.'); },
         {"dMin=\"-15.80\" dMax=\"26.19\" dStep=\"8.40\"", "v=\"-15.80\""}},
        {"graph script, user comma: limits keep the point",
         [] { return GraphScriptText(','); },
         {"dMin=\"-15.80\" dMax=\"26.19\" dStep=\"8.40\"", "v=\"-15,80\"", "v=\"26,19\""}},
        {"export, user point", [] { return ExportText('.'); }, {";-15.80\r\n", ";26.19\r\n"}},
        {"export, user comma", [] { return ExportText(','); }, {";-15,80\r\n", ";26,19\r\n"}},
        {"sensor request sent",
         SensorRequest,
         {";2;-15.80;26.19;STD;2.500;0.00000e+00;5.00000e-01;0.00000e+00;"}},
        {"sensor request read by the instrument",
         SensorAsTheInstrumentReadIt,
         {"-15.80 26.19 2.500 0.50"}},
        {"sensor reply read", SensorReplyAsTheTerminalReadIt, {"-40.00 2.500"}},
        {"record line read", RecordLineAsTheTerminalReadIt, {"21.550"}},
        {"clock request", ClockRequest, {"2011-01-18 15:30:00"}},
        {"Em50 clock and interval",
         Em50ClockRequests,
         {"xdev;set -d 2011-01-18|", "xdev;set -t 15:30:00|", "xdev;set -w 15|"}},
        {"sensor catalogue",
         CatalogueRoundTrip,
         {"minimum = -15.8\n", "maxOutput = 2.5\n", "c1 = 0.5\n", "read back -15.80 2.5 0.5"}},
        {"graph viewer reads the limits", ViewerAxisLimits, {"-15.80 26.19 8.40"}},
        {"sensor editor's maximum output item",
         [] { return SensorEditRules::MaxOutputText(2); },
         {"2.5"}},
        {"debug log", DebugLogLine, {"AddEm50Data:Sensor[Em50/AT] = 21.50\r\n"}},
    };
    for (const auto& c : cases) {
        const std::string text = c.text();
        for (const std::string& part : c.expected)
            EXPECT_NE(text.find(part), std::string::npos) << c.name << ": no " << part << " in\n"
                                                          << text;
    }
    EXPECT_STREQ(std::localeconv()->decimal_point, ",") << "the locale must hold to the end";
}

// Guards against the texts of files and the line differing from what printf writes in the "C"
// locale (as the Windows program wrote them: rounding, signs, zero, large values), and against a
// printf-style file text (the debug log) taking the process's comma.
TEST(CommaCLocale, NumberTextsAreThoseOfPrintfInTheCLocale) {
    const CommaNumericLocale comma;
    ASSERT_TRUE(comma.Active());
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", 2.5);
    ASSERT_STREQ(text, "2,5") << "the C library itself follows the comma locale";
    const struct {
        double value;
        int decimals;
    } cases[] = {{2.675, 2}, {-15.8, 2},  {26.19, 2},  {0.5, 0},       {1.5, 0},
                 {2.5, 0},   {-0.0, 2},   {-0.001, 2}, {1e300, 5},     {123.456, 3},
                 {0.1, 20},  {9.9999, 3}, {5e-7, 5},   {-1234.5678, 1}};
    for (const auto& c : cases) {
        char fixed[512];
        char scientific[64];
        {
            const CLocaleScope cNumbers;
            std::snprintf(fixed, sizeof fixed, "%.*f", c.decimals, c.value);
            std::snprintf(scientific, sizeof scientific, "%.5e", c.value);
        }
        EXPECT_EQ(DecimalText(c.value, c.decimals), fixed) << c.value;
        EXPECT_EQ(ScientificText(c.value, 5), scientific) << c.value;
    }
    std::snprintf(text, sizeof text, "%.1f", 2.5);
    EXPECT_STREQ(text, "2,5") << "the scope puts the thread's locale back";
}

}  // namespace
}  // namespace vg28::test
