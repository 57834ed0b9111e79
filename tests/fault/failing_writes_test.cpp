#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graph/GraphScript.h"
#include "platform/FileFaults.h"
#include "platform/FixedText.h"
#include "project/ProjectBuilders.h"
#include "project/ProjectLibrary.h"
#include "project/RecordExport.h"
#include "project/TableColumns.h"
#include "support/RecordingOperator.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

const std::string kOpenError = "Ошибка открытия файла!\n\n";
const std::string kWriteError = "Ошибка записи - сохранение файла невозможна!\n\n";

// One writer under a failing disk: the constructor makes the old state without faults, Write
// runs the write under test and says whether it reported success, Check looks at the files.
class WriteCase {
public:
    virtual ~WriteCase() = default;
    virtual bool Write() = 0;
    virtual void Check(bool reportedOk) = 0;
    virtual const TempFolder& Folder() const = 0;
};

void ExpectNoTemporaryFiles(const TempFolder& folder) {
    for (const std::string& name : folder.Files())
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

// Runs the write once to count its file operations, then once for every operation failing,
// first only that one and then that one and all after it.
void ForEveryFailure(const std::function<std::unique_ptr<WriteCase>()>& make) {
    int operations = 0;
    {
        auto clean = make();
        FileFaults counter;
        ASSERT_TRUE(clean->Write());
        operations = counter.Count();
        ASSERT_NO_FATAL_FAILURE(clean->Check(true));
    }
    ASSERT_GT(operations, 2);
    for (const bool forGood : {false, true}) {
        for (int k = 1; k <= operations; ++k) {
            SCOPED_TRACE(std::string(forGood ? "for good" : "once") + " from operation " +
                         std::to_string(k) + " of " + std::to_string(operations));
            auto c = make();
            bool ok = false;
            {
                FileFaults faults(k, forGood);
                ok = c->Write();
                EXPECT_GE(faults.Failures(), 1);
            }
            ASSERT_NO_FATAL_FAILURE(c->Check(ok));
            ExpectNoTemporaryFiles(c->Folder());
        }
    }
}

std::vector<MeasurementRecord> Sorted(std::vector<MeasurementRecord> records) {
    std::sort(records.begin(), records.end(), CProjectDoc::RecordLess);
    return records;
}

bool SameRecords(const std::vector<MeasurementRecord>& a, const std::vector<MeasurementRecord>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 832) == 0);
}

// A project of two records saved; the write saves it with a changed setup and a third record.
class ProjectSave : public WriteCase {
public:
    ProjectSave() {
        doc.SetPathName(fixture.folder.File("p.phj"));
        doc.records = {MakeRecord(2011, 1, 18, 9, 0, 0, 1), MakeRecord(2011, 1, 18, 10, 0, 0, 2)};
        EXPECT_EQ(doc.SaveProject(), kFileOk);
        oldSetup = doc.setup;
        oldRecords = doc.records;
        oldFile = fixture.folder.ReadFile("p.phj");
        doc.setup.period = 900;
        CopyText(doc.setup.notes[0], "north wall");
        doc.records.push_back(MakeRecord(2011, 1, 18, 11, 0, 0, 3));
    }
    bool Write() override {
        code = doc.SaveProject();
        return code == kFileOk;
    }
    void Check(bool ok) override {
        if (!ok) {
            EXPECT_TRUE(code == kFileCannotOpen || code == kFileWriteError) << code;
            EXPECT_EQ(fixture.folder.ReadFile("p.phj"), oldFile);
        }
        TestProject reader;
        reader.folder.WriteFile("p.phj", fixture.folder.ReadFile("p.phj"));
        ASSERT_EQ(reader.doc->LoadProject(reader.folder.File("p.phj")), kFileOk);
        const ProjectSetup& expected = ok ? doc.setup : oldSetup;
        EXPECT_EQ(std::memcmp(&reader.doc->setup, &expected, sizeof expected), 0);
        EXPECT_TRUE(SameRecords(reader.doc->records, ok ? Sorted(doc.records) : oldRecords));
        // The template of the next project is the old one or the new one, never damaged.
        ProjectSetup stored{};
        ASSERT_TRUE(fixture.profile.GetBinary("Project", "Default", &stored, sizeof stored));
        EXPECT_TRUE(std::memcmp(&stored, &doc.setup, sizeof stored) == 0 ||
                    std::memcmp(&stored, &oldSetup, sizeof stored) == 0);
    }
    const TempFolder& Folder() const override { return fixture.folder; }

    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    ProjectSetup oldSetup{};
    std::vector<MeasurementRecord> oldRecords;
    std::string oldFile;
    int code = -1;
};

