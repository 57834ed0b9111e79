#include "base/StringTable.h"

#include <algorithm>
#include <iterator>

namespace vg28 {

namespace {

struct Entry {
    int id;
    const char* text;
};

constexpr Entry kEntries[] = {
#include "StringTable.inc"
};

}  // namespace

std::string_view StringTable::Get(int id) {
    const auto found = std::find_if(std::begin(kEntries), std::end(kEntries),
                                    [id](const Entry& entry) { return entry.id == id; });
    return found == std::end(kEntries) ? std::string_view() : std::string_view(found->text);
}

std::string StringTable::FormatInsert(int id, std::string_view argument) {
    std::string text(Get(id));
    std::size_t at = 0;
    while ((at = text.find("%1", at)) != std::string::npos) {
        text.replace(at, 2, argument);
        at += argument.size();
    }
    return text;
}

}  // namespace vg28
