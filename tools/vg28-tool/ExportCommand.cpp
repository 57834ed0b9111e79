// vg28-tool export NAME OUT [--all] [--view 0|1|2|3] [--custom HEX] and
// vg28-tool graph NAME [--type 0|1]: the record export and the graph script of a project.

#include <cerrno>
#include <cstdlib>
#include <iostream>

#include "Commands.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "graph/GraphScript.h"
#include "project/ProjectLibrary.h"
#include "project/RecordExport.h"
#include "project/TableColumns.h"

namespace vg28::tool {

namespace {

bool ParseNumber(const std::string& text, int base, unsigned long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text.c_str(), &end, base);
    return !*end && errno == 0 && text[0] != '-';
}

int OpenForOutput(ToolContext& context, const std::string& name) {
    context.LoadSensors();  // captions and marks; a missing database is reported, not fatal
    ProjectLibrary library(context.Doc(), context.Op());
    const std::string path = context.ProjectPath(name);
    const int code = context.Doc().LoadProject(path);
    if (code != 0) library.ShowFileError(code, path);
    return code;
}

int RunExport(ToolContext& context) {
    const auto& words = context.Options().Words();
    if (words.size() != 3)
        return UsageError("usage: export NAME OUT [--all] [--view 0|1|2|3] [--custom HEX]");
    int view = TableColumns::ReadMode(context.GetProfile());
    std::uint64_t custom = TableColumns::ReadCustomSet(context.GetProfile());
    unsigned long long number = 0;
    if (const auto text = context.Options().Value("--view")) {
        if (!ParseNumber(*text, 10, number) || number > 3) return UsageError("--view is 0 to 3");
        view = static_cast<int>(number);
    }
    if (const auto text = context.Options().Value("--custom")) {
        if (!ParseNumber(*text, 16, number)) return UsageError("--custom is a hexadecimal set");
        custom = number;
    }
    if (const int code = OpenForOutput(context, words[1]); code != 0) return code;

    TableColumns columns;
    columns.Build(context.Doc(), view, custom);
    const std::string& out = words[2];
    const int code =
        ExportRecords(context.Doc(), columns, out, context.Options().Has("--all") ? 0 : 1);
    if (code != 0) {
        context.Op().Tell(ids::kFileErrorBase + code,
                          StringTable::FormatInsert(ids::kFileErrorBase + code, out),
                          MessageIcon::Stop);
        return code;
    }
    std::cout << out << '\n';
    return 0;
}

int RunGraph(ToolContext& context) {
    const auto& words = context.Options().Words();
    if (words.size() != 2) return UsageError("usage: graph NAME [--type 0|1]");
    int type = context.GetProfile().Get(keys::kGraphType);
    unsigned long long number = 0;
    if (const auto text = context.Options().Value("--type")) {
        if (!ParseNumber(*text, 10, number) || number > 1) return UsageError("--type is 0 or 1");
        type = static_cast<int>(number);
    }
    if (const int code = OpenForOutput(context, words[1]); code != 0) return code;
    const int code = WriteGraphScript(context.Doc(), type);
    const std::string path = GraphScript::ScriptPathFor(context.Doc().PathName());
    if (code == kFileNoRecords) {
        std::cerr << "The project has no records to plot.\n";
        return code;
    }
    if (code != 0) {
        context.Op().Tell(ids::kFileErrorBase + code,
                          StringTable::FormatInsert(ids::kFileErrorBase + code, path),
                          MessageIcon::Stop);
        return code;
    }
    std::cout << path << '\n';
    return 0;
}

const CommandRegistration kExport(
    {"export",
     "export NAME OUT [--all] [--view 0|1|2|3] [--custom HEX]\n"
     "                                the records as CSV (OUT ends in .csv) or text; correct\n"
     "                                values only unless --all",
     {"--all", "--view", "--custom"},
     RunExport});

const CommandRegistration kGraph({"graph",
                                  "graph NAME [--type 0|1]          write the graph script beside "
                                  "the project",
                                  {"--type"},
                                  RunGraph});

}  // namespace

}  // namespace vg28::tool