// A new project: either it is there complete, or there is none and the operator was told.
class NewProject : public WriteCase {
public:
    bool Write() override {
        code = ProjectLibrary(doc, op).NewProject("p");
        return code == kFileOk;
    }
    void Check(bool ok) override {
        const std::string path = fixture.folder.File("p.phj");
        if (ok) {
            EXPECT_TRUE(op.Messages().empty());
            EXPECT_EQ(fixture.folder.ReadFile("p.phj").size(), 5952u);
            EXPECT_TRUE(doc.HasProject());
            return;
        }
        EXPECT_FALSE(fixture.folder.Exists("p.phj"));
        EXPECT_FALSE(doc.HasProject());
        ASSERT_EQ(op.Messages().size(), 1u);
        EXPECT_EQ(op.Messages()[0].icon, MessageIcon::Stop);
        if (code == kFileCannotOpen) {
            EXPECT_EQ(op.Messages()[0].stringId, 10007);
            EXPECT_EQ(op.Messages()[0].text, kOpenError + path);
        } else {
            EXPECT_EQ(code, kFileWriteError);
            EXPECT_EQ(op.Messages()[0].stringId, 10009);
            EXPECT_EQ(op.Messages()[0].text, kWriteError + path);
        }
    }
    const TempFolder& Folder() const override { return fixture.folder; }

    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    RecordingOperator op;
    int code = -1;
};

// A project of two records gets a third by append. When the append fails, the file still
// loads with its two records, and the next append brings every record of memory to the file.
class RecordAppend : public WriteCase {
public:
    RecordAppend() {
        doc.SetPathName(fixture.folder.File("p.phj"));
        doc.records = {MakeRecord(2011, 1, 18, 9, 0, 0, 1), MakeRecord(2011, 1, 18, 10, 0, 0, 2)};
        EXPECT_EQ(doc.SaveProject(), kFileOk);
        oldRecords = doc.records;
    }
    bool Write() override {
        doc.records.push_back(MakeRecord(2011, 1, 18, 11, 0, 0, 3));
        return doc.AppendLastRecord() == kFileOk;
    }
    std::vector<MeasurementRecord> Stored() {
        TestProject reader;
        reader.folder.WriteFile("p.phj", fixture.folder.ReadFile("p.phj"));
        EXPECT_EQ(reader.doc->LoadProject(reader.folder.File("p.phj")), kFileOk);
        return reader.doc->records;
    }
    void Check(bool ok) override {
        // A failure may come after the record reached the file (its flush failed): then the
        // file is complete, and the next append must not take the record twice.
        const std::vector<MeasurementRecord> stored = Stored();
        EXPECT_TRUE(SameRecords(stored, doc.records) || (!ok && SameRecords(stored, oldRecords)));
        // The disk works again: the next record's append leaves nothing behind.
        doc.records.push_back(MakeRecord(2011, 1, 18, 12, 0, 0, 4));
        ASSERT_EQ(doc.AppendLastRecord(), kFileOk);
        EXPECT_TRUE(SameRecords(Stored(), doc.records));
        EXPECT_EQ(fixture.folder.ReadFile("p.phj").size(), 5952u + 4 * 832);
    }
    const TempFolder& Folder() const override { return fixture.folder; }

    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    std::vector<MeasurementRecord> oldRecords;
};

