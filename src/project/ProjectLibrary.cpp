#include "project/ProjectLibrary.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "app/Operator.h"
#include "app/StringTable.h"
#include "project/CProjectDoc.h"
#include "project/DocObserver.h"

namespace vg28 {

namespace {

constexpr std::string_view kExtension = ".phj";
constexpr std::string_view kGraphSuffix = "-ag.xml";

// Case-insensitive "a > b" for the ASCII letters of the formatted times.
bool GreaterIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    };
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
}

bool RemoveIfPresent(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace

std::vector<ProjectRow> ProjectLibrary::ListProjects() {
    std::vector<ProjectRow> rows;
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(m_doc.ProgramFolder(), error), end;
         !error && it != end; it.increment(error)) {
        const std::string file = it->path().filename().string();
        if (file.size() <= kExtension.size() || !file.ends_with(kExtension)) continue;
        std::string name = file.substr(0, file.size() - kExtension.size());
        if (IsValidProjectName(name)) names.push_back(std::move(name));
    }
    for (const std::string& name : names) {
        if (m_doc.LoadProject(m_doc.ProjectFilePath(name)) != kFileOk) continue;
        rows.push_back({name, CProjectDoc::FormatRecordTime(m_doc.firstTime, true),
                        CProjectDoc::FormatRecordTime(m_doc.lastTime, true)});
    }
    m_doc.ResetProject();
    m_doc.UpdateAllViews(kHintAll);
    SortRows(rows);
    return rows;
}

void ProjectLibrary::SortRows(std::vector<ProjectRow>& rows) {
    std::sort(rows.begin(), rows.end(), [](const ProjectRow& a, const ProjectRow& b) {
        const bool aEmpty = a.lastTime.empty();
        const bool bEmpty = b.lastTime.empty();
        if (aEmpty != bEmpty) return aEmpty;
        if (!aEmpty) {
            if (GreaterIgnoringCase(a.lastTime, b.lastTime)) return true;
            if (GreaterIgnoringCase(b.lastTime, a.lastTime)) return false;
        }
        return a.name < b.name;
    });
}

int ProjectLibrary::NewProject(std::string_view name) {
    if (name.empty()) return -1;
    if (!IsValidProjectName(name)) {
        m_operator.Tell(kInvalidNameStringId, std::string(StringTable::Get(kInvalidNameStringId)),
                        MessageIcon::Stop);
        return -1;
    }
    const std::string path = m_doc.ProjectFilePath(name);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        m_operator.Tell(ids::kProjectExists, std::string(StringTable::Get(ids::kProjectExists)),
                        MessageIcon::Stop);
        return -1;
    }
    m_doc.ResetProject();
    m_doc.SetPathName(path);
    const int code = m_doc.SaveProject();
    if (code != kFileOk) {
        // Nothing was created: no project is open.
        m_doc.ResetProject();
        ShowFileError(code, path);
    }
    m_doc.UpdateAllViews(kHintAll);
    return code;
}

int ProjectLibrary::OpenProject(std::string_view name) {
    if (!IsValidProjectName(name)) return -1;
    const std::string path = m_doc.ProjectFilePath(name);
    const int code = m_doc.LoadProject(path);
    if (code != kFileOk)
        ShowFileError(code, path);
    else
        m_doc.SetPathName(path);
    m_doc.UpdateAllViews(kHintAll);
    return code;
}

bool ProjectLibrary::DeleteProject(std::string_view name) {
    if (!IsValidProjectName(name)) return false;
    if (!m_operator.Ask(ids::kDeleteProject, std::string(StringTable::Get(ids::kDeleteProject)),
                        MessageIcon::Question))
        return false;
    if (m_doc.ProjectName() == name) {
        m_doc.ResetProject();
        m_doc.UpdateAllViews(kHintAll);
    }
    const std::string path = m_doc.ProjectFilePath(name);
    const std::string graph =
        path.substr(0, path.size() - kExtension.size()) + std::string(kGraphSuffix);
    const bool projectGone = RemoveIfPresent(path);
    const bool graphGone = RemoveIfPresent(graph);
    return projectGone && graphGone;
}

bool ProjectLibrary::IsValidProjectName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength || name == "." || name == "..") return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}

std::string ProjectLibrary::DefaultProjectName(int year, int month, int day, int hour, int minute) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d%02d%02d_%02d%02d", year, month, day, hour, minute);
    return buffer;
}

void ProjectLibrary::ShowFileError(int code, const std::string& path) {
    if (code <= 0) return;
    const int id = ids::kFileErrorBase + code;
    const std::string text = StringTable::FormatInsert(id, path);
    if (!text.empty()) m_operator.Tell(id, text, MessageIcon::Stop);
}

}  // namespace vg28
