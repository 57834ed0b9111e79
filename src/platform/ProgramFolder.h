#pragma once
// Where the program lives. Every file of the system is kept in the program folder: projects,
// graph scripts, "sensors.dat", "net.xcfg", the settings file and the debug log.
//
// A portable copy (a folder of its own, writable, as the build folder and `make run` lay out)
// keeps them beside the program. An installed copy (the programs in <prefix>/bin, the shipped
// data in <prefix>/share/vg28) and a copy in a folder the user may not write use the user's data
// folder instead ($XDG_DATA_HOME/vg28, else ~/.local/share/vg28), which is made on the first
// start and given the shipped files it lacks. Nothing throws; failures come back as text.

#include <string>
#include <string_view>

#include "platform/UserEnvironment.h"

namespace vg28 {

class ProgramFolder {
public:
    // The files a new user folder gets from the shipped data.
    static constexpr const char* kShippedFiles[] = {"sensors.dat", "net.xcfg.example"};

    struct Choice {
        std::string folder;       // the program folder, ending with '/'
        std::string shippedFrom;  // where a user folder takes the shipped files from
        bool userFolder = false;  // false: the folder beside the program
    };

    // The path of the running executable (from /proc/self/exe); empty when unknown.
    static std::string ExecutablePath();

    // The folder part of a path, ending with '/' ("./" for a bare name).
    static std::string FolderOf(std::string_view path);

    // The file name without folder and without its last extension ("vg28-terminal").
    static std::string BaseNameOf(std::string_view path);

    // A folder path with exactly one trailing '/'.
    static std::string WithSeparator(std::string folder);

    // The shipped data of a copy laid out as installed: <folder of the program>/../share/vg28/.
    static std::string SharedDataFolderOf(std::string_view executablePath);

    // $XDG_DATA_HOME/vg28/, else <home>/.local/share/vg28/; empty when neither is known.
    static std::string UserDataFolder(const UserEnvironment& environment);

    // The program folder for the program at executablePath; looks at the file system only.
    static Choice Choose(std::string_view executablePath, const UserEnvironment& environment);

    // Makes a user folder (mode 0700 for every folder it creates) and copies into it the shipped
    // files it lacks; files already there are kept as they are. Nothing to do for the folder
    // beside the program. False with error set when the folder or a file cannot be made.
    static bool Fill(const Choice& choice, std::string& error);

    // Choose, then Fill.
    static Choice Settle(std::string_view executablePath, const UserEnvironment& environment,
                         std::string& error);
};

}  // namespace vg28
