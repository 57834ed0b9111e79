#include "support/WritingRequests.h"

#include <cctype>

namespace vg28::test {

std::vector<std::string> WritingRequests(const std::vector<std::string>& requests) {
    // The setting commands as the command set sends them (any letter case).
    static const char* const kWriting[] = {"project;id;",
                                           "project;period;1;",
                                           "project;f;exact;",
                                           "project;f;em50;",
                                           "sensor;clear",
                                           "init",
                                           "mode;",
                                           "time;"};
    std::vector<std::string> found;
    for (const std::string& request : requests) {
        std::string bare = request;
        if (!bare.empty() && bare[0] == ':') bare = bare.substr(bare.find(';') + 1);
        for (char& c : bare)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        bool writes = false;
        for (const char* prefix : kWriting)
            writes = writes || bare.rfind(prefix, 0) == 0;
        // "sensor;N" reads a sensor; "sensor;N;..." writes one.
        writes =
            writes || (bare.rfind("sensor;", 0) == 0 && bare.find(';', 7) != std::string::npos);
        if (writes) found.push_back(request);
    }
    return found;
}

}  // namespace vg28::test
