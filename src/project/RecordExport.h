#pragma once
// The record export: the records of the open project written as ";"-separated CSV or as a
// fixed-width text table, with exactly the columns, titles and cell texts of the record table's
// column model. The file is Windows ANSI with CR LF line ends. The save dialog is the window's;
// this takes the chosen path. Errors are the file operation codes (0 written, 1 the file cannot
// be created, 3 write error); the file is replaced only when it was written completely, so a
// failed export never leaves a half file in place of an old one. Messages are the caller's.

#include <string>
#include <string_view>

namespace vg28 {

class CProjectDoc;
class TableColumns;

enum class ExportLayout { Csv, FixedWidth };

// CSV for a file name ending in ".csv" (any case), the fixed-width table otherwise.
ExportLayout ExportLayoutFor(std::string_view path);

// Appends one field to a line: CSV puts ";" before every field but the first; the fixed-width
// layout right-aligns the field in 20 characters and writes longer fields unpadded.
void AppendExportField(std::string& line, std::string_view field, bool first, ExportLayout layout);

// Writes the header and one line per record in array order. markLimits 1 writes values at a
// sensor's range end with a leading "*" ("correct values"), 0 without it ("all records").
int ExportRecords(const CProjectDoc& doc, const TableColumns& columns, const std::string& path,
                  int markLimits);

}  // namespace vg28
