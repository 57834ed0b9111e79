#pragma once
// The string table of the program: every operator message and status text by its number, in
// UTF-8. Texts are those of the Windows program, Russian included.

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

// String IDs used by more than one subsystem.
namespace ids {
inline constexpr int kModelName = 130;        // "VG-28"
inline constexpr int kModuleFamily = 131;     // "KWS"
inline constexpr int kFileErrorBase = 10006;  // + file operation code
inline constexpr int kProjectExists = 10200;
inline constexpr int kDeleteProject = 10201;
inline constexpr int kSensorDatabaseMissing = 10051;
inline constexpr int kReady = 57345;  // "Готов"
}  // namespace ids

}  // namespace vg28
