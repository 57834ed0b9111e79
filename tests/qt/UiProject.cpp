#include "UiProject.h"

#include <gtest/gtest.h>

#include "platform/FixedText.h"
#include "project/ProjectLibrary.h"
#include "support/RecordingOperator.h"

namespace vg28::test {

void MakeProject(CProjectDoc& doc, const std::string& name,
                 std::initializer_list<std::pair<int, const char*>> sensors,
                 std::initializer_list<const char*> recordLines, bool em50) {
    RecordingOperator op;
    ASSERT_EQ(ProjectLibrary(doc, op).NewProject(name), 0);
    for (int k = 0; k < kChannelCount; ++k)
        CopyText(doc.setup.sensorIds[k], "");
    for (const auto& [channel, id] : sensors)
        CopyText(doc.setup.sensorIds[channel], id);
    doc.setup.em50 = em50 ? 1 : 0;
    doc.setup.period = 600;
    ASSERT_EQ(doc.SaveProject(), 0);
    for (const char* line : recordLines) {
        int added = 0;
        ASSERT_TRUE(doc.AddRecordLine(line, added)) << line;
    }
    doc.UpdateAllViews(kHintAll);
}

}  // namespace vg28::test
