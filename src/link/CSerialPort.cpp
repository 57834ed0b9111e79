#ifndef _WIN32
#include "link/CSerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "link/CSerialException.h"
#include "link/PortEnumerator.h"
#include "platform/WaitHook.h"

namespace vg28 {

namespace {

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

speed_t SpeedOf(std::uint32_t baudRate) {
    switch (baudRate) {
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return B0;
    }
}

// Modem-control requests that a pseudo-terminal or a plain tty refuses are no error.
bool IsRefusedModemControl(int error) {
    return error == ENOTTY || error == EINVAL || error == EIO;
}

// Another program has put the terminal in exclusive mode; only root gets this far then.
bool IsHeldExclusive(int fd) {
#ifdef TIOCGEXCL
    int exclusive = 0;
    return ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
#else
    (void)fd;
    return false;
#endif
}

}  // namespace

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::RunWaitHook() {
    if (m_waitHook && m_waitHook()) CSerialException::Throw(CSerialException::kStopped);
}

bool CSerialPort::WaitReady(short events, int timeoutMs) {
    const std::int64_t deadline = timeoutMs < 0 ? -1 : NowMs() + timeoutMs;
    // With a hook: a first look that costs no wait, then slices, each after the hook has run.
    for (int slice = 0;; ++slice) {
        if (m_waitHook && slice > 0) RunWaitHook();
        int waitMs = -1;
        if (deadline >= 0) waitMs = static_cast<int>(std::max<std::int64_t>(deadline - NowMs(), 0));
        if (m_waitHook) {
            if (slice == 0) {
                waitMs = 0;
            } else if (waitMs < 0 || waitMs > WaitHook::kSliceMs) {
                waitMs = WaitHook::kSliceMs;
            }
        }
        pollfd entry{m_handle, events, 0};
        const int result = ::poll(&entry, 1, waitMs);
        if (result > 0) {
            if (entry.revents & (POLLERR | POLLNVAL)) CSerialException::Throw(EIO);
            return true;
        }
        if (result < 0 && errno != EINTR) CSerialException::Throw();
        if (deadline >= 0 && NowMs() >= deadline) return false;
    }
}

std::string CSerialPort::DeviceNameOf(int portNumber) {
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", portNumber);
    return name;
}

void CSerialPort::Open(const std::string& device, std::uint32_t baudRate, int parity, int dataBits,
                       int stopBits, int flowControl, bool overlapped) {
    // Without O_NONBLOCK the open of a modem line would wait for its carrier.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) CSerialException::Throw();
    // No sharing. The lock keeps out every program that locks the port (another copy of the
    // terminal, vg28-tool, the usual serial tools), root included; exclusive mode makes any
    // other open but root's fail with EBUSY. A device that cannot be locked at all is used
    // without the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        CSerialException::Throw(EBUSY);
    }
    const bool terminal = ::isatty(fd) != 0;
    if (terminal && IsHeldExclusive(fd)) {
        ::close(fd);
        CSerialException::Throw(EBUSY);
    }
    if (terminal && ::ioctl(fd, TIOCEXCL) != 0 && !IsRefusedModemControl(errno)) {
        const int error = errno;
        ::close(fd);
        CSerialException::Throw(static_cast<unsigned long>(error));
    }
    m_handle = fd;
    m_exclusive = terminal;
    m_overlapped = overlapped;
    Configure(baudRate, parity, dataBits, stopBits, flowControl);
}

void CSerialPort::Configure(std::uint32_t baudRate, int parity, int dataBits, int stopBits,
                            int flowControl) {
    struct termios state {};
    GetState(state);

    const speed_t speed = SpeedOf(baudRate);
    if (speed == B0) CSerialException::Throw(EINVAL);
    cfsetispeed(&state, speed);
    cfsetospeed(&state, speed);

    // Raw bytes both ways: no line editing, no translation, no signals.
    state.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                            ICRNL | IXON | IXOFF | IXANY | INPCK);
    state.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    state.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    state.c_cflag |= CREAD | CLOCAL;
    state.c_cc[VMIN] = 0;
    state.c_cc[VTIME] = 0;

    state.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    switch (dataBits) {
        case 5:
            state.c_cflag |= CS5;
            break;
        case 6:
            state.c_cflag |= CS6;
            break;
        case 7:
            state.c_cflag |= CS7;
            break;
        case 8:
            state.c_cflag |= CS8;
            break;
        default:
            CSerialException::Throw(EINVAL);
    }

    state.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    switch (parity) {
        case kParityEven:
            state.c_cflag |= PARENB;
            break;
        case kParityMark:
            state.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case kParityNone:
            break;
        case kParityOdd:
            state.c_cflag |= PARENB | PARODD;
            break;
        case kParitySpace:
            state.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            CSerialException::Throw(EINVAL);
    }

    // termios knows one and two stop bits; one and a half is what two means at five data bits.
    switch (stopBits) {
        case kStopOne:
            state.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
            break;
        case kStopOneHalf:
        case kStopTwo:
            state.c_cflag |= CSTOPB;
            break;
        default:
            CSerialException::Throw(EINVAL);
    }

    // termios has one hardware handshake (RTS/CTS); the four DCB handshakes map onto it.
    state.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    switch (flowControl) {
        case kFlowNone:
            break;
        case kFlowCtsRts:
        case kFlowCtsDtr:
        case kFlowDsrRts:
        case kFlowDsrDtr:
            state.c_cflag |= CRTSCTS;
            break;
        case kFlowXonXoff:
            state.c_iflag |= IXON | IXOFF;
            state.c_cc[VSTART] = 0x11;
            state.c_cc[VSTOP] = 0x13;
            break;
        default:
            CSerialException::Throw(EINVAL);
    }
    SetState(state);
}

