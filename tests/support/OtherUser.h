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

// What fn returned as a user without privileges: as "nobody" in a child (RunAsOtherUser) when
// this process runs as root, else right here. nullopt when neither can be done.
std::optional<std::string> RunUnprivileged(const std::function<std::string()>& fn);

// Makes a device (a pseudo-terminal's slave) one that an unprivileged user may not open, as a
// serial port is for a user outside its group: root:dialout (root's group where there is no
// dialout) mode 0660 when this process runs as root, else mode 0000. False when it cannot.
bool MakeDeviceOfOtherGroup(const std::string& path);

// Lets every user pass through and list a folder of the test (mode 0755).
void OpenToOtherUsers(const std::string& folder);

}  // namespace vg28::test
