#pragma once
// The projects in the program folder, behind the project list: list, create, open, delete.
// All of them work through the one document; messages go to the Operator the caller passes,
// results are the file operation codes. Whenever an operation resets or loads the document it
// tells the document's observers (hint 0).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vg28 {

class CProjectDoc;
class Operator;

struct ProjectRow {
    std::string name;       // file title without its ".phj" extension (any letter case), UTF-8
    std::string firstTime;  // FormatRecordTime without seconds; empty without records
    std::string lastTime;
};

class ProjectLibrary {
public:
    ProjectLibrary(CProjectDoc& doc, Operator& op) : m_doc(doc), m_operator(op) {}

    // Every loadable project of the folder, in the list order; resets the document afterwards.
    // The extension is recognized in any letter case (files copied from Windows keep ".PHJ").
    std::vector<ProjectRow> ListProjects();
    // Rows whose last time is empty first (by name), then by last time descending; names and
    // times are compared ignoring case (Latin and Cyrillic letters).
    static void SortRows(std::vector<ProjectRow>& rows);

    // Returns the file operation code; -1 when nothing was done (empty or invalid name, name
    // taken). A name with characters CP1251 cannot hold is refused with its own message, since
    // the name goes to the instrument in CP1251. On a failed save the document is left reset,
    // with no project open.
    int NewProject(std::string_view name);
    // Returns the file operation code; -1 for an invalid name (nothing is done).
    int OpenProject(std::string_view name);
    // Asks "Удалить проект?"; true when the operator confirmed and the files are gone. Listing
    // the projects again is the caller's (it resets the document).
    bool DeleteProject(std::string_view name);

    // A project name is UTF-8 that CP1251 can hold (the instrument's encoding) and a plain file
    // name: not empty, not "." or "..", no path separator, colon or control character, short
    // enough for its file names (kMaxNameLength bytes).
    static bool IsValidProjectName(std::string_view name);
    static constexpr std::size_t kMaxNameLength = 248;  // 255 less "-ag.xml"
    // The default name of a new project: the local time as YYYYMMDD_hhmm.
    static std::string DefaultProjectName(int year, int month, int day, int hour, int minute);

    // Shows the file error box for a non-zero code.
    void ShowFileError(int code, const std::string& path);
    // Tells the operator when a typed text has characters CP1251 cannot hold; true when it
    // fits. Used for every text that is typed and then kept or sent in CP1251.
    static bool CheckFitsCp1251(Operator& op, std::string_view text);

private:
    CProjectDoc& m_doc;
    Operator& m_operator;
};

}  // namespace vg28
