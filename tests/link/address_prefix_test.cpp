#include <gtest/gtest.h>

#include <string>

#include "link/AddressPrefix.h"

namespace vg28 {
namespace {

// Guards against the radio modem's own commands sent behind an instrument address (the modem
// would not know them), or instrument commands sent without it on a radio network.
TEST(AddressPrefix, CommandsGoBehindTheAddressButTheModemsOwn) {
    struct Case {
        const char* address;
        const char* command;
        const char* prefix;
    } cases[] = {
        {"", "mode\r", ""},
        {"dev1", "mode\r", ":dev1;"},
        {"greenhouse 1", "project;id\r", ":greenhouse 1;"},
        {"dev1", "+++", ""},
        {"dev1", "ATCN\r", ""},
        {"dev1", "at\r", ":dev1;"},  // only the modem's own upper-case commands
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.address) + " / " + c.command);
        const AddressPrefix prefix(c.address);
        EXPECT_EQ(prefix.IsSelected(), *c.address != '\0');
        EXPECT_EQ(prefix.ForCommand(c.command), c.prefix);
    }
}

}  // namespace
}  // namespace vg28