// "sensors.dat" of two sensors is saved with a third.
class SensorsSave : public WriteCase {
public:
    SensorsSave() {
        database = MakeSensorDatabase(folder, {{.id = "T 1",
                                                .description = "T 1",
                                                .precision = 2,
                                                .minimum = 0,
                                                .maximum = 100,
                                                .type = "T"},
                                               {.id = "KWS/AT",
                                                .description = "KWS/AT",
                                                .precision = 2,
                                                .minimum = 0,
                                                .maximum = 100,
                                                .type = "KWS/AT"}});
        oldFile = folder.ReadFile("sensors.dat");
        database.Append(MakeSensor({.id = "Em50/RH",
                                    .description = "Em50/RH",
                                    .precision = 1,
                                    .minimum = 0.0,
                                    .maximum = 100.0,
                                    .type = "Em50/RH",
                                    .coefficients = {0.0, 1.0}}));
    }
    bool Write() override { return database.Save(folder.File("sensors.dat")); }
    void Check(bool ok) override {
        if (!ok) {
            EXPECT_EQ(folder.ReadFile("sensors.dat"), oldFile);
        }
        SensorDatabase loaded;
        ASSERT_TRUE(loaded.Load(folder.File("sensors.dat")));
        ASSERT_EQ(loaded.Count(), ok ? 3u : 2u);
        EXPECT_EQ(std::memcmp(loaded.Records().data(), database.Records().data(),
                              loaded.Count() * sizeof(SensorRecord)),
                  0);
    }
    const TempFolder& Folder() const override { return folder; }

    TempFolder folder;
    SensorDatabase database;
    std::string oldFile;
};

// The settings file gets a new project template; its other keys stay.
class SettingsWrite : public WriteCase {
public:
    SettingsWrite() {
        EXPECT_TRUE(profile.WriteInt("Layout", "Left", 40));
        EXPECT_TRUE(profile.WriteString("Graph", "GraphScript", "wscript x.js"));
        oldFile = folder.ReadFile("vg28.ini");
        for (std::size_t i = 0; i < sizeof setup; ++i)
            reinterpret_cast<unsigned char*>(&setup)[i] = static_cast<unsigned char>(i * 7);
    }
    bool Write() override {
        return profile.WriteBinary("Project", "Default", &setup, sizeof setup);
    }
    void Check(bool ok) override {
        if (!ok) {
            EXPECT_EQ(folder.ReadFile("vg28.ini"), oldFile);
        }
        ProjectSetup stored{};
        EXPECT_EQ(profile.GetBinary("Project", "Default", &stored, sizeof stored), ok);
        if (ok) {
            EXPECT_EQ(std::memcmp(&stored, &setup, sizeof setup), 0);
        }
        EXPECT_EQ(profile.GetInt("Layout", "Left", 0), 40);
        EXPECT_EQ(profile.GetString("Graph", "GraphScript"), "wscript x.js");
    }
    const TempFolder& Folder() const override { return folder; }

    TempFolder folder;
    Profile profile{folder.File("vg28.ini")};
    ProjectSetup setup{};
    std::string oldFile;
};

// A project of a few records, for the export and the graph script.
void FillProject(TestProject& project) {
    project.AddSensor({"T 1", "Temp", "C", 2, -40.0, 60.0});
    project.SetChannel(0, "T 1");
    for (int i = 0; i < 40; ++i)
        project.AddRecord(2011, 1, 18, 9 + i / 6, (i % 6) * 10, 0, {{0, i == 7 ? 60.0 : i * 0.5}});
}

