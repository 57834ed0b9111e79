#pragma once
// Where the program lives. Every file of the system is kept in the program folder: projects,
// graph scripts, "sensors.dat", "net.xcfg", the settings file and the debug log.

#include <string>
#include <string_view>

namespace vg28 {

class ProgramFolder {
public:
    // The path of the running executable (from /proc/self/exe); empty when unknown.
    static std::string ExecutablePath();

    // The folder part of a path, ending with '/' ("./" for a bare name).
    static std::string FolderOf(std::string_view path);

    // The file name without folder and without its last extension ("vg28-terminal").
    static std::string BaseNameOf(std::string_view path);

    // A folder path with exactly one trailing '/'.
    static std::string WithSeparator(std::string folder);
};

}  // namespace vg28
