#pragma once
// Reads a graph script ("-ag.xml") into a PlotScript. The document is walked tag by tag and each
// tag is decoded by TinyXML, so that a script of millions of points is read without building its
// whole tree. Errors are results: a file that cannot be opened, is empty, is not well-formed XML
// or is XML of another kind gives an error code with a line and a detail; absent attributes and
// non-numeric values inside a script are replaced by defaults or skipped and listed as issues of
// the PlotScript. Nothing throws; nothing is shown from here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plotvane/core/PlotScript.h"

namespace vg28::plotvane {

enum class ReadError {
    None,
    CannotOpen,  // missing or unreadable file
    Empty,       // nothing but blanks
    TooLarge,    // larger than GraphScriptReader::kMaxFileSize
    Damaged,     // not well-formed XML (cut short, broken tags, unbalanced elements)
    Foreign,     // well-formed XML that is not a graph script
};

struct ReadResult {
    ReadError error = ReadError::None;
    int line = 0;        // where the error was found; 0 when it belongs to no line
    std::string detail;  // what was found, for the message
    PlotScript script;

    bool Ok() const { return error == ReadError::None; }
};

class GraphScriptReader {
public:
    static constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{1} << 30;

    // decimalSeparator: the user's separator, accepted in "v" besides "." and ",".
    explicit GraphScriptReader(char decimalSeparator = ',') : m_separator(decimalSeparator) {}

    ReadResult ReadFile(const std::string& path) const;
    ReadResult ReadText(std::string_view text) const;

    // A whole decimal integer, blanks around it allowed.
    static bool ParseInteger(std::string_view text, std::int64_t& value);
    // A finite number whose decimal point is ".", "," or separator.
    static bool ParseReal(std::string_view text, char separator, double& value);

private:
    char m_separator;
};

}  // namespace vg28::plotvane
