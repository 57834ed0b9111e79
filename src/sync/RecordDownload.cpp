#include "sync/RecordDownload.h"

#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "protocol/InstrumentCommands.h"

namespace vg28 {

void RecordDownload::Open() {
    CProjectDoc& doc = m_run.env.doc;
    m_refill.Start(doc.NextDownloadFrom(), doc.m_rCurState.downloadCount);
}

bool RecordDownload::Tick() {
    bool gotRecord = false;
    for (int n = 0; n < kLinesPerTick; ++n) {
        std::string line;
        if (!m_run.env.commands.ReadLine(line)) break;
        m_refill.NoteLine();
        if (TakeRecordLine(line)) gotRecord = true;
    }
    if (gotRecord) return false;
    if (m_refill.AwaitingRecords()) return false;
    if (m_counted < m_run.budget) {
        // Records taken while the download ran are asked for once the selection is complete.
        m_run.env.commands.QueryRecordState();
        m_refill.Select(m_run.env.doc.NextDownloadFrom());
        if (m_refill.SelectionEmpty()) m_run.End(SyncCodes::kResultDone);
        return false;
    }
    if (m_run.env.doc.setup.em50 && m_run.em50.Em50Present()) return true;
    m_run.End(SyncCodes::kResultDone);
    return false;
}

// A record line is added when its record is not here yet; the answer of a selection whose
// answer was missed is taken as its count. True when a record was added.
bool RecordDownload::TakeRecordLine(const std::string& line) {
    const std::size_t at = line.find("RECORD;");
    if (at == std::string::npos) return false;
    const std::string_view text = std::string_view(line).substr(at + 7);
    if (StartsWith(text, "S;")) {
        m_refill.TakeLateCount(text.substr(2));
        return false;
    }
    TimeStamp time{};
    std::size_t cursor = 0;
    if (!CProjectDoc::ParseTimeStamp(text, cursor, time)) return false;
    if (m_run.env.doc.HasRecordAt(time)) return false;
    int added = 0;
    if (!m_run.env.doc.AddRecordLine(text, added)) return false;
    ++m_run.recordsAdded;
    m_refill.NoteRecord();
    if (m_counted < m_run.budget) {
        ++m_counted;
        m_run.progress = m_counted;
    }
    return true;
}

}  // namespace vg28
