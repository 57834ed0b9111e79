#pragma once
// The packet link: turns the byte line into CR-terminated command and reply lines. It opens the
// instrument line with the fixed settings, prefixes each command with the instrument's network
// address when one is selected, reads one reply line, trims line noise and the address prefix
// (the address rules are AddressPrefix's), and retries whole exchanges. Every packet is written
// to the debug log.
//
// The link owns its line. It reads and writes two values of the current document's live state:
// the instrument address and the last-reply time (none without a document). Failures are
// results: no operation throws, port errors become false.
//
// Every wait of an exchange (the line's reads and writes, the pauses between tries) runs the
// clock's wait hook (platform/WaitHook.h). When the hook asks for a stop, the wait ends at once,
// the exchange fails without further tries, and while the stop lasts nothing more is sent: each
// later operation fails at once too (Stopped() tells such failures from a silent line).

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "link/AddressPrefix.h"
#include "link/SerialLine.h"

namespace vg28 {

class CSerialException;
class Clock;
struct CurrentState;

class PacketLink {
public:
    // A reply line holds at most this many characters (the CR included when it fits).
    static constexpr std::size_t kMaxLine = 2046;
    // Requests and replies are built in and copied to buffers of this size.
    static constexpr std::size_t kBufferSize = 2048;
    // Replies are logged with at most this many characters.
    static constexpr int kLoggedReply = 479;
    // A read waits at most this long for the first byte of a reply.
    static constexpr int kReadTimeoutMs = 2000;

    explicit PacketLink(Clock& clock);
    ~PacketLink();
    PacketLink(const PacketLink&) = delete;
    PacketLink& operator=(const PacketLink&) = delete;

    // The live state of the current document (may be null): address and last-reply time.
    void SetState(CurrentState* state) { m_state = state; }
    CurrentState* State() const { return m_state; }
    Clock& GetClock() const { return m_clock; }
    // The address rules for the instrument of the live state (none without a state).
    AddressPrefix Prefix() const;

    // Opens the named port ("simulator" or a device path) at 9600 baud 8N1 without flow
    // control, raises DTR and sets the time-outs. False, with the port closed again, when any
    // step fails.
    bool OpenPort(const std::string& portName);
    // Opens an already made line with the same settings (tests, the in-process simulator).
    bool OpenLine(std::unique_ptr<SerialLine> line);
    // The system error code of the last open that failed (CSerialException::FailureOf tells
    // its cause); 0 after an open that succeeded or a failure without a code.
    unsigned long OpenError() const { return m_openError; }
    // Lowers DTR and closes the line (the closed line stays until the next open); nothing
    // when it is closed.
    void ClosePort();
    // True while the port is open, and while a port whose device went away waits to be
    // opened again: a read or write that fails because the device is gone (an unplugged USB
    // adapter) closes the line, and each later exchange first opens the same name again. An
    // exchange whose open fails is a try without an answer and lasts as long as one.
    bool IsOpen() const;
    SerialLine* Line() const { return m_line.get(); }

    // Reads and drops what the line still carries (an instrument streaming the rest of a
    // download whose reader went away) until one read time-out passes without a byte or
    // limitMs is over. The number of bytes dropped.
    std::size_t DrainUntilQuiet(int limitMs);

    // Writes one command (with the address prefix when due). True when all bytes of the
    // command itself were written.
    bool SendPacket(std::string_view command);
    // Reads one line and takes the noise and our address prefix off. False when no line came
    // and when the line is another instrument's: nothing is waited for beyond this one line.
    bool ReceiveLine(std::string& reply);
    // What a received line identical to the command is: the line's own local echo (skipped,
    // the next line is the reply), or the reply itself. A setting sent again in upper case is
    // echoed by the instrument with exactly its text: on a line without local echo that line
    // is the reply.
    enum class IdenticalLine { LocalEcho, Reply };

    // Sends and reads with up to attempts tries; a local echo of the command is skipped. With
    // an expected prefix, the reply must begin with it.
    bool Transact(std::string_view command, std::string& reply, int attempts,
                  const char* expected = nullptr,
                  IdenticalLine identical = IdenticalLine::LocalEcho);
    // Sends a setting command and checks that the instrument echoes it. The command is
    // converted to upper case in place, so a repeated call sends the upper-case form.
    bool SendExpectEcho(std::string& command, int waitMs,
                        IdenticalLine identical = IdenticalLine::LocalEcho);
    // Whether the last Transact (or SendExpectEcho) skipped a local echo of its command.
    bool LocalEchoSeen() const { return m_localEchoSeen; }
    // Whether the last operation gave up because the wait hook asked for a stop.
    bool Stopped() const { return m_stopped; }

private:
    enum class LineFrom { Nobody, OurInstrument, AnotherInstrument };

    // The line open for an exchange: open already, or opened again after its device went away.
    bool LineReady();
    // A stop ends the exchange; a device gone closes the line until LineReady opens it again.
    void NoteLineError(const CSerialException& error);
    void PurgeInput();
    bool WritePacket(std::string_view command);
    // A pause of the exchange; false (and stopped) when the wait hook asked for a stop.
    bool Pause(int milliseconds);
    // One line read, logged, and cleaned by the address rules; whose it is.
    LineFrom ReadOneLine(std::string& reply);
    // The next line of our instrument, waiting past a few lines of other instruments.
    bool ReceiveOwnLine(std::string& reply);

    Clock& m_clock;
    std::unique_ptr<SerialLine> m_line;
    CurrentState* m_state = nullptr;
    bool m_localEchoSeen = false;
    bool m_stopped = false;
    bool m_lineGone = false;
    unsigned long m_openError = 0;
};

}  // namespace vg28
