#include "ui/ProjectListDialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/Clock.h"
#include "ui/DialogButtons.h"
#include "ui/NewProjectDialog.h"
#include "ui/QtOperator.h"

namespace vg28::ui {

ProjectListDialog::ProjectListDialog(CProjectDoc& doc, Operator& op, Clock& clock, bool newProject,
                                     QWidget* parent)
    : QDialog(parent),
      m_doc(doc),
      m_operator(op),
      m_clock(clock),
      m_library(doc, op),
      m_list(new QTreeWidget),
      m_startWithNew(newProject) {
    setObjectName(QStringLiteral("projectListDialog"));
    setWindowTitle(QStringLiteral("Проекты"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Список проектов")));
    m_list->setObjectName(QStringLiteral("projectList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSortingEnabled(false);
    m_list->setHeaderLabels({QStringLiteral("Проект"), QStringLiteral("Первая запись"),
                             QStringLiteral("Последняя запись")});
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    for (int c = 0; c < 3; ++c)
        m_list->setColumnWidth(c, 130);
    m_list->setMinimumSize(3 * 130 + 6, 240);
    m_list->installEventFilter(this);
    left->addWidget(m_list);
    layout->addLayout(left);

    auto* buttons = new QVBoxLayout;
    buttons->addSpacing(m_list->fontMetrics().height() + 6);
    connect(AddDialogButton(buttons, "&Открыть", "open", true), &QPushButton::clicked, this,
            &ProjectListDialog::OpenSelected);
    connect(AddDialogButton(buttons, "&Новый", "new"), &QPushButton::clicked, this,
            &ProjectListDialog::NewProject);
    connect(AddDialogButton(buttons, "&Удалить", "delete"), &QPushButton::clicked, this,
            &ProjectListDialog::DeleteSelected);
    buttons->addStretch();
    connect(AddDialogButton(buttons, "&Закрыть", "close"), &QPushButton::clicked, this, [this] {
        m_closing = true;
        reject();
    });
    layout->addLayout(buttons);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &ProjectListDialog::OpenSelected);
    Fill();
}

void ProjectListDialog::Fill() {
    std::vector<ProjectRow> rows = m_library.ListProjects();
    ProjectLibrary::SortRows(rows);
    m_list->clear();
    for (const ProjectRow& row : rows) {
        auto* item = new QTreeWidgetItem(
            {FromUtf8(row.name), FromUtf8(row.firstTime), FromUtf8(row.lastTime)});
        item->setData(0, Qt::UserRole, QByteArray::fromStdString(row.name));
        m_list->addTopLevelItem(item);
    }
}

std::vector<std::string> ProjectListDialog::ShownNames() const {
    std::vector<std::string> names;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        names.push_back(m_list->topLevelItem(i)->data(0, Qt::UserRole).toByteArray().toStdString());
    return names;
}

void ProjectListDialog::OpenSelected() {
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected()) return;
    const std::string name = item->data(0, Qt::UserRole).toByteArray().toStdString();
    if (m_library.OpenProject(name) == 0) {
        m_newlyCreated = false;
        accept();
    }
}

void ProjectListDialog::NewProject() {
    const LocalTime now = m_clock.Local();
    const QString proposed = FromUtf8(
        ProjectLibrary::DefaultProjectName(now.year, now.month, now.day, now.hour, now.minute));
    NewProjectDialog dialog(
        proposed, m_operator,
        [this](const std::string& name) { return m_library.NewProject(name); }, this);
    if (dialog.exec() == QDialog::Accepted) {
        m_newlyCreated = true;
        accept();
    }
}

void ProjectListDialog::DeleteSelected() {
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected()) return;
    m_library.DeleteProject(item->data(0, Qt::UserRole).toByteArray().toStdString());
    Fill();
}

void ProjectListDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_startWithNew) {
        m_startWithNew = false;
        QTimer::singleShot(0, this, &ProjectListDialog::NewProject);
    }
}

bool ProjectListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ProjectListDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

void ProjectListDialog::reject() {
    // Escape and the window's close box do nothing; "&Закрыть" closes.
    if (!m_closing) return;
    m_closing = false;
    QDialog::reject();
}

}  // namespace vg28::ui
