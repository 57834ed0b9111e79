#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/FixedText.h"
#include "platform/Locale.h"
#include "project/ProjectBuilders.h"
#include "project/ProjectLibrary.h"
#include "support/RecordingOperator.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

struct LibraryFixture : TestProject {
    LibraryFixture() : library(*doc, op) {
        saved = Locale::Current();
        Locale::SetCurrent(Locale('.', "%Y-%m-%d", "%H:%M:%S"));
    }
    ~LibraryFixture() { Locale::SetCurrent(saved); }

    // A project file with records at the given hours of 2011-01-18 (none: no records).
    void WriteProject(const std::string& name, std::vector<int> hours) {
        std::vector<MeasurementRecord> records;
        for (int hour : hours)
            records.push_back(MakeRecord(2011, 1, 18, hour, 0, 0));
        folder.WriteFile(name + ".phj", ProjectFileBytes(ProjectSetup{}, records));
    }

    RecordingOperator op;
    ProjectLibrary library;
    Locale saved;
};

// Guards against a wrong list order, damaged or foreign files in the list, and the open project
// staying open after listing.
TEST(ProjectLibrary, ListShowsLoadableProjectsInListOrder) {
    LibraryFixture f;
    f.WriteProject("b-empty", {});
    f.WriteProject("a-empty", {});
    f.WriteProject("early", {8, 9});
    f.WriteProject("late", {12, 10});
    f.folder.WriteFile("damaged.phj", "EXPR");
    f.folder.WriteFile("notes.txt", "x");
    f.folder.WriteFile(".phj", "x");
    std::filesystem::create_directory(f.folder.File("folder.phj"));
    ASSERT_EQ(f.library.OpenProject("late"), kFileOk);

    const std::vector<ProjectRow> rows = f.library.ListProjects();
    std::vector<std::string> names;
    for (const ProjectRow& row : rows)
        names.push_back(row.name);
    EXPECT_EQ(names, std::vector<std::string>({"a-empty", "b-empty", "late", "early"}));
    EXPECT_EQ(rows[2].firstTime, "2011-01-18  10:00");
    EXPECT_EQ(rows[2].lastTime, "2011-01-18  12:00");
    EXPECT_EQ(rows[0].lastTime, "");
    EXPECT_FALSE(f.doc->HasProject());
    EXPECT_TRUE(f.doc->records.empty());
    EXPECT_TRUE(f.op.Messages().empty());
}

// Guards against a case-sensitive comparison of the time texts or a wrong direction.
TEST(ProjectLibrary, SortRowsComparesLastTimesDescendingIgnoringCase) {
    std::vector<ProjectRow> rows = {{"x", "", "jan 02"},
                                    {"b", "", ""},
                                    {"y", "", "Feb 01"},
                                    {"a", "", ""},
                                    {"z", "", "JAN 03"}};
    ProjectLibrary::SortRows(rows);
    std::vector<std::string> names;
    for (const ProjectRow& row : rows)
        names.push_back(row.name);
    EXPECT_EQ(names, std::vector<std::string>({"a", "b", "z", "x", "y"}));
}

// Guards against overwriting an existing project and against a new project not inheriting the
// last saved setup (without its notes).
TEST(ProjectLibrary, NewProjectRefusesTakenNamesAndInheritsTheTemplate) {
    LibraryFixture f;
    ASSERT_EQ(f.library.NewProject("first"), kFileOk);
    f.doc->setup.period = 60;
    CopyText(f.doc->setup.sensorIds[0], "T 1");
    CopyText(f.doc->setup.notes[0], "leaf");
    ASSERT_EQ(f.doc->SaveProject(), kFileOk);
    int added = 0;
    ASSERT_TRUE(f.doc->AddRecordLine("2011-01-18 10:00:00;S1;1", added));
    const std::string before = f.folder.ReadFile("first.phj");

    EXPECT_EQ(f.library.NewProject("first"), -1);
    ASSERT_EQ(f.op.Messages().size(), 1u);
    EXPECT_EQ(f.op.Messages()[0].stringId, ids::kProjectExists);
    EXPECT_EQ(f.op.Messages()[0].text,
              "Проект с таким именем уже существует!\nУкажите другое имя.");
    EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Stop);
    EXPECT_EQ(f.folder.ReadFile("first.phj"), before);
    EXPECT_EQ(f.doc->ProjectName(), "first");
    EXPECT_EQ(f.doc->records.size(), 1u);

    ASSERT_EQ(f.library.NewProject("second"), kFileOk);
    EXPECT_EQ(f.doc->ProjectName(), "second");
    EXPECT_TRUE(f.doc->records.empty());
    EXPECT_EQ(f.doc->setup.period, 60);
    EXPECT_EQ(TextOf(f.doc->setup.sensorIds[0]), "T 1");
    EXPECT_EQ(TextOf(f.doc->setup.notes[0]), "");
    EXPECT_EQ(f.folder.ReadFile("second.phj").size(), 5952u);
}