// An export of all records is written again with the limit marks.
class ExportWrite : public WriteCase {
public:
    ExportWrite() {
        FillProject(project);
        columns.Build(*project.doc, 0, TableColumns::kAllColumns);
        EXPECT_EQ(ExportRecords(*project.doc, columns, project.folder.File("expected.csv"), 1), 0);
        expected = project.folder.ReadFile("expected.csv");
        EXPECT_EQ(ExportRecords(*project.doc, columns, path, 0), 0);
        oldFile = project.folder.ReadFile("out.csv");
        EXPECT_NE(oldFile, expected);
    }
    bool Write() override {
        code = ExportRecords(*project.doc, columns, path, 1);
        return code == kFileOk;
    }
    void Check(bool ok) override {
        EXPECT_EQ(project.folder.ReadFile("out.csv"), ok ? expected : oldFile);
        if (ok) return;
        // What the export's caller shows for the code.
        RecordingOperator op;
        ProjectLibrary(*project.doc, op).ShowFileError(code, path);
        ASSERT_EQ(op.Messages().size(), 1u);
        EXPECT_EQ(op.Messages()[0].text,
                  (code == kFileCannotOpen ? kOpenError : kWriteError) + path);
    }
    const TempFolder& Folder() const override { return project.folder; }

    TestProject project{"demo"};
    TableColumns columns;
    std::string path = project.folder.File("out.csv");
    std::string expected;
    std::string oldFile;
    int code = -1;
};

// The graph script is written again after a record changed.
class GraphWrite : public WriteCase {
public:
    GraphWrite() {
        FillProject(project);
        EXPECT_EQ(WriteGraphScript(*project.doc, 0), 0);
        oldFile = project.folder.ReadFile("demo-ag.xml");
        project.doc->records[3].values[0].value = 42.25;
        expected = GraphScript(*project.doc, 0).PrintDocument();
        EXPECT_NE(oldFile, expected);
    }
    bool Write() override {
        code = WriteGraphScript(*project.doc, 0);
        return code == kFileOk;
    }
    void Check(bool ok) override {
        if (!ok) {
            EXPECT_EQ(code, kFileWriteError);
        }
        EXPECT_EQ(project.folder.ReadFile("demo-ag.xml"), ok ? expected : oldFile);
    }
    const TempFolder& Folder() const override { return project.folder; }

    TestProject project{"demo"};
    std::string expected;
    std::string oldFile;
    int code = -1;
};

// Guards against a failing disk destroying the project file or its template, leaving half a
// file or a temporary file behind, or a failure reported as success.
TEST(FailingWrites, ProjectSave) {
    ASSERT_NO_FATAL_FAILURE(ForEveryFailure([] { return std::make_unique<ProjectSave>(); }));
}

// Guards against a new project left half-written, or a failure the operator is not told of.
TEST(FailingWrites, NewProject) {
    ASSERT_NO_FATAL_FAILURE(ForEveryFailure([] { return std::make_unique<NewProject>(); }));
}

// Guards against a failed record append corrupting the file or losing the record for good.
TEST(FailingWrites, RecordAppend) {
    ASSERT_NO_FATAL_FAILURE(ForEveryFailure([] { return std::make_unique<RecordAppend>(); }));
}

// Guards against a failed save destroying the sensor database that the program needs to start.
TEST(FailingWrites, SensorDatabase) {
    ASSERT_NO_FATAL_FAILURE(ForEveryFailure([] { return std::make_unique<SensorsSave>(); }));
}

// Guards against a failed settings write losing the other settings.
TEST(FailingWrites, SettingsFile) {
    ASSERT_NO_FATAL_FAILURE(ForEveryFailure([] { return std::make_unique<SettingsWrite>(); }));
}

// Guards against a failed export leaving a half file in place of the old one.
TEST(FailingWrites, Export) {
    ASSERT_NO_FATAL_FAILURE(ForEveryFailure([] { return std::make_unique<ExportWrite>(); }));
}

// Guards against a failed graph script leaving the viewer a half document.
TEST(FailingWrites, GraphScript) {
    ASSERT_NO_FATAL_FAILURE(ForEveryFailure([] { return std::make_unique<GraphWrite>(); }));
}

}  // namespace
}  // namespace vg28::test
