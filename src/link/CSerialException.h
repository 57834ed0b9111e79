#pragma once
// The error thrown by the serial port: one system error code (errno here, GetLastError() in the
// Win32 backend) and its system text. The packet link catches it and turns it into a failure
// result; its text is never shown to the operator, only the cause of a failed open is.

#include <cerrno>
#include <cstddef>
#include <exception>
#include <string>

namespace vg28 {

// Why a port would not open, as far as the operator can act on it.
enum class PortFailure {
    Other,
    NoSuchPort,    // no device under that name
    AccessDenied,  // the user may not open the device
    InUse,         // another program holds the port
};

// The system code of a line operation that gave up because the wait hook asked for a stop
// (platform/WaitHook.h), as a cancelled ReadFile fails on Win32.
#ifdef _WIN32
inline constexpr unsigned long kSerialStoppedCode = 995;  // ERROR_OPERATION_ABORTED
#else
inline constexpr unsigned long kSerialStoppedCode = ECANCELED;
#endif

class CSerialException : public std::exception {
public:
    explicit CSerialException(unsigned long error) : m_error(error) {}

    static constexpr unsigned long kStopped = kSerialStoppedCode;

    unsigned long Error() const { return m_error; }
    bool IsStop() const { return m_error == kStopped; }
    PortFailure Failure() const { return FailureOf(m_error); }
    // The cause a system error code stands for when opening a port.
    static PortFailure FailureOf(unsigned long error);
    // Whether a read or write failed because the device went away (a USB adapter pulled out,
    // the far end of a pseudo-terminal closed): the port must be closed and opened again.
    bool IsDeviceGone() const { return DeviceGone(m_error); }
    static bool DeviceGone(unsigned long error);

    // Fills buffer (size bytes, always NUL-terminated when size > 0) with the system's text for
    // the code and sets *helpContext to 0. Returns false, with an empty text, when the system
    // has no text for it.
    bool GetErrorMessage(char* buffer, std::size_t size, unsigned* helpContext = nullptr) const;

    // The system text as a string (empty when there is none).
    std::string Message() const;

    const char* what() const noexcept override { return "CSerialException"; }

    // Throws for the given code; 0 stands for the calling thread's last system error.
    [[noreturn]] static void Throw(unsigned long error = 0);

private:
    unsigned long m_error;
};

}  // namespace vg28
