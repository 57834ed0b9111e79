#pragma once
// The record table: one row per record of the open project, in the columns of the view mode
// (full, typical, custom, diagnostics), coloured by column, over a model that makes cell texts
// only for the cells being painted. It owns the table's commands: the view modes, the column
// choice, the two exports and the Data Viewer start. Mode, custom column set and the widths
// (per data index) are kept in the profile.

#include <QStringList>
#include <QTableView>

#include "project/DocObserver.h"
#include "session/Session.h"

namespace vg28 {
class CProjectDoc;
class Operator;
class Shell;
class ViewerLauncher;
}  // namespace vg28

namespace vg28::ui {

class RecordTableModel;

// The save dialog's filters from a Windows filter string ("text|pattern|text|pattern|").
QStringList NameFiltersFromWindows(const QString& filter);

class CTableView final : public QTableView, public DocObserver {
    Q_OBJECT
public:
    // The export's filter string resource.
    static const char* const kExportFilter;

    // viewer may be null (no Data Viewer); viewerRegistered enables its command.
    CTableView(CProjectDoc& doc, Operator& op, ViewerLauncher* viewer, bool viewerRegistered,
               QWidget* parent = nullptr);
    ~CTableView() override;

    // Hint 2 is ignored; every other hint takes the record count and repaints.
    void OnDocumentUpdate(int hint) override;
    // Builds the columns again (the project's sensors or the database changed).
    void Rebuild();

    int Mode() const { return m_mode; }
    std::uint64_t CustomSet() const { return m_customSet; }
    RecordTableModel* Model() const { return m_model; }

    CommandState QueryCommand(int id) const;
    bool OnCommand(int id);

    // Where the end of an export is told (the main window); none tells nothing.
    void SetShell(Shell* shell) { m_shell = shell; }

    // The commands' work, for the main window and the tests.
    void SetMode(int mode);
    void ChooseColumns();
    void ExportRecords(int markLimits);
    void StartDataViewer();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildColumns();
    void SaveWidths();
    void AnnounceExport(const std::string& path);

    CProjectDoc& m_doc;
    Operator& m_operator;
    ViewerLauncher* m_viewer;
    Shell* m_shell = nullptr;
    bool m_viewerRegistered;
    RecordTableModel* m_model;
    int m_mode = 0;
    std::uint64_t m_customSet = 0;
};

}  // namespace vg28::ui
