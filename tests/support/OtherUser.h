#pragma once
// Runs a piece of a test as another user: in a child process that has dropped to the user
// "nobody". Only root can do that; elsewhere the caller learns that it cannot.

#include <functional>
#include <optional>
#include <string>

namespace vg28::test {

// Whether this process may act as another user (it runs as root and "nobody" exists).
bool CanActAsOtherUser();

// What fn returned in a child running as "nobody"; nullopt when that cannot be done or the
// child failed. The folders fn touches must be reachable by that user.
std::optional<std::string> RunAsOtherUser(const std::function<std::string()>& fn);

// Lets every user pass through and list a folder of the test (mode 0755).
void OpenToOtherUsers(const std::string& folder);

}  // namespace vg28::test
