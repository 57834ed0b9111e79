#pragma once
// The readable text form of the sensor database: the source from which the build makes the
// shipped "sensors.dat", and the form into which a database can be dumped for reading or editing.
// The text is UTF-8; the records hold CP1251. Parse reports the first problem as a result with
// its line number and never throws; Write always succeeds.
//
// Format: one entry per sensor, entries separated by blank lines. An entry is a block of
// "key = value" lines; lines whose first non-blank character is '#' are comments. Keys:
//   id, type, description, units   texts (at most 31, 31, 31 and 15 CP1251 bytes; id not empty)
//   precision                      decimals shown, 0..5
//   method                         STD, COMP or AVG
//   maxOutput                      maximum output in volts, 0 (none) to 20
//   minimum, maximum               working range, minimum below maximum
//   c0 .. c5                       polynomial coefficients (optional, default 0)
//   standard                       0 or 1, standard coefficients (optional, default 0)
// Numbers use "." whatever the locale. A value is trimmed; to keep blanks at its ends (as in the
// template IDs " Sample T") write it in double quotes, where \" \\ \n \t \r and \xHH (a CP1251
// byte) are escapes. IDs are unique, letter case ignored. With a type, the ID is the type, the
// type and a blank and a suffix, or the template ID " Sample " + type; records that came from
// an instrument have no type and any ID.

#include <string>
#include <string_view>
#include <vector>

#include "sensors/SensorRecord.h"

namespace vg28 {

class SensorCatalogue {
public:
    struct ParseResult {
        std::vector<SensorRecord> records;  // in text order; all-zero apart from the fields
        std::vector<int> lines;             // the first line of each record's entry
        int errorLine = 0;                  // 1-based line of the first problem
        std::string error;                  // empty when the text was accepted

        bool Ok() const { return error.empty(); }
    };

    static ParseResult Parse(std::string_view text);

    // The records as catalogue text. Reserved areas are not part of the text. A record that
    // breaks a rule of Parse (say a second record with the same ID) is written all the same,
    // and Parse then names its line.
    static std::string Write(const std::vector<SensorRecord>& records);

    // True when the IDs are equal with letter case ignored (Latin and Cyrillic, CP1251).
    static bool SameIdIgnoringCase(std::string_view a, std::string_view b);
};

}  // namespace vg28
