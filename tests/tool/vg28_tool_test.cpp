#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>

#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "project/ProjectBuilders.h"
#include "sensors/SensorDatabase.h"
#include "support/SimProcess.h"
#include "support/TempFolder.h"
#include "support/ToolRunner.h"

namespace vg28 {
namespace {

using test::ShellQuote;
using test::ToolRun;

class ToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string database = std::string(VG28_PROGRAM_DIR) + "/sensors.dat";
        if (std::filesystem::exists(database))
            std::filesystem::copy_file(database, folder.File("sensors.dat"));
    }

    ToolRun Tool(const std::string& arguments) { return test::RunTool(folder, arguments); }

    test::TempFolder folder;
};

// Guards against the download path losing order or values between the line and the file.
TEST_F(ToolTest, AddedRecordsComeBackSortedWithExactValues) {
    ASSERT_EQ(Tool("project new p1").status, 0);
    ASSERT_EQ(Tool("project add-record p1 '2011-01-18 10:00:00;S1;0.1;S2;-3.25e-7'").status, 0);
    ASSERT_EQ(Tool("project add-record p1 '2011-01-18 09:00:00;S1;2.5;F:KWS;1'").status, 0);
    const ToolRun shown = Tool("project show p1 --json");
    ASSERT_EQ(shown.status, 0) << shown.err;
    const auto json = nlohmann::json::parse(shown.out);
    EXPECT_EQ(json["name"], "p1");
    EXPECT_EQ(json["recordCount"], 2);
    EXPECT_EQ(json["firstTime"], "2011-01-18 09:00:00");
    EXPECT_EQ(json["lastTime"], "2011-01-18 10:00:00");
    EXPECT_TRUE(json["configTime"].is_null());
    EXPECT_EQ(json["sensorIds"].size(), 49u);
    EXPECT_EQ(json["sensorIds"][15], "Plug and Play");
    EXPECT_EQ(json["notes"].size(), 8u);
    const auto& records = json["records"];
    EXPECT_EQ(records[0]["time"], "2011-01-18 09:00:00");
    EXPECT_EQ(records[0]["status"][6], 1);  // "KWS"
    EXPECT_EQ(records[1]["values"][0][0].get<double>(), 0.1);
    EXPECT_EQ(records[1]["values"][1][0].get<double>(), -3.25e-7);
    EXPECT_EQ(records[1]["values"].size(), 49u);

    const ToolRun noRecords = Tool("project show p1 --json --no-records");
    EXPECT_FALSE(nlohmann::json::parse(noRecords.out).contains("records"));
}

