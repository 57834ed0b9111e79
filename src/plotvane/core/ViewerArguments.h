#pragma once
// The viewer's command line: the graph script's path, quoted as the terminal gives it, and
// " update" after it when a viewer already showing the script should reload it instead of a new
// window opening. Both the argument vector of a POSIX start and the one parameter text of the
// Windows shell ("\"path\" update") are understood. Errors are results (ok false, error text).

#include <string>
#include <vector>

namespace vg28::plotvane {

struct ViewerArguments {
    std::string scriptPath;  // empty: no script, an empty window
    bool update = false;
    bool ok = true;
    std::string error;

    static ViewerArguments Parse(const std::vector<std::string>& arguments);
};

}  // namespace vg28::plotvane
