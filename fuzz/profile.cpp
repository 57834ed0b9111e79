// Fuzz target: the settings file with its binary blocks. The input is the INI file. Every key
// of the system is read; then a binary block and an integer are written, must read back as
// written, and no other key may change its value.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "base/Profile.h"
#include "base/ProfileKeys.h"

namespace {

using namespace vg28;

struct Probe {
    const char* section;
    const char* key;
};

constexpr Probe kProbes[] = {
    {"Debug", "Log"},          {"Layout", "Left"},
    {"Layout", "Maximize"},    {"Port", "Device"},
    {"StartUp", "Show"},       {"Connect", "PDownload"},
    {"Table", "Mode"},         {"Project", "Default"},
    {"Graph", "GraphScript"},  {"MnemoList1", "ColWidth0"},
    {"SensorsEditor", "File"}, {"Table", "ColWidth3"},
};

// Every probe's raw value, as the profile reads it now.
std::vector<std::string> Snapshot(const Profile& profile) {
    std::vector<std::string> values;
    for (const Probe& probe : kProbes)
        values.push_back(profile.GetString(probe.section, probe.key, "\x01missing"));
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::WriteScratchFile("vg28.ini", fuzz::AsText(data, size));
    Profile profile(path);

    for (const Probe& probe : kProbes)
        profile.GetInt(probe.section, probe.key, -1);
    std::vector<std::uint8_t> setup(keys::kProjectDefault.size);
    profile.GetBinary(keys::kProjectDefault.section, keys::kProjectDefault.key, setup.data(),
                      setup.size());
    const auto custom = profile.GetBinary("Table", "Custom", keys::kTableCustom.size);
    FUZZ_CHECK(!custom || custom->size() == keys::kTableCustom.size);

    const std::vector<std::string> before = Snapshot(profile);
    const std::array<std::uint8_t, 8> block = {0x00, 0xFF, 0x10, 0x7F, 0x80, 0x01, 0xAB, 0x5A};
    FUZZ_CHECK(profile.WriteBinary("Table", "Custom", block.data(), block.size()));
    std::array<std::uint8_t, 8> read{};
    FUZZ_CHECK(profile.GetBinary("Table", "Custom", read.data(), read.size()));
    FUZZ_CHECK(read == block);
    FUZZ_CHECK(profile.WriteInt("Input", "Open", -12345));
    FUZZ_CHECK(profile.GetInt("Input", "Open", 0) == -12345);
    FUZZ_CHECK(Snapshot(profile) == before);
    return 0;
}