// Guards against names that escape the program folder or cannot be file names.
TEST(ProjectLibrary, InvalidNamesAreRefused) {
    const std::vector<std::string> invalid = {"",           ".",
                                              "..",         "../x",
                                              "a/b",        "a\\b",
                                              "c:x",        std::string("a\0b", 3),
                                              "tab\there",  std::string(249, 'n'),
                                              "say \"hi\"", "a<b",
                                              "a>b",        "a|b",
                                              "what?",      "a*"};
    for (const std::string& name : invalid) {
        SCOPED_TRACE(name);
        LibraryFixture f;
        EXPECT_FALSE(ProjectLibrary::IsValidProjectName(name));
        EXPECT_EQ(f.library.NewProject(name), -1);
        EXPECT_EQ(f.library.OpenProject(name), -1);
        EXPECT_FALSE(f.library.DeleteProject(name));
        EXPECT_EQ(f.folder.Files(), std::vector<std::string>());
        if (!name.empty()) {
            ASSERT_EQ(f.op.Messages().size(), 1u);
            EXPECT_EQ(f.op.Messages()[0].stringId, ids::kInvalidProjectName);
            EXPECT_FALSE(f.op.Messages()[0].text.empty());
        }
    }
    for (const std::string& name :
         std::vector<std::string>{"20110118_1530", "Проект 1", std::string(248, 'n')})
        EXPECT_TRUE(ProjectLibrary::IsValidProjectName(name)) << name;
}

// Guards against file errors not reported, reported with the wrong text, or a project left open
// after a failure.
TEST(ProjectLibrary, FileErrorsAreShownWithThePath) {
    LibraryFixture f;
    f.folder.WriteFile("bad.phj", std::string("EXPR\x01\x00\x03\x00", 8));
    EXPECT_EQ(f.library.OpenProject("missing"), kFileCannotOpen);
    EXPECT_EQ(f.library.OpenProject("bad"), kFileWrongFormat);
    ASSERT_EQ(f.op.Messages().size(), 2u);
    EXPECT_EQ(f.op.Messages()[0].stringId, 10007);
    EXPECT_EQ(f.op.Messages()[0].text, "Ошибка открытия файла!\n\n" + f.folder.File("missing.phj"));
    EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Stop);
    EXPECT_EQ(f.op.Messages()[1].text,
              "Ошибка загрузки - неправильный формат!\n\n" + f.folder.File("bad.phj") + "\n");
    EXPECT_FALSE(f.doc->HasProject());

    f.library.ShowFileError(kFileWriteError, "/x.phj");
    EXPECT_EQ(f.op.Messages().back().text,
              "Ошибка записи - сохранение файла невозможна!\n\n/x.phj");
    f.library.ShowFileError(kFileOk, "/x.phj");
    EXPECT_EQ(f.op.Messages().size(), 3u);
}

// Guards against deleting without confirmation, keeping a deleted project open, closing another
// open project, or leaving the graph script behind.
TEST(ProjectLibrary, DeleteAsksAndRemovesProjectAndGraphScript) {
    LibraryFixture f;
    f.WriteProject("keep", {10});
    f.WriteProject("gone", {});
    f.folder.WriteFile("gone-ag.xml", "<x/>");
    ASSERT_EQ(f.library.OpenProject("keep"), kFileOk);

    f.op.SetDefault(Answer::No);
    EXPECT_FALSE(f.library.DeleteProject("gone"));
    EXPECT_TRUE(f.folder.Exists("gone.phj"));
    ASSERT_EQ(f.op.Messages().size(), 1u);
    EXPECT_EQ(f.op.Messages()[0].stringId, ids::kAskDeleteProject);
    EXPECT_EQ(f.op.Messages()[0].text, "Удалить проект?");
    EXPECT_EQ(f.op.Messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Question);

    f.op.SetDefault(Answer::Yes);
    EXPECT_TRUE(f.library.DeleteProject("gone"));
    EXPECT_FALSE(f.folder.Exists("gone.phj"));
    EXPECT_FALSE(f.folder.Exists("gone-ag.xml"));
    EXPECT_EQ(f.doc->ProjectName(), "keep");
    EXPECT_EQ(f.doc->records.size(), 1u);

    EXPECT_TRUE(f.library.DeleteProject("keep"));
    EXPECT_FALSE(f.doc->HasProject());
    EXPECT_TRUE(f.doc->records.empty());
    EXPECT_TRUE(f.library.DeleteProject("never-existed"));
}