int CSerialPort::Close() {
    if (m_handle < 0) return -1;
    // Exclusive mode outlives the descriptor while anyone else keeps the terminal open (the
    // simulator keeps its pseudo-terminal's slave open): without this the next open by a
    // user other than root would fail as busy.
    if (m_exclusive) ::ioctl(m_handle, TIOCNXCL);
    const int result = ::close(m_handle);
    m_handle = -1;
    m_exclusive = false;
    m_overlapped = false;
    return result == 0 ? 1 : 0;
}

bool CSerialPort::IsOpen() const {
    return m_handle >= 0;
}

std::size_t CSerialPort::Read(void* buffer, std::size_t count) {
    if (m_handle < 0) CSerialException::Throw(EBADF);
    auto* bytes = static_cast<unsigned char*>(buffer);
    const std::int64_t total = static_cast<std::int64_t>(m_timeouts.ReadTotalTimeoutMultiplier) *
                                   static_cast<std::int64_t>(count) +
                               m_timeouts.ReadTotalTimeoutConstant;
    const std::int64_t interval = m_timeouts.ReadIntervalTimeout;
    const std::int64_t start = NowMs();
    std::int64_t lastByte = 0;
    std::size_t got = 0;
    while (got < count) {
        // Before the first byte only the total time-out runs; afterwards the interval time-out
        // runs between bytes as well. No time-outs at all wait for the full count.
        std::int64_t deadline = total > 0 ? start + total : -1;
        if (got > 0 && interval > 0) {
            deadline = deadline < 0 ? lastByte + interval : std::min(deadline, lastByte + interval);
        }
        const std::int64_t now = NowMs();
        int waitMs = -1;
        if (deadline >= 0) {
            if (now >= deadline) break;
            waitMs = static_cast<int>(std::min<std::int64_t>(deadline - now, 1 << 30));
        }
        if (!WaitReady(POLLIN, waitMs)) break;
        const ssize_t n = ::read(m_handle, bytes + got, count - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            lastByte = NowMs();
        } else if (n == 0) {
            // End of file on a terminal is a hang-up: the adapter was pulled out. A pseudo-
            // terminal whose far end closed reads EIO instead; both mean the device is gone.
            CSerialException::Throw(EIO);
        } else if (errno != EAGAIN && errno != EINTR) {
            CSerialException::Throw();
        }
    }
    return got;
}

std::size_t CSerialPort::Write(const void* data, std::size_t count) {
    if (m_handle < 0) CSerialException::Throw(EBADF);
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::int64_t total = static_cast<std::int64_t>(m_timeouts.WriteTotalTimeoutMultiplier) *
                                   static_cast<std::int64_t>(count) +
                               m_timeouts.WriteTotalTimeoutConstant;
    const std::int64_t deadline = total > 0 ? NowMs() + total : -1;
    std::size_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(m_handle, bytes + written, count - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) CSerialException::Throw();
        int waitMs = -1;
        if (deadline >= 0) {
            const std::int64_t left = deadline - NowMs();
            if (left <= 0) break;
            waitMs = static_cast<int>(left);
        }
        if (!WaitReady(POLLOUT, waitMs)) break;
    }
    return written;
}

void CSerialPort::GetState(NativeState& state) {
    if (m_handle < 0) CSerialException::Throw(EBADF);
    if (::tcgetattr(m_handle, &state) != 0) CSerialException::Throw();
}

void CSerialPort::SetState(const NativeState& state) {
    if (m_handle < 0) CSerialException::Throw(EBADF);
    if (::tcsetattr(m_handle, TCSANOW, &state) != 0) CSerialException::Throw();
}

void CSerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    if (m_handle < 0) CSerialException::Throw(EBADF);
    m_timeouts = timeouts;
}

void CSerialPort::SetDtr() {
    if (m_handle < 0) CSerialException::Throw(EBADF);
    int bits = TIOCM_DTR;
    if (::ioctl(m_handle, TIOCMBIS, &bits) != 0 && !IsRefusedModemControl(errno)) {
        CSerialException::Throw();
    }
}

void CSerialPort::ClearDtr() {
    if (m_handle < 0) CSerialException::Throw(EBADF);
    int bits = TIOCM_DTR;
    if (::ioctl(m_handle, TIOCMBIC, &bits) != 0 && !IsRefusedModemControl(errno)) {
        CSerialException::Throw();
    }
}

void CSerialPort::PurgeInput() {
    if (m_handle < 0) CSerialException::Throw(EBADF);
    if (::tcflush(m_handle, TCIFLUSH) != 0 && errno != ENOTTY && errno != EINVAL) {
        CSerialException::Throw();
    }
}

std::vector<std::string> CSerialPort::PortsToOffer(const std::string& current) {
    return PortEnumerator().PortsToOffer(current);
}

std::vector<std::string> CSerialPort::EnumeratePorts() {
    return PortEnumerator().Ports();
}

}  // namespace vg28
#endif
