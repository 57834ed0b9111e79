#pragma once
// The project list ("Проекты"): the project files of the program folder with their first and
// last record times, sorted with the unrecorded ones first; opens, creates and deletes
// projects through the project library. Listing resets the document, so the project that was
// open is closed whatever the operator does. Escape does not close it: only its buttons do.

#include <QDialog>
#include <vector>

#include "project/ProjectLibrary.h"

class QTreeWidget;

namespace vg28 {
class Clock;
}

namespace vg28::ui {

class ProjectListDialog final : public QDialog {
    Q_OBJECT
public:
    // With newProject the new project dialog opens at once.
    ProjectListDialog(CProjectDoc& doc, Operator& op, Clock& clock, bool newProject,
                      QWidget* parent = nullptr);

    bool NewlyCreated() const { return m_newlyCreated; }
    QTreeWidget* List() const { return m_list; }
    // The names in the order shown.
    std::vector<std::string> ShownNames() const;

    void Fill();
    void OpenSelected();
    void NewProject();
    void DeleteSelected();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CProjectDoc& m_doc;
    Operator& m_operator;
    Clock& m_clock;
    ProjectLibrary m_library;
    QTreeWidget* m_list;
    bool m_startWithNew;
    bool m_newlyCreated = false;
    bool m_closing = false;
};

}  // namespace vg28::ui
