#pragma once
// A byte line for the link's unit tests: it hands out scripted incoming bytes (a read with
// nothing left waits out its time-out on the clock), records what was written and the calls
// made, and can fail a chosen configuration step the way a port does.

#include <cerrno>
#include <string>
#include <vector>

#include "link/CSerialException.h"
#include "link/SerialLine.h"
#include "platform/Clock.h"

namespace vg28::test {

class ScriptedLine final : public SerialLine {
public:
    explicit ScriptedLine(Clock& clock) : m_clock(clock) {}

    std::string incoming;             // bytes the far end has sent, taken from the front
    std::string written;              // everything written, in order
    std::vector<std::string> writes;  // each write on its own
    std::vector<std::string> calls;   // Open, SetDtr, ClearDtr, SetTimeouts, Close
    std::string failAt;               // the call that throws (empty: none)
    LineSettings settings{};
    SerialTimeouts timeouts{};

    void Open(const LineSettings& s) override {
        Step("Open");
        settings = s;
        m_open = true;
    }
    int Close() override {
        calls.push_back("Close");
        if (!m_open) return -1;
        m_open = false;
        return 1;
    }
    bool IsOpen() const override { return m_open; }
    std::size_t Read(void* buffer, std::size_t count) override {
        Step("Read");
        std::size_t n = std::min(count, incoming.size());
        incoming.copy(static_cast<char*>(buffer), n);
        incoming.erase(0, n);
        if (n == 0) m_clock.SleepMs(static_cast<int>(timeouts.ReadTotalTimeoutConstant));
        return n;
    }
    std::size_t Write(const void* data, std::size_t count) override {
        Step("Write");
        const std::string bytes(static_cast<const char*>(data), count);
        written += bytes;
        writes.push_back(bytes);
        return count;
    }
    void SetTimeouts(const SerialTimeouts& t) override {
        Step("SetTimeouts");
        timeouts = t;
    }
    void SetDtr() override { Step("SetDtr"); }
    void ClearDtr() override { Step("ClearDtr"); }
    const std::string& Name() const override { return m_name; }

private:
    void Step(const char* call) {
        if (std::string(call) != "Read" && std::string(call) != "Write") calls.push_back(call);
        if (failAt == call) CSerialException::Throw(EIO);
    }

    Clock& m_clock;
    bool m_open = false;
    std::string m_name = "scripted";
};

}  // namespace vg28::test
