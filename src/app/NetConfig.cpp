#include "app/NetConfig.h"

#include <tinyxml.h>

#include <optional>

#include "platform/FixedText.h"
#include "platform/RegularFile.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"

namespace vg28 {

namespace {

bool DeclaresLegacyEncoding(const TiXmlDocument& document) {
    for (const TiXmlNode* node = document.FirstChild(); node; node = node->NextSibling()) {
        if (const TiXmlDeclaration* declaration = node->ToDeclaration()) {
            const std::string encoding = declaration->Encoding();
            if (encoding.empty()) return false;
            return !TextCase::EqualAscii(encoding, "UTF-8") &&
                   !TextCase::EqualAscii(encoding, "UTF8");
        }
    }
    return false;
}

}  // namespace

std::uint16_t NetConfig::ParseAddress(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n')
        ++text;
    bool negative = false;
    if (*text == '-' || *text == '+') negative = *text++ == '-';
    std::uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10 + static_cast<std::uint32_t>(*text - '0');
    if (negative) value = 0u - value;
    return static_cast<std::uint16_t>(value & 0xFFFF);
}

int NetConfig::NestingDepth(std::string_view xml) {
    int depth = 0;
    int deepest = 0;
    std::size_t i = 0;
    while ((i = xml.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = xml.substr(i);
        if (StartsWith(rest, "<!--")) {
            const std::size_t end = xml.find("-->", i + 4);
            if (end == std::string_view::npos) break;
            i = end + 3;
            continue;
        }
        if (StartsWith(rest, "<![CDATA[")) {
            const std::size_t end = xml.find("]]>", i + 9);
            if (end == std::string_view::npos) break;
            i = end + 3;
            continue;
        }
        const std::size_t close = xml.find('>', i);
        if (close == std::string_view::npos) break;
        if (StartsWith(rest, "</")) {
            --depth;
        } else if (!StartsWith(rest, "<?") && !StartsWith(rest, "<!") && xml[close - 1] != '/') {
            ++depth;
            if (depth > deepest) deepest = depth;
        }
        i = close + 1;
    }
    return deepest;
}

std::vector<NetDevice> NetConfig::ParseNetConfig(std::string_view xml) {
    std::vector<NetDevice> devices;
    if (xml.size() > kMaxFileSize || NestingDepth(xml) > kMaxDepth) return devices;

    TiXmlDocument document;
    // TinyXML steps over a UTF-8 sequence by the length its first byte announces, past the end
    // of the text when the sequence is cut short: only valid UTF-8 is parsed as UTF-8 (a file
    // in the Windows code page without a declaration is read byte by byte, as it should be).
    const TiXmlEncoding encoding =
        TextCodec::IsValidUtf8(xml) ? TIXML_DEFAULT_ENCODING : TIXML_ENCODING_LEGACY;
    document.Parse(std::string(xml).c_str(), nullptr, encoding);
    if (document.Error()) return devices;
    const TiXmlElement* net = document.FirstChildElement("net");
    if (!net) return devices;
    const TiXmlElement* device = net->FirstChildElement("device");
    const bool legacy = DeclaresLegacyEncoding(document);

    for (; device && devices.size() < kMaxDevices; device = device->NextSiblingElement()) {
        NetDevice entry;
        std::string id = device->Attribute("id") ? device->Attribute("id") : "";
        if (!legacy) id = TextCodec::Utf8ToCp1251IfValid(id);
        CopyText(entry.deviceName, TextCase::LowerCp1251(id));
        entry.deviceAddress = ParseAddress(device->Attribute("xsaddr"));
        devices.push_back(entry);
    }
    return devices;
}

std::vector<NetDevice> NetConfig::LoadNetConfig(const std::string& path) {
    const std::optional<std::string> content = ReadRegularFile(path, kMaxFileSize);
    if (!content) return {};
    return ParseNetConfig(*content);
}

}  // namespace vg28
