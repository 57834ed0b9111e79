#include "link/PacketLink.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/DebugLog.h"
#include "link/CSerialException.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "platform/TextCase.h"
#include "project/CurrentState.h"

namespace vg28 {

namespace {

constexpr int kPauseMs = 100;

// The first L characters of line equal command (L = the command's length).
bool BeginsWith(std::string_view line, std::string_view command) {
    return line.size() >= command.size() && line.compare(0, command.size(), command) == 0;
}

// A text as the log shows it: up to an embedded NUL, as the C string it is.
std::string Printable(std::string_view text, std::size_t limit) {
    text = text.substr(0, limit);
    const std::size_t nul = text.find('\0');
    return std::string(text.substr(0, nul));
}

}  // namespace

PacketLink::PacketLink(Clock& clock) : m_clock(clock) {}

PacketLink::~PacketLink() = default;

AddressPrefix PacketLink::Prefix() const {
    return AddressPrefix(m_state ? TextOf(m_state->address) : std::string_view());
}

bool PacketLink::OpenPort(const std::string& portName) {
    return OpenLine(MakeSerialLine(portName, m_clock));
}

namespace {

// Opens the line at 9600 baud 8N1 without flow control, raises DTR and sets the time-outs;
// throws as the line does.
void OpenWithFixedSettings(SerialLine& line) {
    LineSettings settings;
    settings.baudRate = 9600;
    settings.parity = kParityNone;
    settings.dataBits = 8;
    settings.stopBits = kStopOne;
    settings.flowControl = kFlowNone;
    SerialTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 100;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = PacketLink::kReadTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = 2;
    timeouts.WriteTotalTimeoutConstant = 100;
    line.Open(settings);
    line.SetDtr();
    line.SetTimeouts(timeouts);
}

}  // namespace

bool PacketLink::OpenLine(std::unique_ptr<SerialLine> line) {
    m_openError = 0;
    if (!line) return false;
    ClosePort();
    try {
        OpenWithFixedSettings(*line);
    } catch (const CSerialException& error) {
        // A port left open with partial settings would be talked through by the next connect.
        DebugLog("OpenPort(%s) failed: %lu", line->Name().c_str(), error.Error());
        m_openError = error.Error();
        line->Close();
        return false;
    }
    m_line = std::move(line);
    return true;
}

void PacketLink::ClosePort() {
    m_lineGone = false;
    if (!m_line) return;
    try {
        if (m_line->IsOpen()) m_line->ClearDtr();
    } catch (const CSerialException&) {
        // The port is closed below whatever DTR did.
    }
    m_line->Close();
}

bool PacketLink::IsOpen() const {
    return m_line && (m_line->IsOpen() || m_lineGone);
}

bool PacketLink::LineReady() {
    if (!m_line) return false;
    if (m_line->IsOpen()) return true;
    if (!m_lineGone) return false;
    try {
        OpenWithFixedSettings(*m_line);
    } catch (const CSerialException& error) {
        DebugLog("ReopenPort(%s) failed: %lu", m_line->Name().c_str(), error.Error());
        m_line->Close();
        return false;
    }
    DebugLog("ReopenPort(%s): the device is back", m_line->Name().c_str());
    m_lineGone = false;
    return true;
}

void PacketLink::NoteLineError(const CSerialException& error) {
    if (error.IsStop()) {
        m_stopped = true;
        return;
    }
    if (!error.IsDeviceGone() || !m_line || !m_line->IsOpen()) return;
    DebugLog("Port %s went away (%lu): closed until it can be opened again", m_line->Name().c_str(),
             error.Error());
    m_line->Close();
    m_lineGone = true;
}

bool PacketLink::SendPacket(std::string_view command) {
    m_stopped = false;
    return WritePacket(command);
}

bool PacketLink::WritePacket(std::string_view command) {
    const std::string prefix = Prefix().ForCommand(command);
    std::size_t written = 0;
    try {
        // Nothing goes out once a stop is asked for: the instrument would answer a request that
        // nobody reads any more.
        if (m_stopped || m_clock.StopRequested())
            CSerialException::Throw(CSerialException::kStopped);
        if (!LineReady()) CSerialException::Throw(EBADF);
        if (!prefix.empty()) m_line->Write(prefix.data(), prefix.size());
        written = m_line->Write(command.data(), command.size());
    } catch (const CSerialException& error) {
        NoteLineError(error);
        written = 0;
    }
    DebugLog("SendPacket(%d) [%s%s]", static_cast<int>(written), prefix.c_str(),
             Printable(command, kBufferSize - 64).c_str());
    return written == command.size();
}

bool PacketLink::ReceiveLine(std::string& reply) {
    m_stopped = false;
    return ReadOneLine(reply) == LineFrom::OurInstrument;
}

bool PacketLink::ReceiveOwnLine(std::string& reply) {
    // Lines of other instruments on the radio network come between a request and its answer;
    // they are not the answer and do not end the wait for it.
    constexpr int kMaxRejected = 4;
    for (int n = 0; n <= kMaxRejected && !m_stopped; ++n) {
        const LineFrom from = ReadOneLine(reply);
        if (from == LineFrom::OurInstrument) return true;
        if (from == LineFrom::Nobody) return false;
    }
    return false;
}

PacketLink::LineFrom PacketLink::ReadOneLine(std::string& reply) {
    reply.clear();
    bool received = false;
    try {
        if (m_stopped) CSerialException::Throw(CSerialException::kStopped);
        if (!LineReady()) {
            // A device that is away answers nothing: the try lasts as long as a silent line's.
            if (m_lineGone) Pause(kReadTimeoutMs);
            CSerialException::Throw(EBADF);
        }
        for (;;) {
            unsigned char byte = 0;
            if (m_line->Read(&byte, 1) == 0) break;
            if (byte == 0x0A) continue;
            reply.push_back(static_cast<char>(byte));
            if (byte == 0x0D || reply.size() >= kMaxLine) {
                received = true;
                break;
            }
        }
    } catch (const CSerialException& error) {
        NoteLineError(error);
        received = false;
    }
    if (received && m_state) m_state->lastReplyTime = m_clock.UtcSeconds();
    // The log names the packets as it always has: SendPacket and RecvPacket.
    DebugLog("RecvPacket(%d) [%s]", received ? 1 : 0, Printable(reply, kLoggedReply).c_str());
    if (!received) return LineFrom::Nobody;
    return Prefix().TakeOwnReply(reply) ? LineFrom::OurInstrument : LineFrom::AnotherInstrument;
}

std::size_t PacketLink::DrainUntilQuiet(int limitMs) {
    std::size_t dropped = 0;
    const std::int64_t endMs = m_clock.MonotonicMs() + limitMs;
    try {
        if (!m_line || !m_line->IsOpen() || m_stopped) return 0;
        char buffer[256];
        while (m_clock.MonotonicMs() < endMs) {
            const std::size_t read = m_line->Read(buffer, sizeof buffer);
            if (read == 0) break;
            dropped += read;
        }
    } catch (const CSerialException& error) {
        NoteLineError(error);
    }
    if (dropped > 0) DebugLog("DrainInput dropped %zu bytes", dropped);
    return dropped;
}

void PacketLink::PurgeInput() {
    try {
        if (m_line && m_line->IsOpen()) m_line->PurgeInput();
    } catch (const CSerialException& error) {
        // The exchange that follows meets the same port error and reports it.
        NoteLineError(error);
    }
}

bool PacketLink::Pause(int milliseconds) {
    if (m_clock.SleepMs(milliseconds)) return true;
    m_stopped = true;
    return false;
}

bool PacketLink::Transact(std::string_view command, std::string& reply, int attempts,
                          const char* expected, IdenticalLine identical) {
    reply.clear();
    m_localEchoSeen = false;
    m_stopped = false;
    if (attempts <= 0) return true;
    if (!Pause(kPauseMs)) return false;
    bool obtained = false;
    for (int attempt = 0; attempt < attempts && !obtained && !m_stopped; ++attempt) {
        // A reply that came late, or twice, to an earlier request would otherwise be read
        // as the answer to this one and keep every later exchange a line out of step.
        PurgeInput();
        WritePacket(command);
        if (ReceiveOwnLine(reply)) {
            if (reply == command && identical == IdenticalLine::LocalEcho) {
                m_localEchoSeen = true;
                obtained = ReceiveOwnLine(reply);
            } else {
                obtained = true;
            }
        }
        if (!obtained && !m_stopped) Pause(kPauseMs);
    }
    if (!obtained) return false;
    if (expected && std::strlen(expected) < kBufferSize) return StartsWith(reply, expected);
    return true;
}

bool PacketLink::SendExpectEcho(std::string& command, int waitMs, IdenticalLine identical) {
    std::string reply;
    const bool exchanged = Transact(command, reply, 1, nullptr, identical);
    command = TextCase::UpperAscii(command);
    reply = TextCase::UpperAscii(reply);
    if (!exchanged) return false;
    if (BeginsWith(reply, command)) return true;
    if (!Pause(waitMs)) return false;
    std::string second;
    if (!ReceiveOwnLine(second)) return false;
    return BeginsWith(second, command);
}

}  // namespace vg28