// Guards against exit statuses that scripts cannot rely on.
TEST_F(ToolTest, ExitStatusTellsWhatFailed) {
    ASSERT_EQ(Tool("project new p1").status, 0);
    folder.WriteFile("broken.phj", "EXPR\x02\x00\x03\x00 short");
    struct Case {
        const char* name;
        std::string arguments;
        int status;
        const char* message;
    } cases[] = {
        {"no command", "", 64, "no command"},
        {"unknown command", "frobnicate", 64, "unknown command"},
        {"unknown option", "project list --frob", 64, "unknown option"},
        {"missing value", "project show p1 --decimal", 64, "needs a value"},
        {"line without time", "project add-record p1 'S1;5'", 2, "does not parse"},
        {"record parse failure", "record parse '2011-13-01 00:00:00'", 2, "does not parse"},
        {"missing project", "project show nothere", 1, "Ошибка открытия файла!"},
        {"damaged project", "project show broken", 2, "неправильный формат"},
        {"duplicate name", "project new p1", 1, "уже существует"},
        {"delete missing", "project delete nothere", 1, "No project"},
        {"bad project name", "project new ../evil", 1, "Недопустимое имя проекта!"},
        // Commands that open an existing project by name once ended with status 255 and no word.
        {"bad name to set", "project set ../evil period=60", 1, "Недопустимое имя проекта!"},
        {"bad name to add to", "project add-record ../evil '2011-01-18 10:00:00;S1;1'", 1,
         "Недопустимое имя проекта!"},
        {"bad name to sync", "sync ../evil --port /nonexistent", 1, "Недопустимое имя проекта!"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Tool(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << "\n" << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "../evil.phj"));
}

// Guards against the list, delete and locale options not reaching the core.
TEST_F(ToolTest, ListDeleteAndLocalizedShow) {
    ASSERT_EQ(Tool("project new empty").status, 0);
    ASSERT_EQ(Tool("project new full").status, 0);
    ASSERT_EQ(Tool("project set full S1=T period=600").status, 0);
    ASSERT_EQ(Tool("project add-record full '2011-01-18 10:00:00;S1;2.5'").status, 0);
    const auto list = nlohmann::json::parse(
        Tool("--date-format %d.%m.%Y --time-format %H:%M:%S project list --json").out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["name"], "empty");  // projects without records come first
    EXPECT_EQ(list[1]["name"], "full");
    EXPECT_EQ(list[1]["last"], "18.01.2011  10:00");

    const ToolRun shown = Tool(
        "--decimal , --date-format %d.%m.%Y --time-format %H:%M:%S "
        "project show full");
    EXPECT_NE(shown.out.find("18.01.2011  10:00:00"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Period\t600 s (00:10:00)"), std::string::npos) << shown.out;

    ASSERT_EQ(Tool("project delete full").status, 0);
    EXPECT_FALSE(folder.Exists("full.phj"));
    EXPECT_TRUE(folder.Exists("empty.phj"));
}

// Guards against the instrument commands of the tool not reaching the simulated instrument, or
// reporting a failed port as success.
TEST_F(ToolTest, DeviceCommandsAgainstTheSimulator) {
    const ToolRun info = Tool("device info --port simulator --json");
    ASSERT_EQ(info.status, 0) << info.err;
    const auto identity = nlohmann::json::parse(info.out);
    EXPECT_EQ(identity["model"].get<std::string>().substr(0, 5), "VG-28");
    EXPECT_GT(identity["firmwareVersion"].get<std::uint32_t>(), 0x01000000u);
    EXPECT_EQ(identity["moduleModel"].get<std::string>().substr(0, 3), "KWS");

    const auto mode = nlohmann::json::parse(Tool("device mode --port simulator --json").out);
    EXPECT_EQ(mode["name"], "START");
    EXPECT_EQ(mode["mode"], 2);

    const auto sensor = nlohmann::json::parse(Tool("device sensor 10 --port simulator --json").out);
    EXPECT_EQ(sensor["id"], "KWS/AT");

    const ToolRun clock = Tool("device clock --port simulator --json");
    ASSERT_EQ(clock.status, 0) << clock.err;
    EXPECT_EQ(nlohmann::json::parse(clock.out)["time"].get<std::string>().size(), 19u);

    const ToolRun data = Tool("device data --port simulator --json");
    ASSERT_EQ(data.status, 0) << data.err;
    EXPECT_EQ(nlohmann::json::parse(data.out)["values"].size(), 49u);

    const ToolRun noPort = Tool("device info --port " + folder.File("no-such-tty"));
    EXPECT_EQ(noPort.status, 1);
    EXPECT_NE(noPort.err.find("Ошибка подключения к порту"), std::string::npos) << noPort.err;
    EXPECT_EQ(Tool("device mode fly --port simulator").status, 64);
}

// Guards against export and graph script commands that write nothing, or the wrong thing,
// without saying so.
TEST_F(ToolTest, ExportAndGraphScript) {
    ASSERT_EQ(Tool("project new p1").status, 0);
    ASSERT_EQ(Tool("project set p1 S10=KWS/AT").status, 0);
    EXPECT_EQ(Tool("graph p1").status, 4);  // no records yet
    ASSERT_EQ(Tool("project add-record p1 '2011-01-18 10:00:00;S10;21.5;F:KWS;1'").status, 0);
    ASSERT_EQ(Tool("project add-record p1 '2011-01-18 10:30:00;S10;22.5;F:KWS;1'").status, 0);

    const ToolRun exported = Tool("--decimal , export p1 " + ShellQuote(folder.File("out.csv")));
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string csv = folder.ReadFile("out.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3);  // header and two records
    EXPECT_NE(csv.find("21,5"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n"), std::string::npos);

    const ToolRun graph = Tool("graph p1 --type 1");
    ASSERT_EQ(graph.status, 0) << graph.err;
    EXPECT_EQ(graph.out, folder.File("p1-ag.xml") + "\n");
    EXPECT_NE(folder.ReadFile("p1-ag.xml").find("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>"),
              std::string::npos);

    EXPECT_EQ(Tool("export p1 " + ShellQuote(folder.File("no/dir/out.csv"))).status, 1);
    EXPECT_EQ(Tool("export p1 x.csv --view 7").status, 64);
}

// Guards against the unattended job losing or duplicating records, or writing anything when a
// question comes and the policy says to stop.
TEST_F(ToolTest, SyncTakesTheInstrumentsProjectAndRecordsOnce) {
    const ToolRun first = Tool("sync - --port simulator --json");
    ASSERT_EQ(first.status, 0) << first.err;
    const auto result = nlohmann::json::parse(first.out);
    EXPECT_EQ(result["result"], 3);
    const std::string project = result["project"];
    ASSERT_FALSE(project.empty());
    const int downloaded = result["recordsAdded"];
    EXPECT_GT(downloaded, 0);
    const auto shown =
        nlohmann::json::parse(Tool("project show " + ShellQuote(project) + " --json").out);
    EXPECT_EQ(shown["recordCount"], downloaded);
    // The same instrument again: its configuration is known and its records are there, so
    // at most a record it took meanwhile is new (the simulated instrument records every 10
    // minutes of real time); nothing is stored twice.
    const ToolRun again = Tool("sync " + ShellQuote(project) + " --port simulator --json");
    ASSERT_EQ(again.status, 0) << again.err;
    const int more = nlohmann::json::parse(again.out)["recordsAdded"];
    EXPECT_LE(more, 1);
    const auto after =
        nlohmann::json::parse(Tool("project show " + ShellQuote(project) + " --json").out);
    ASSERT_EQ(after["recordCount"], downloaded + more);
    for (std::size_t i = 1; i < after["records"].size(); ++i)
        EXPECT_LT(after["records"][i - 1]["time"], after["records"][i]["time"]) << i;

    // A PC project of another name: the question ends the run and the file stays as it was.
    ASSERT_EQ(Tool("project new other").status, 0);
    const std::string other = folder.ReadFile("other.phj");
    const ToolRun refused = Tool("sync other --port simulator --ask-fails");
    EXPECT_NE(refused.status, 0);
    EXPECT_EQ(folder.ReadFile("other.phj"), other);
    EXPECT_EQ(Tool("sync other --pc-wins --ask-fails --port simulator").status, 64);
}

// Guards against a name CP1251 cannot hold being created by the tool, refused without its
// message, or a Cyrillic name coming back other than it was typed; the same for the texts of
// "project set", which are stored in CP1251.
TEST_F(ToolTest, CyrillicNamesAndCharactersCp1251CannotHold) {
    ASSERT_EQ(Tool("project new Теплица").status, 0);
    EXPECT_TRUE(folder.Exists("Теплица.phj"));
    const std::string refusal = "Недопустимые символы: \"名前\"";
    const ToolRun refused = Tool("project new 名前");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(refusal), std::string::npos) << refused.err;
    EXPECT_FALSE(folder.Exists("名前.phj"));

    const ToolRun badNote = Tool("project set Теплица note1=名前");
    EXPECT_EQ(badNote.status, 1);
    EXPECT_NE(badNote.err.find(refusal), std::string::npos) << badNote.err;
    ASSERT_EQ(Tool("project set Теплица note1=Лист S1=TA\\ 1").status, 0);

    const auto list = nlohmann::json::parse(Tool("project list --json").out);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["name"], "Теплица");
    const auto shown = nlohmann::json::parse(Tool("project show Теплица --json").out);
    EXPECT_EQ(shown["name"], "Теплица");
    EXPECT_EQ(shown["notes"][0], "Лист");
    EXPECT_EQ(shown["sensorIds"][0], "TA 1");
}

// Guards against project files copied from Windows (".PHJ") missing from the tool's list or
// not found by their name.
TEST_F(ToolTest, ProjectsWithUpperCaseExtension) {
    ASSERT_EQ(Tool("project new Win").status, 0);
    ASSERT_EQ(Tool("project add-record Win '2011-01-18 10:00:00;S1;1'").status, 0);
    std::filesystem::rename(folder.File("Win.phj"), folder.File("Win.PHJ"));
    const auto list = nlohmann::json::parse(Tool("project list --json").out);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["name"], "Win");
    for (const std::string& project : {std::string("Win"), folder.File("Win.PHJ")}) {
        const ToolRun shown = Tool("project show " + ShellQuote(project) + " --json");
        ASSERT_EQ(shown.status, 0) << project << "\n" << shown.err;
        EXPECT_EQ(nlohmann::json::parse(shown.out)["recordCount"], 1) << project;
    }
    ASSERT_EQ(Tool("project add-record Win '2011-01-18 11:00:00;S1;2'").status, 0);
    EXPECT_EQ(nlohmann::json::parse(Tool("project show Win --json").out)["recordCount"], 2);
    EXPECT_FALSE(folder.Exists("Win.phj"));
}

// Guards against an instrument project named in Cyrillic (CP1251 on the wire) that makes the
// unattended job write a file named in raw bytes and then abort on the JSON output: here the
// real serial path to vg28-sim, which holds the name in CP1251.
TEST_F(ToolTest, SyncTakesCyrillicProjectOfTheInstrument) {
    const std::string linkPath = folder.File("ttyVG28");
    test::SimProcess sim;
    const std::string printed =
        sim.Start({"--link", linkPath, "--project", "Теплица", "--records", "3", "--mode", "STOP"});
    ASSERT_EQ(printed.rfind("/dev/", 0), 0u) << printed;
    const std::string port = " --port " + ShellQuote(linkPath);

    // The tool reads raw lines as CP1251: the name comes back readable only if the simulator
    // holds CP1251 bytes.
    const ToolRun raw = Tool("device raw project\\;id --json" + port);
    ASSERT_EQ(raw.status, 0) << raw.err;
    EXPECT_EQ(nlohmann::json::parse(raw.out)["lines"][0], "PROJECT;ID;\"Теплица\"\r");

    const ToolRun run = Tool("sync - --json" + port);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto result = nlohmann::json::parse(run.out);
    EXPECT_EQ(result["project"], "Теплица");
    EXPECT_EQ(result["recordsAdded"], 3);
    EXPECT_TRUE(folder.Exists("Теплица.phj"));
    const auto shown = nlohmann::json::parse(Tool("project show Теплица --json").out);
    EXPECT_EQ(shown["recordCount"], 3);
    EXPECT_TRUE(sim.Stop());
}

// Guards against any text that reaches the JSON output making it throw (nlohmann::json's
// type_error on malformed UTF-8): stored CP1251 texts with every byte, a project file named in
// raw bytes, a sensor database and a network file with foreign bytes, instrument lines.
TEST_F(ToolTest, JsonOutputSurvivesForeignBytes) {
    std::string every;
    for (int byte = 1; byte < 256; ++byte)
        every += static_cast<char>(byte);
    ProjectSetup setup{};
    for (std::size_t k = 0; k < 8; ++k) {
        CopyText(setup.sensorIds[k], every.substr(k * 31, 31));
        CopyText(setup.notes[k], every.substr(k * 31 + 7, 31));
    }
    const std::string rawName = "\xD2\xE5\xEF\xEB\xE8\xF6\xE0\xFF";  // "Теплица" in CP1251 and 0xFF
    folder.WriteFile(rawName + ".phj",
                     test::ProjectFileBytes(setup, {test::MakeRecord(2011, 1, 18, 10, 0, 0)}));
    folder.WriteFile("ok.phj", test::ProjectFileBytes(setup, {}));

    SensorDatabase database;
    ASSERT_TRUE(database.Load(folder.File("sensors.dat")));
    SensorRecord odd = database.At(0);
    CopyText(odd.id, every.substr(128, 31));
    CopyText(odd.type, every.substr(160, 31));
    CopyText(odd.description, every.substr(192, 31));
    CopyText(odd.units, every.substr(224, 15));
    database.Append(odd);
    ASSERT_TRUE(database.Save(folder.File("sensors.dat")));
    folder.WriteFile("net.xcfg", "<net><device id=\"\xC0\xFF\x98\xE9\" xsaddr=\"3\"/></net>");

    const std::string rawFile = ShellQuote(folder.File(rawName + ".phj"));
    for (const std::string& arguments :
         {"project show " + rawFile + " --json", "project show " + rawFile + " --json --no-records",
          std::string("project show ok --json"), std::string("project list --json"),
          std::string("sensors --json"), std::string("devices --json"),
          "device raw " + ShellQuote("project;id;\"\xC0\xFF\x98\x01\"") +
              " --port simulator --json"}) {
        SCOPED_TRACE(arguments);
        const ToolRun run = Tool(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NO_THROW(std::ignore = nlohmann::json::parse(run.out)) << run.out;
    }
    const auto shown = nlohmann::json::parse(Tool("project show " + rawFile + " --json").out);
    EXPECT_EQ(shown["name"],
              "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
              "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(shown["notes"][0], TextCodec::Cp1251ToUtf8(every.substr(7, 31)));
    const auto list = nlohmann::json::parse(Tool("project list --json").out);
    ASSERT_EQ(list.size(), 1u);  // a file named in raw bytes is no project of the list
    EXPECT_EQ(list[0]["name"], "ok");
}

}  // namespace
}  // namespace vg28
