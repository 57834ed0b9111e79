// Qt's own texts (standard buttons, the file dialog) in the program's language, and where the
// translation catalogue is looked for.

#include <gtest/gtest.h>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QScreen>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "qtcommon/QtTranslations.h"
#include "session/CommandIds.h"

namespace vg28::test {
namespace {

QString SystemCatalogue() {
    return QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        .filePath(QStringLiteral("qtbase_ru.qm"));
}

// The export's save dialog, as the program opens it from the record table.
void OpenExportDialog(RunningTerminal& t, std::function<void(QFileDialog&)> look) {
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Теплица",
                                        {{0, "TA 1"}, {9, "KWS/AT"}},
                                        {"2026-12-07 10:00:00;S1;21.5;S10;22.4"}));
    t.Frame().ShowRecordTable();
    AnswerModal(QString(), [look](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        ASSERT_NO_FATAL_FAILURE(look(*dialog));
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    bool ran = false;
    ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kExportMarked));
    ASSERT_TRUE(ran);
    EXPECT_EQ(UnansweredModals(), 0);
}

// Guards against Qt's standard buttons and the export's file dialog speaking English beside
// the program's Russian texts.
TEST(QtTexts, StandardButtonsAndFileDialogSpeakRussian) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    EXPECT_EQ(t.App().QtTexts().LoadedFile(), SystemCatalogue());
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), QStringLiteral("Сохранить"));
    const auto speaksRussian = [](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сохранить как"));
        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
        const struct {
            const char* label;
            const char* text;
        } labels[] = {{"lookInLabel", "Перейти к:"},
                      {"fileNameLabel", "&Имя файла:"},
                      {"fileTypeLabel", "Типы файлов:"}};
        for (const auto& row : labels) {
            auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(row.label));
            ASSERT_NE(label, nullptr) << row.label;
            EXPECT_EQ(label->text(), QString::fromUtf8(row.text)) << row.label;
        }
    };
    ASSERT_NO_FATAL_FAILURE(OpenExportDialog(t, speaksRussian));
}

// Guards against a package's own catalogue beside the program being passed over for the
// system's, or the search missing Qt's translations folder.
TEST(QtTexts, CatalogueBesideTheProgramComesFirst) {
    EXPECT_EQ(QtTranslations::SearchFolders(QStringLiteral("/opt/vg28/bin/vg28-terminal")),
              QStringList({QStringLiteral("/opt/vg28/bin/translations"),
                           QStringLiteral("/opt/vg28/share/qt6/translations"),
                           QDir::cleanPath(QLibraryInfo::path(QLibraryInfo::TranslationsPath))}));
    QString beside;
    RunningTerminal t([&beside](UiProgramFolder& folder) {
        const QDir program(QString::fromStdString(folder.Path()));
        ASSERT_TRUE(program.mkpath(QStringLiteral("translations")));
        beside = program.filePath(QStringLiteral("translations/qtbase_ru.qm"));
        ASSERT_TRUE(QFile::copy(SystemCatalogue(), beside));
    });
    ASSERT_TRUE(t.Started());
    EXPECT_EQ(t.App().QtTexts().LoadedFile(), beside);
}

// Not a test: the export dialog as the program shows it, written to the folder named by
// VG28_SHOT_DIR. Run under xvfb-run with QT_QPA_PLATFORM=xcb.
TEST(Shots, DISABLED_ExportDialog) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("VG28_SHOT_DIR"));
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    t.Frame().resize(900, 600);
    const auto save = [](QFileDialog& dialog) {
        RunningTerminal::Pump(300);
        const QString folder = qEnvironmentVariable("VG28_SHOT_DIR");
        dialog.grab().save(QDir(folder).filePath(QStringLiteral("export-dialog-ru.png")));
        dialog.screen()->grabWindow(0).save(
            QDir(folder).filePath(QStringLiteral("export-dialog-ru-screen.png")));
    };
    ASSERT_NO_FATAL_FAILURE(OpenExportDialog(t, save));
}

}  // namespace
}  // namespace vg28::test
