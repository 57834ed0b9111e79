#pragma once
// The string table of the program: every operator message and status text by its number, in
// UTF-8. Texts are those of the Windows program, Russian included. The IDs are named in
// base/StringIds.h.

#include <string>
#include <string_view>

namespace vg28 {

class StringTable {
public:
    // The text of a string ID; empty for an unknown ID.
    static std::string_view Get(int id);

    // The text with every "%1" replaced by the argument (the Win32 message inserts of the file
    // error boxes).
    static std::string FormatInsert(int id, std::string_view argument);
};

}  // namespace vg28
