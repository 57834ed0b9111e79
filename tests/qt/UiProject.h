#pragma once
// Projects for the widget tests: made through the project library in the running program's
// folder, with sensors set per channel and record lines added as the instrument sends them.

#include <initializer_list>
#include <string>
#include <utility>

#include "project/CProjectDoc.h"

namespace vg28::test {

// Creates and opens a project with the given channel sensors (index, ID), saves it, adds the
// record lines and tells the views (hint 0).
void MakeProject(CProjectDoc& doc, const std::string& name,
                 std::initializer_list<std::pair<int, const char*>> sensors,
                 std::initializer_list<const char*> recordLines = {}, bool em50 = false);

}  // namespace vg28::test
