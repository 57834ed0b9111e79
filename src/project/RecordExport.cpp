#include "project/RecordExport.h"

#include "platform/AtomicFile.h"
#include "platform/TextCase.h"
#include "project/CProjectDoc.h"
#include "project/TableColumns.h"

namespace vg28 {

namespace {

constexpr std::size_t kFieldWidth = 20;
constexpr std::size_t kFlushSize = 64 * 1024;
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

ExportLayout ExportLayoutFor(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && TextCase::EqualAscii(name.substr(dot), ".csv"))
        return ExportLayout::Csv;
    return ExportLayout::FixedWidth;
}

void AppendExportField(std::string& line, std::string_view field, bool first, ExportLayout layout) {
    if (layout == ExportLayout::Csv) {
        if (!first) line += ';';
    } else if (field.size() < kFieldWidth) {
        line.append(kFieldWidth - field.size(), ' ');
    }
    line += field;
}

int ExportRecords(const CProjectDoc& doc, const TableColumns& columns, const std::string& path,
                  int markLimits) {
    AtomicFile file(path);
    if (!file.Open()) return kFileCannotOpen;

    const ExportLayout layout = ExportLayoutFor(path);
    const CellStyle style{markLimits != 0, false};
    const std::vector<int>& dataIndices = columns.DataIndices();
    std::string buffer;
    buffer.reserve(kFlushSize + 4096);
    bool written = true;
    const auto flush = [&] {
        if (written && !buffer.empty()) written = file.Write(buffer.data(), buffer.size());
        buffer.clear();
    };

    for (int c = 0; c < columns.Count(); ++c) {
        AppendExportField(buffer, columns.Titles()[static_cast<std::size_t>(c)], c == 0, layout);
    }
    buffer += kLineEnd;
    for (const MeasurementRecord& record : doc.records) {
        for (std::size_t c = 0; c < dataIndices.size(); ++c) {
            AppendExportField(buffer, columns.CellText(doc, record, dataIndices[c], style), c == 0,
                              layout);
        }
        buffer += kLineEnd;
        if (buffer.size() >= kFlushSize) flush();
        if (!written) break;
    }
    flush();
    if (!written || !file.Commit()) return kFileWriteError;
    return kFileOk;
}

}  // namespace vg28
