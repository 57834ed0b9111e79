#pragma once
// Every settings key of the system with its section and default.

#include <string>

namespace vg28 {

struct ProfileIntKey {
    const char* section;
    const char* key;
    int defaultValue;
};

struct ProfileTextKey {
    const char* section;
    const char* key;
    const char* defaultValue;
};

struct ProfileBinaryKey {
    const char* section;
    const char* key;
    unsigned size;
};

namespace keys {

inline constexpr ProfileIntKey kDebugLog{"Debug", "Log", 0};
inline constexpr ProfileIntKey kLayoutLeft{"Layout", "Left", 22};
inline constexpr ProfileIntKey kLayoutTop{"Layout", "Top", 22};
inline constexpr ProfileIntKey kLayoutWidth{"Layout", "Width", 652};
inline constexpr ProfileIntKey kLayoutHeight{"Layout", "Height", 585};
inline constexpr ProfileIntKey kLayoutMaximize{"Layout", "Maximize", 0};
inline constexpr ProfileIntKey kPortNo{"Port", "PortNo", 0};
// On POSIX the port is a device path; "simulator" names the built-in simulated instrument.
inline constexpr ProfileTextKey kPortDevice{"Port", "Device", "/dev/ttyUSB0"};
inline constexpr ProfileIntKey kStartUpShow{"StartUp", "Show", 1};
inline constexpr ProfileIntKey kStartUpAction{"StartUp", "Action", 0};
inline constexpr ProfileIntKey kConnectPDownload{"Connect", "PDownload", 1};
inline constexpr ProfileIntKey kMnemoMode{"Mnemo", "Mode", 0};
inline constexpr ProfileIntKey kTableMode{"Table", "Mode", 0};
inline constexpr ProfileBinaryKey kTableCustom{"Table", "Custom", 8};
inline constexpr ProfileBinaryKey kProjectDefault{"Project", "Default", 5944};
inline constexpr ProfileIntKey kGraphType{"Graph", "Type", 0};
inline constexpr ProfileTextKey kGraphScript{"Graph", "GraphScript", ""};
inline constexpr ProfileIntKey kGraphPUpdate{"Graph", "GraphPUpdate", 0};
inline constexpr ProfileIntKey kInputOpen{"Input", "Open", 0};
inline constexpr ProfileTextKey kSensorsEditorFile{"SensorsEditor", "File", ""};

// Sections of the control panel's two lists; their keys are ColumnWidthKey(column).
inline constexpr const char* kMnemoList1 = "MnemoList1";
inline constexpr const char* kMnemoList2 = "MnemoList2";
inline std::string ColumnWidthKey(int column) {
    return "ColWidth" + std::to_string(column);
}

}  // namespace keys
}  // namespace vg28
