#include <gtest/gtest.h>

#include <string>

#include "app/NetConfig.h"
#include "platform/FixedText.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

std::string Names(const std::vector<NetDevice>& devices) {
    std::string names;
    for (const NetDevice& d : devices)
        names += std::string(TextOf(d.deviceName)) + "[" + std::to_string(d.deviceAddress) + "]";
    return names;
}

// Guards against each rule of the device list: where the list starts, which siblings count,
// the name's case and length, and the address reading.
TEST(NetConfig, DeviceListRules) {
    struct Case {
        const char* name;
        std::string xml;
        std::string expected;
    } cases[] = {
        {"two devices",
         R"(<net><device id="Greenhouse 1" xsaddr="12"/><device id="greenhouse 2" xsaddr="13"/></net>)",
         "greenhouse 1[12]greenhouse 2[13]"},
        {"long id cut to 31",
         R"(<net><device id="GH-North-Section-A-Station-Number-1" xsaddr="1"/></net>)",
         "gh-north-section-a-station-numb[1]"},
        {"missing or bad address",
         R"(<net><device id="a"/><device id="b" xsaddr="abc"/><device id="c" xsaddr=""/></net>)",
         "a[0]b[0]c[0]"},
        {"address reading",
         R"(<net><device id="a" xsaddr="  42x"/><device id="b" xsaddr="-1"/><device id="c" xsaddr="65537"/></net>)",
         "a[42]b[65535]c[1]"},
        {"comment skipped, other element counted",
         R"(<net><device id="a"/><!-- x --><other id="b" xsaddr="2"/></net>)", "a[0]b[2]"},
        {"elements before the first device ignored",
         R"(<net><gateway id="g"/><device id="a"/></net>)", "a[0]"},
        {"duplicates kept", R"(<net><device id="A"/><device id="a"/></net>)", "a[0]a[0]"},
        {"missing id", R"(<net><device xsaddr="3"/></net>)", "[3]"},
        {"no net root", R"(<network><device id="a"/></network>)", ""},
        {"no device", R"(<net><gateway id="a"/></net>)", ""},
        {"malformed", R"(<net><device id="a"></net>)", ""},
        {"empty", "", ""},
        {"utf-8 Cyrillic lowered",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><net><device "
         "id=\"\xD0\xA2\xD0\x95\xD0\x9F\xD0\x9B\xD0\x98\xD0\xA6\xD0\x90\"/></net>",
         "\xF2\xE5\xEF\xEB\xE8\xF6\xE0[0]"},
        {"windows-1251 declared",
         "<?xml version=\"1.0\" encoding=\"windows-1251\"?><net><device "
         "id=\"\xD2\xC5\xCF\xCB\xC8\xD6\xC0\"/></net>",
         "\xF2\xE5\xEF\xEB\xE8\xF6\xE0[0]"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Names(NetConfig::ParseNetConfig(c.xml)), c.expected) << c.name;
}

// Guards against a crash or an unbounded list on hostile files: deep nesting, very many devices.
TEST(NetConfig, HostileFilesGiveBoundedLists) {
    std::string deep = "<net>";
    for (int i = 0; i < 100000; ++i)
        deep += "<d>";
    EXPECT_TRUE(NetConfig::ParseNetConfig(deep).empty());

    std::string many = "<net>";
    for (int i = 0; i < 70000; ++i)
        many += "<device id=\"d" + std::to_string(i) + "\" xsaddr=\"" + std::to_string(i) + "\"/>";
    many += "</net>";
    const auto devices = NetConfig::ParseNetConfig(many);
    ASSERT_EQ(devices.size(), NetConfig::kMaxDevices);
    EXPECT_EQ(TextOf(devices.back().deviceName), "d65534");

    test::TempFolder folder;
    EXPECT_TRUE(NetConfig::LoadNetConfig(folder.File("missing.xcfg")).empty());
    folder.WriteFile("net.xcfg", std::string("<net><device id=\"a\x00b\"/></net>", 29));
    EXPECT_LE(NetConfig::LoadNetConfig(folder.File("net.xcfg")).size(), 1u);
}

}  // namespace
}  // namespace vg28
