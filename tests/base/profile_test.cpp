#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "base/Profile.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

// Guards against integer reading that differs from GetPrivateProfileInt.
TEST(Profile, ParsesIntegersLikeWin32) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42},     {"  17", 17}, {"-5", -5},    {"+8", 8},  {"0x1F", 31},
        {"0b101", 5},   {"0o17", 15}, {"12abc", 12}, {"abc", 0}, {"4294967295", -1},
        {"-0x10", -16}, {"3.9", 3},   {"\t9", 9},    {"0", 0},   {"007", 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Profile::ParseInt(c.text), c.expected) << c.text;
}

// Guards against a file written by the Windows program not reading here: case, CR LF,
// quotes, blanks around '=' and comments.
TEST(Profile, ReadsWindowsFile) {
    test::TempFolder folder;
    folder.WriteFile("t.ini",
                     "; settings\r\n[layout]\r\nLEFT = 100\r\nTop=\r\n\r\n[Graph]\r\n"
                     "GraphScript=\"wscript x.js\"\r\n[Port]\nPortNo=3\n");
    Profile profile(folder.File("t.ini"));
    EXPECT_EQ(profile.Get(keys::kLayoutLeft), 100);
    EXPECT_EQ(profile.Get(keys::kLayoutTop), 22);  // empty value gives the default
    EXPECT_EQ(profile.Get(keys::kLayoutWidth), 652);
    EXPECT_EQ(profile.Get(keys::kGraphScript), "wscript x.js");
    EXPECT_EQ(profile.Get(keys::kPortNo), 3);
    EXPECT_EQ(profile.Get(keys::kPortDevice), "/dev/ttyUSB0");
    EXPECT_EQ(profile.GetString("Missing", "Key", "dflt"), "dflt");
}

// Guards against writes that lose other lines, duplicate keys or break the section structure.
TEST(Profile, WritesKeepEverythingElse) {
    test::TempFolder folder;
    folder.WriteFile("t.ini", "; keep me\n[Layout]\nLeft=1\n\n[Other]\nx=y\n");
    Profile profile(folder.File("t.ini"));
    ASSERT_TRUE(profile.WriteInt("layout", "left", 5));
    ASSERT_TRUE(profile.WriteInt("Layout", "Top", 6));
    ASSERT_TRUE(profile.WriteString("New", "Key", "a\nb"));
    EXPECT_EQ(
        folder.ReadFile("t.ini"),
        "; keep me\r\n[Layout]\r\nleft=5\r\nTop=6\r\n\r\n[Other]\r\nx=y\r\n[New]\r\nKey=a b\r\n");
    EXPECT_EQ(profile.Get(keys::kLayoutLeft), 5);
    EXPECT_EQ(profile.Get(keys::kLayoutTop), 6);
    EXPECT_EQ(profile.GetString("new", "KEY"), "a b");
}

// Guards against a binary block format or checksum that differs from WritePrivateProfileStruct,
// and against accepting a damaged or resized block.
TEST(Profile, BinaryBlocksWithChecksum) {
    const std::uint8_t bytes[3] = {0x01, 0xAB, 0xFF};
    EXPECT_EQ(Profile::EncodeBinary(bytes, 3), "01ABFFAB");  // 0x01+0xAB+0xFF = 0x1AB

    struct Case {
        const char* name;
        const char* text;
        bool valid;
    } cases[] = {
        {"as written", "01ABFFAB", true},    {"lower case", "01abffab", true},
        {"bad checksum", "01ABFFAC", false}, {"one byte short", "01ABAC", false},
        {"not hex", "01AGFFAB", false},      {"empty", "", false},
    };
    for (const Case& c : cases) {
        const auto decoded = Profile::DecodeBinary(c.text, 3);
        EXPECT_EQ(decoded.has_value(), c.valid) << c.name;
        if (decoded) {
            EXPECT_EQ(*decoded, std::vector<std::uint8_t>(bytes, bytes + 3)) << c.name;
        }
    }

    test::TempFolder folder;
    Profile profile(folder.File("t.ini"));
    std::vector<std::uint8_t> big(5944);
    std::iota(big.begin(), big.end(), 0);
    ASSERT_TRUE(profile.WriteBinary("Project", "Default", big.data(), big.size()));
    EXPECT_EQ(profile.GetBinary("project", "default", 5944), big);
    EXPECT_FALSE(profile.GetBinary("Project", "Default", 5943).has_value());
}

// Guards against failures that crash or write elsewhere when there is no usable file.
TEST(Profile, MissingOrUnwritableFileGivesDefaults) {
    Profile none;
    EXPECT_EQ(none.Get(keys::kStartUpShow), 1);
    EXPECT_FALSE(none.WriteInt("A", "B", 1));
    test::TempFolder folder;
    Profile inMissingFolder(folder.File("no/such/folder/t.ini"));
    EXPECT_FALSE(inMissingFolder.WriteInt("A", "B", 1));
    EXPECT_EQ(inMissingFolder.GetInt("A", "B", 9), 9);
}

// Guards against a wrong insert in the file error boxes.
TEST(StringTable, FileErrorInsertsPath) {
    EXPECT_EQ(StringTable::FormatInsert(ids::kFileErrorBase + 2, "C:\\x.phj"),
              "Ошибка загрузки - неправильный формат!\n\nC:\\x.phj\n");
    EXPECT_EQ(StringTable::Get(ids::kReady), "Готов");
    EXPECT_TRUE(StringTable::Get(1).empty());
}

}  // namespace
}  // namespace vg28
