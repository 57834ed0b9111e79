// vg28-tool project show|list|new|delete|add-record: the projects of the program folder.

#include <sys/stat.h>

#include <cstdlib>
#include <iostream>

#include "Commands.h"
#include "JsonOutput.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "project/PlugAndPlay.h"
#include "project/ProjectLibrary.h"
#include "sensors/SensorFormat.h"

namespace vg28::tool {

namespace {

long long FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

std::string ChannelText(const CProjectDoc& doc, int k) {
    const std::string_view id = TextOf(doc.setup.sensorIds[k]);
    if (id.empty()) return {};
    if (const SensorRecord* sensor = doc.Sensors().FindById(id))
        return TextCodec::Cp1251ToUtf8(ChannelCaption(*sensor, k + 1, true));
    return TextCodec::Cp1251ToUtf8(MissingSensorCaption(k + 1, id));
}

void PrintProject(const CProjectDoc& doc, bool withRecords) {
    std::cout << "Project\t" << doc.ProjectName() << '\n'
              << "Period\t" << doc.setup.period << " s ("
              << CProjectDoc::FormatDuration(doc.setup.period) << ")\n"
              << "Exact time\t" << (doc.setup.exactTime ? "on" : "off") << '\n'
              << "Em50\t" << (doc.setup.em50 ? "on" : "off") << '\n'
              << "Configuration\t" << CProjectDoc::FormatRecordTime(doc.setup.configTime, false)
              << '\n'
              << "Records\t" << doc.records.size() << '\n'
              << "First\t" << CProjectDoc::FormatRecordTime(doc.firstTime, false) << '\n'
              << "Last\t" << CProjectDoc::FormatRecordTime(doc.lastTime, false) << '\n';
    for (int k = 0; k < kChannelCount; ++k) {
        if (IsFreeChannelMark(TextOf(doc.setup.sensorIds[k]))) continue;
        const std::string caption = ChannelText(doc, k);
        if (caption.empty()) continue;
        std::cout << 'S' << k + 1 << '\t' << caption;
        if (k < kNoteCount && !TextOf(doc.setup.notes[k]).empty())
            std::cout << '\t' << TextCodec::Cp1251ToUtf8(TextOf(doc.setup.notes[k]));
        std::cout << '\n';
    }
    if (!withRecords) return;
    std::cout << "Time";
    for (int k = 0; k < kChannelCount; ++k)
        if (doc.IsChannelInUse(nullptr, k)) std::cout << "\tS" << k + 1;
    std::cout << '\n';
    for (const MeasurementRecord& record : doc.records) {
        std::cout << CProjectDoc::FormatRecordTime(record.time, false);
        for (int k = 0; k < kChannelCount; ++k)
            if (doc.IsChannelInUse(nullptr, k))
                std::cout << '\t' << CProjectDoc::FormatCell(record.values[k], true);
        std::cout << '\n';
    }
}

int Show(ToolContext& context, const std::string& nameOrFile) {
    context.LoadSensors();  // captions only; a missing database is reported, not fatal here
    CProjectDoc& doc = context.Doc();
    const std::string path = context.ProjectPath(nameOrFile);
    const int code = doc.LoadProject(path);
    if (code != 0) {
        ProjectLibrary(doc, context.Op()).ShowFileError(code, path);
        return code;
    }
    const bool withRecords = !context.Options().Has("--no-records");
    if (context.Json())
        std::cout << DumpJson(ProjectJson(doc, withRecords), 2) << '\n';
    else
        PrintProject(doc, withRecords);
    return 0;
}

int List(ToolContext& context) {
    ProjectLibrary library(context.Doc(), context.Op());
    const std::vector<ProjectRow> rows = library.ListProjects();
    if (context.Json()) {
        nlohmann::json list = nlohmann::json::array();
        for (const ProjectRow& row : rows)
            list.push_back({{"name", JsonText(row.name)},
                            {"first", JsonText(row.firstTime)},
                            {"last", JsonText(row.lastTime)}});
        std::cout << DumpJson(list, 2) << '\n';
    } else {
        for (const ProjectRow& row : rows)
            std::cout << row.name << '\t' << row.firstTime << '\t' << row.lastTime << '\n';
    }
    return 0;
}

int New(ToolContext& context, const std::string& name) {
    ProjectLibrary library(context.Doc(), context.Op());
    const int code = library.NewProject(name);
    if (code < 0) return 1;
    if (code == 0) std::cout << context.Doc().PathName() << '\n';
    return code;
}

int Delete(ToolContext& context, const std::string& name) {
    const std::string path = context.Doc().ProjectFilePath(name);
    if (FileSize(path) < 0) {
        std::cerr << "No project " << name << " in " << context.Folder() << '\n';
        return 1;
    }
    context.Op().SetAnswer(Answer::Yes);  // the command itself is the confirmation
    ProjectLibrary library(context.Doc(), context.Op());
    return library.DeleteProject(name) ? 0 : 1;
}

// The download path: parse, mark, append to the file, sort. When the append did not reach the
// file, the whole project is saved so that the record is not lost when the tool exits.
int AddRecord(ToolContext& context, const std::string& name, const std::string& line) {
    if (!context.LoadSensors()) return 1;
    CProjectDoc& doc = context.Doc();
    ProjectLibrary library(doc, context.Op());
    const int code = context.OpenProject(name);
    if (code != 0) return code;
    const long long before = FileSize(doc.PathName());
    int added = 0;
    if (!doc.AddRecordLine(line, added)) {
        std::cerr << "The record line does not parse.\n";
        return 2;
    }
    if (FileSize(doc.PathName()) != before + static_cast<long long>(sizeof(MeasurementRecord))) {
        const int saved = doc.SaveProject();
        if (saved != 0) {
            library.ShowFileError(saved, doc.PathName());
            return saved;
        }
    }
    std::cout << "Added record " << TimeText(doc.records.back().time) << "; " << doc.records.size()
              << " records\n";
    return 0;
}

// Sets sensors, notes and the period as the project description does: the configuration time is
// cleared so that the next synchronization sends the project, then the project is saved.
int Set(ToolContext& context, const std::string& name, const std::vector<std::string>& items) {
    CProjectDoc& doc = context.Doc();
    ProjectLibrary library(doc, context.Op());
    const int code = context.OpenProject(name);
    if (code != 0) return code;
    for (const std::string& item : items) {
        const std::size_t equals = item.find('=');
        const std::string key = item.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
        char* end = nullptr;
        if (equals == std::string::npos) return UsageError("expected KEY=VALUE, got " + item);
        // Sensor IDs and notes are stored in CP1251.
        if (!ProjectLibrary::CheckFitsCp1251(context.Op(), value)) return 1;
        const std::string stored = TextCodec::Utf8ToCp1251(value);
        if (key == "period") {
            const long period = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || period <= 0 || period > 86400 * 7)
                return UsageError("period must be 1 to 604800 seconds");
            doc.setup.period = static_cast<int>(period);
        } else if (key.size() > 1 && key[0] == 'S') {
            const long k = std::strtol(key.c_str() + 1, &end, 10);
            if (*end || k < 1 || k > kChannelCount) return UsageError("no input " + key);
            CopyText(doc.setup.sensorIds[k - 1], stored);
        } else if (key.size() > 4 && key.compare(0, 4, "note") == 0) {
            const long k = std::strtol(key.c_str() + 4, &end, 10);
            if (*end || k < 1 || k > kNoteCount) return UsageError("no note " + key);
            CopyText(doc.setup.notes[k - 1], stored);
        } else {
            return UsageError("unknown item " + key);
        }
    }
    doc.setup.configTime = TimeStamp{};
    const int saved = doc.SaveProject();
    if (saved != 0) library.ShowFileError(saved, doc.PathName());
    return saved;
}

int RunProject(ToolContext& context) {
    const auto& words = context.Options().Words();
    const std::string sub = words.size() > 1 ? words[1] : "";
    if (sub == "show" && words.size() == 3) return Show(context, words[2]);
    if (sub == "list" && words.size() == 2) return List(context);
    if (sub == "new" && words.size() == 3) return New(context, words[2]);
    if (sub == "delete" && words.size() == 3) return Delete(context, words[2]);
    if (sub == "add-record" && words.size() == 4) return AddRecord(context, words[2], words[3]);
    if (sub == "set" && words.size() >= 4)
        return Set(context, words[2], std::vector<std::string>(words.begin() + 3, words.end()));
    return UsageError(
        "usage: project show NAME|FILE.phj [--json] [--no-records] | list [--json] | new NAME | "
        "delete NAME | add-record NAME LINE | set NAME [period=S] [S<n>=ID] [note<n>=TEXT]...");
}

const CommandRegistration kProject(
    {"project",
     "project show NAME|FILE.phj [--json] [--no-records]\n"
     "project list [--json]           the project list in its order\n"
     "project new NAME                create an empty project\n"
     "project delete NAME             delete a project and its graph script\n"
     "project add-record NAME LINE    add one record line as a download does\n"
     "project set NAME [period=S] [S<n>=ID] [note<n>=TEXT]...\n"
     "                                change the project description",
     {"--json", "--no-records"},
     RunProject});

}  // namespace

}  // namespace vg28::tool
