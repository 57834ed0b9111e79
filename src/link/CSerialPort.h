#pragma once
// A thin wrapper over one serial device (or a pseudo-terminal, which must work as a port).
// The port owns its device handle: destroying it closes the handle without touching DTR.
// Every failing system call throws CSerialException with the system error code; Close and
// EnumeratePorts never throw. The POSIX backend is CSerialPort.cpp (termios, reads timed with
// poll); the Win32 backend in win32/ follows the Win32 communications API call for call.
//
// With a wait hook (SetWaitHook, WaitHook.h) the POSIX reads and writes wait in slices of at most
// WaitHook::kSliceMs and run the hook before each slice that has to wait; when it asks for a
// stop the operation throws CSerialException::kStopped at once. The time-outs stay as set: the
// hook's own time counts towards them. The Win32 backend keeps the hook but does not run it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/SerialTimeouts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <termios.h>
#endif

namespace vg28 {

class CSerialPort {
public:
#ifdef _WIN32
    using NativeHandle = HANDLE;
    using NativeState = DCB;
#else
    using NativeHandle = int;
    using NativeState = struct termios;
#endif

    CSerialPort() = default;
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens the device and applies baud rate, parity, data bits, stop bits and flow control
    // (indexes of SerialTimeouts.h). The port is this process's alone while open: POSIX holds
    // the device with an exclusive flock and TIOCEXCL, and a port that another program holds
    // throws EBUSY (PortFailure::InUse) at once. A failed open throws before anything is
    // stored; a failure while configuring throws with the port left open (the caller closes it).
    void Open(const std::string& device, std::uint32_t baudRate, int parity, int dataBits,
              int stopBits, int flowControl, bool overlapped = false);
    // The Win32 device name "\\.\COM%d" of a 1-based port number.
    static std::string DeviceNameOf(int portNumber);

    // Closes the handle; returns the close result (non-zero success), or -1 when already closed.
    int Close();
    bool IsOpen() const;
    bool IsOverlapped() const {
        return m_overlapped;
    }

    // One read of up to count bytes honouring the time-outs; 0 on a time-out.
    std::size_t Read(void* buffer, std::size_t count);
    // One write; returns the number of bytes written before the write time-out.
    std::size_t Write(const void* data, std::size_t count);

    void GetState(NativeState& state);
    void SetState(const NativeState& state);
    void SetTimeouts(const SerialTimeouts& timeouts);
    const SerialTimeouts& Timeouts() const {
        return m_timeouts;
    }
    void SetDtr();
    void ClearDtr();
    // What the waits of Read and Write run before each slice; true from it stops the operation.
    void SetWaitHook(std::function<bool()> hook) {
        m_waitHook = std::move(hook);
    }
    // Discards what the driver received and nobody read yet.
    void PurgeInput();

    // Serial devices present on this machine in ascending order. A device that exists but is
    // busy (held by another program, or refusing access) is listed too. POSIX: each device
    // once, under its /dev/serial/by-id link where it has one (PortEnumerator); Win32: "COM%d"
    // names of COM1 to COM255.
    static std::vector<std::string> EnumeratePorts();
    // The ports to offer when current is the stored one: EnumeratePorts, with current in place
    // of the entry that is the same device, or after them when it is a terminal device the
    // usual names miss (a pseudo-terminal, another driver's name), so that confirming the
    // settings does not lose a port that works.
    static std::vector<std::string> PortsToOffer(const std::string& current);

private:
    void Configure(std::uint32_t baudRate, int parity, int dataBits, int stopBits, int flowControl);
#ifndef _WIN32
    // Waits until the device is ready for events or the time (ms, negative: no limit) is up.
    bool WaitReady(short events, int timeoutMs);
    // Runs the wait hook; throws kStopped when it asks for a stop.
    void RunWaitHook();
#endif

#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#else
    int m_handle = -1;
    bool m_exclusive = false;  // TIOCEXCL set, cleared again before the close
#endif
    bool m_overlapped = false;
    SerialTimeouts m_timeouts{};
    std::function<bool()> m_waitHook;
};

}  // namespace vg28
