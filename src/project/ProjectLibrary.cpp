#include "project/ProjectLibrary.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>

#include "base/Operator.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/DocObserver.h"

namespace vg28 {

namespace {

constexpr std::string_view kExtension = ".phj";
constexpr std::string_view kGraphSuffix = "-ag.xml";

// The project name of a file name: the title before an extension ".phj" in any letter case.
bool ProjectNameOfFile(std::string_view file, std::string& name) {
    if (file.size() <= kExtension.size()) return false;
    const std::string_view extension = file.substr(file.size() - kExtension.size());
    if (TextCase::CompareUtf8(extension, kExtension) != 0) return false;
    name = std::string(file.substr(0, file.size() - kExtension.size()));
    return true;
}

bool RemoveIfPresent(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace

std::vector<ProjectRow> ProjectLibrary::ListProjects() {
    std::vector<ProjectRow> rows;
    // A name whose file exists with two spellings of the extension is one project.
    std::set<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(m_doc.ProgramFolder(), error), end;
         !error && it != end; it.increment(error)) {
        std::string name;
        if (ProjectNameOfFile(it->path().filename().string(), name) && IsValidProjectName(name))
            names.insert(std::move(name));
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
            if (const int order = TextCase::CompareUtf8(a.lastTime, b.lastTime); order != 0)
                return order > 0;
        }
        if (const int order = TextCase::CompareUtf8(a.name, b.name); order != 0) return order < 0;
        return a.name < b.name;  // names equal but for case: a fixed order all the same
    });
}

int ProjectLibrary::NewProject(std::string_view name) {
    if (name.empty()) return -1;
    if (!CheckFitsCp1251(m_operator, name)) return -1;
    if (!IsValidProjectName(name)) {
        m_operator.Tell(ids::kInvalidProjectName,
                        std::string(StringTable::Get(ids::kInvalidProjectName)), MessageIcon::Stop);
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
    if (!m_operator.Ask(ids::kAskDeleteProject,
                        std::string(StringTable::Get(ids::kAskDeleteProject)),
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
    if (!TextCodec::FitsCp1251(name)) return false;
    // Every character has a CP1251 byte, so the code points are those of the bytes.
    for (const char c : TextCodec::Utf8ToCp1251(name)) {
        const char32_t code = TextCodec::CodePointOf(static_cast<unsigned char>(c));
        const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);  // C0, DEL, C1
        // Characters no Windows file name may hold; '"' would also end the quoted name of the
        // instrument's project request early.
        if (control || std::string_view("/\\:\"<>|?*").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

std::string ProjectLibrary::DefaultProjectName(int year, int month, int day, int hour, int minute) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d%02d%02d_%02d%02d", year, month, day, hour, minute);
    return buffer;
}

bool ProjectLibrary::CheckFitsCp1251(Operator& op, std::string_view text) {
    if (TextCodec::FitsCp1251(text)) return true;
    op.Tell(ids::kUnencodableProjectName,
            StringTable::FormatInsert(ids::kUnencodableProjectName,
                                      TextCodec::CharactersOutsideCp1251(text)),
            MessageIcon::Stop);
    return false;
}

void ProjectLibrary::ShowFileError(int code, const std::string& path) {
    if (code <= 0) return;
    const int id = ids::kFileErrorBase + code;
    const std::string text = StringTable::FormatInsert(id, path);
    if (!text.empty()) m_operator.Tell(id, text, MessageIcon::Stop);
}

}  // namespace vg28