// Guards against project files copied from Windows (".PHJ", any letter case) missing from the
// list or failing to open, a second file of the same name beside them, and their graph script
// left behind on delete.
TEST(ProjectLibrary, ExtensionInAnyLetterCase) {
    LibraryFixture f;
    f.WriteProject("Upper", {10});
    std::filesystem::rename(f.folder.File("Upper.phj"), f.folder.File("Upper.PHJ"));
    f.WriteProject("mixed", {});
    std::filesystem::rename(f.folder.File("mixed.phj"), f.folder.File("mixed.Phj"));
    f.WriteProject("lower", {});
    f.folder.WriteFile("Upper-ag.xml", "<x/>");

    std::vector<std::string> names;
    for (const ProjectRow& row : f.library.ListProjects())
        names.push_back(row.name);
    EXPECT_EQ(names, std::vector<std::string>({"lower", "mixed", "Upper"}));

    ASSERT_EQ(f.library.OpenProject("Upper"), kFileOk);
    EXPECT_EQ(f.doc->PathName(), f.folder.File("Upper.PHJ"));
    EXPECT_EQ(f.doc->ProjectName(), "Upper");
    EXPECT_EQ(f.doc->records.size(), 1u);
    ASSERT_EQ(f.library.OpenProject("mixed"), kFileOk);
    EXPECT_EQ(f.library.NewProject("Upper"), -1);
    ASSERT_EQ(f.op.Messages().size(), 1u);
    EXPECT_EQ(f.op.Messages()[0].stringId, ids::kProjectExists);
    EXPECT_FALSE(f.folder.Exists("Upper.phj"));

    f.op.SetDefault(Answer::Yes);
    EXPECT_TRUE(f.library.DeleteProject("Upper"));
    EXPECT_FALSE(f.folder.Exists("Upper.PHJ"));
    EXPECT_FALSE(f.folder.Exists("Upper-ag.xml"));
    EXPECT_EQ(f.folder.Files(), std::vector<std::string>({"lower.phj", "mixed.Phj"}));
}

// Guards against a name order that puts capitals first ("Zeta" before "b") or keeps the byte
// order of Cyrillic letters ("Поле" before "агат").
TEST(ProjectLibrary, RowsWithoutRecordsSortByNameIgnoringCase) {
    std::vector<ProjectRow> rows;
    for (const char* name : {"яблоко", "поле", "b", "Поле", "Zeta", "агат", "A", "Ёлка", "Жук"})
        rows.push_back({name, "", ""});
    rows.push_back({"recorded", "", "2011-01-18  10:00"});
    ProjectLibrary::SortRows(rows);
    std::vector<std::string> names;
    for (const ProjectRow& row : rows)
        names.push_back(row.name);
    // "Поле" and "поле" are equal ignoring case; their bytes keep the order fixed.
    EXPECT_EQ(names, std::vector<std::string>({"A", "b", "Zeta", "агат", "Ёлка", "Жук", "Поле",
                                               "поле", "яблоко", "recorded"}));
}

// Guards against a name that CP1251 cannot hold being created (it would reach the instrument
// as question marks), refused without saying which characters, or a Cyrillic name stored in
// anything but UTF-8; files named otherwise (raw bytes of an older copy) are no projects.
TEST(ProjectLibrary, NamesMustFitTheInstrumentsEncoding) {
    const struct {
        const char* name;
        std::string text;
        std::string shown;  // the characters the message names
    } refused[] = {
        {"CJK", "名前", "名前"},
        {"emoji", "Поле \xF0\x9F\x8C\xB1", "\xF0\x9F\x8C\xB1"},
        {"malformed", "\xD2\xE5\xEF", "\xEF\xBF\xBD"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        LibraryFixture f;
        EXPECT_FALSE(ProjectLibrary::IsValidProjectName(r.text));
        EXPECT_EQ(f.library.NewProject(r.text), -1);
        EXPECT_EQ(f.folder.Files(), std::vector<std::string>());
        ASSERT_EQ(f.op.Messages().size(), 1u);
        EXPECT_EQ(f.op.Messages()[0].stringId, ids::kUnencodableProjectName);
        EXPECT_EQ(f.op.Messages()[0].text,
                  "Недопустимые символы: \"" + r.shown +
                      "\"\n\nVG-28 хранит тексты в кодировке Windows-1251.\nИспользуйте русские "
                      "или латинские буквы, цифры и знаки препинания.");
        EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Stop);
        EXPECT_FALSE(f.doc->HasProject());
    }

    LibraryFixture f;
    ASSERT_EQ(f.library.NewProject("Теплица"), kFileOk);
    EXPECT_EQ(f.doc->ProjectName(), "Теплица");
    EXPECT_TRUE(f.folder.Exists("Теплица.phj"));
    f.WriteProject("\xD2\xE5\xEF", {});  // "Теп" in CP1251, as an older copy named it
    std::vector<std::string> names;
    for (const ProjectRow& row : f.library.ListProjects())
        names.push_back(row.name);
    EXPECT_EQ(names, std::vector<std::string>({"Теплица"}));
    ASSERT_EQ(f.library.OpenProject("Теплица"), kFileOk);
    EXPECT_EQ(f.library.OpenProject("\xD2\xE5\xEF"), -1);
}

// Guards against a two-digit year or missing zero padding in the default name.
TEST(ProjectLibrary, DefaultNameIsTheLocalTime) {
    EXPECT_EQ(ProjectLibrary::DefaultProjectName(2011, 1, 18, 15, 30), "20110118_1530");
    EXPECT_EQ(ProjectLibrary::DefaultProjectName(2026, 12, 7, 0, 5), "20261207_0005");
}

}  // namespace
}  // namespace vg28::test
