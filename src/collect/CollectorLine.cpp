#include "collect/CollectorLine.h"

#include <cctype>
#include <vector>

#include "collect/StopRequest.h"

namespace vg28 {

namespace {

// The request without its address prefix, in lower case (a setting sent again goes out in
// upper case).
std::string Bare(std::string_view request) {
    if (!request.empty() && request.front() == ':') {
        const std::size_t semicolon = request.find(';');
        request = semicolon == std::string_view::npos ? std::string_view{}
                                                      : request.substr(semicolon + 1);
    }
    std::string lower;
    lower.reserve(request.size());
    for (const char c : request) {
        if (c == '\r' || c == '\n') continue;
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semicolon = text.find(';', start);
        fields.push_back(text.substr(start, semicolon - start));
        if (semicolon == std::string_view::npos) return fields;
        start = semicolon + 1;
    }
}

bool IsAddressPrefix(std::string_view bytes) {
    return bytes.size() >= 2 && bytes.front() == ':' && bytes.back() == ';' &&
           bytes.find('\r') == std::string_view::npos;
}

}  // namespace

CollectorLine::CollectorLine(std::unique_ptr<SerialLine> line, bool clockMayBeSet)
    : m_line(std::move(line)), m_clockMayBeSet(clockMayBeSet) {}

bool CollectorLine::ChangesProject(std::string_view request) {
    const std::string bare = Bare(request);
    const std::vector<std::string_view> f = Fields(bare);
    if (bare == "init") return true;  // formats the memory
    if (f[0] == "project") {
        // The queries: "project;id", "project;period;N", "project;f;exact", "project;f;em50".
        if (f.size() >= 2 && f[1] == "id") return f.size() > 2;
        if (f.size() >= 2 && (f[1] == "period" || f[1] == "f")) return f.size() > 3;
        return f.size() > 1;
    }
    if (f[0] == "sensor") {
        // The query: "sensor;N".
        return f.size() > 2 || (f.size() == 2 && f[1] == "clear");
    }
    return false;
}

bool CollectorLine::ChangesMode(std::string_view request) {
    return Bare(request).rfind("mode;", 0) == 0;
}

bool CollectorLine::SetsClock(std::string_view request) {
    return Bare(request).rfind("time;", 0) == 0;
}

bool CollectorLine::MayWrite(std::string_view bytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t cr = bytes.find('\r', start);
        const std::string_view line = bytes.substr(start, cr - start);
        if (ChangesProject(line) || ChangesMode(line)) {
            ++m_refused;
            return false;
        }
        if (SetsClock(line)) {
            if (!m_clockMayBeSet) {
                ++m_refusedClock;
                return false;
            }
            ++m_clockSent;
        }
        if (cr == std::string_view::npos) break;
        start = cr + 1;
    }
    return true;
}

void CollectorLine::Open(const LineSettings& settings) {
    m_heldPrefix.clear();
    m_line->Open(settings);
}

int CollectorLine::Close() {
    m_heldPrefix.clear();
    return m_line->Close();
}

bool CollectorLine::IsOpen() const {
    return m_line->IsOpen();
}

std::size_t CollectorLine::Read(void* buffer, std::size_t count) {
    if (StopRequested()) return 0;
    const std::size_t got = m_line->Read(buffer, count);
    m_received += got;
    return got;
}

std::size_t CollectorLine::Write(const void* data, std::size_t count) {
    const std::string_view bytes(static_cast<const char*>(data), count);
    if (m_heldPrefix.empty() && IsAddressPrefix(bytes)) {
        m_heldPrefix = bytes;
        return count;
    }
    const std::string whole = m_heldPrefix + std::string(bytes);
    const std::size_t held = m_heldPrefix.size();
    m_heldPrefix.clear();
    if (!MayWrite(whole)) return 0;
    const std::size_t written = m_line->Write(whole.data(), whole.size());
    m_sent += written;
    return written >= held ? written - held : 0;
}

void CollectorLine::SetTimeouts(const SerialTimeouts& timeouts) {
    m_line->SetTimeouts(timeouts);
}

void CollectorLine::SetDtr() {
    m_line->SetDtr();
}

void CollectorLine::ClearDtr() {
    m_line->ClearDtr();
}

void CollectorLine::PurgeInput() {
    m_line->PurgeInput();
}

const std::string& CollectorLine::Name() const {
    return m_line->Name();
}

}  // namespace vg28
