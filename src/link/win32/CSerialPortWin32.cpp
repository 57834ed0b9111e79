// The Win32 backend of CSerialPort and CSerialException: one communications handle, DCB and
// COMMTIMEOUTS as the Win32 API has them. Built only on Windows.
#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "link/CSerialException.h"
#include "link/CSerialPort.h"

namespace vg28 {

bool CSerialException::GetErrorMessage(char* buffer, std::size_t size,
                                       unsigned* helpContext) const {
    if (helpContext) *helpContext = 0;
    if (!buffer || size == 0) return false;
    buffer[0] = '\0';
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                         static_cast<DWORD>(m_error), MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT),
                         reinterpret_cast<LPSTR>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) return false;
    const std::size_t copied = std::min<std::size_t>(length, size - 1);
    std::memcpy(buffer, text, copied);
    buffer[copied] = '\0';
    ::LocalFree(text);
    return true;
}

std::string CSerialException::Message() const {
    char text[512];
    return GetErrorMessage(text, sizeof text) ? std::string(text) : std::string();
}

// A COM port that another program holds answers access denied (the handle is not shared).
PortFailure CSerialException::FailureOf(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return PortFailure::NoSuchPort;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return PortFailure::InUse;
        default:
            return PortFailure::Other;
    }
}

bool CSerialException::DeviceGone(unsigned long error) {
    return error == ERROR_BAD_COMMAND || error == ERROR_GEN_FAILURE ||
           error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_DEVICE_REMOVED;
}

void CSerialException::Throw(unsigned long error) {
    throw CSerialException(error != 0 ? error : ::GetLastError());
}

namespace {

HANDLE OpenDevice(const std::string& device, bool overlapped) {
    return ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
}

}  // namespace

CSerialPort::~CSerialPort() {
    if (m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
}

std::string CSerialPort::DeviceNameOf(int portNumber) {
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", portNumber);
    return name;
}

void CSerialPort::Open(const std::string& device, std::uint32_t baudRate, int parity, int dataBits,
                       int stopBits, int flowControl, bool overlapped) {
    // "COM3" and a bare number name the same port as "\\.\COM3".
    std::string name = device;
    if (name.size() > 3 && _strnicmp(name.c_str(), "COM", 3) == 0) {
        name = "\\\\.\\" + name;
    }
    const HANDLE handle = OpenDevice(name, overlapped);
    if (handle == INVALID_HANDLE_VALUE) CSerialException::Throw();
    m_handle = handle;
    m_overlapped = overlapped;
    Configure(baudRate, parity, dataBits, stopBits, flowControl);
}

void CSerialPort::Configure(std::uint32_t baudRate, int parity, int dataBits, int stopBits,
                            int flowControl) {
    static const BYTE kParity[] = {EVENPARITY, MARKPARITY, NOPARITY, ODDPARITY, SPACEPARITY};
    static const BYTE kStopBits[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};
    if (parity < 0 || parity > 4 || stopBits < 0 || stopBits > 2 || flowControl < 0 ||
        flowControl > 5) {
        CSerialException::Throw(ERROR_INVALID_PARAMETER);
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    GetState(dcb);
    dcb.BaudRate = baudRate;
    dcb.Parity = kParity[parity];
    dcb.ByteSize = static_cast<BYTE>(dataBits);
    dcb.StopBits = kStopBits[stopBits];
    dcb.fDsrSensitivity = FALSE;
    switch (flowControl) {
        case kFlowNone:
            dcb.fOutxCtsFlow = FALSE;
            dcb.fOutxDsrFlow = FALSE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            break;
        case kFlowCtsRts:
            dcb.fOutxCtsFlow = TRUE;
            dcb.fOutxDsrFlow = FALSE;
            dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            break;
        case kFlowCtsDtr:
            dcb.fOutxCtsFlow = TRUE;
            dcb.fOutxDsrFlow = FALSE;
            dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            break;
        case kFlowDsrRts:
            dcb.fOutxCtsFlow = FALSE;
            dcb.fOutxDsrFlow = TRUE;
            dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            break;
        case kFlowDsrDtr:
            dcb.fOutxCtsFlow = FALSE;
            dcb.fOutxDsrFlow = TRUE;
            dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            break;
        case kFlowXonXoff:
            dcb.fOutxCtsFlow = FALSE;
            dcb.fOutxDsrFlow = FALSE;
            dcb.fOutX = TRUE;
            dcb.fInX = TRUE;
            dcb.XonChar = 0x11;
            dcb.XoffChar = 0x13;
            dcb.XoffLim = 100;
            dcb.XonLim = 100;
            break;
    }
    SetState(dcb);
}

int CSerialPort::Close() {
    if (m_handle == INVALID_HANDLE_VALUE) return -1;
    const BOOL result = ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    m_overlapped = false;
    return result;
}

bool CSerialPort::IsOpen() const {
    return m_handle != INVALID_HANDLE_VALUE;
}

std::size_t CSerialPort::Read(void* buffer, std::size_t count) {
    DWORD read = 0;
    if (!::ReadFile(m_handle, buffer, static_cast<DWORD>(count), &read, nullptr)) {
        CSerialException::Throw();
    }
    return read;
}

std::size_t CSerialPort::Write(const void* data, std::size_t count) {
    DWORD written = 0;
    if (!::WriteFile(m_handle, data, static_cast<DWORD>(count), &written, nullptr)) {
        CSerialException::Throw();
    }
    return written;
}

void CSerialPort::GetState(NativeState& state) {
    state.DCBlength = sizeof state;
    if (!::GetCommState(m_handle, &state)) CSerialException::Throw();
}

void CSerialPort::SetState(const NativeState& state) {
    DCB copy = state;
    if (!::SetCommState(m_handle, &copy)) CSerialException::Throw();
}

void CSerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    COMMTIMEOUTS native{};
    native.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    native.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    native.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    native.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    native.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    if (!::SetCommTimeouts(m_handle, &native)) CSerialException::Throw();
    m_timeouts = timeouts;
}

void CSerialPort::SetDtr() {
    if (!::EscapeCommFunction(m_handle, SETDTR)) CSerialException::Throw();
}

void CSerialPort::ClearDtr() {
    if (!::EscapeCommFunction(m_handle, CLRDTR)) CSerialException::Throw();
}

void CSerialPort::PurgeInput() {
    if (!::PurgeComm(m_handle, PURGE_RXCLEAR)) CSerialException::Throw();
}

std::vector<std::string> CSerialPort::PortsToOffer(const std::string& /*current*/) {
    return EnumeratePorts();  // a COM port that is not found is not there
}

std::vector<std::string> CSerialPort::EnumeratePorts() {
    std::vector<std::string> ports;
    for (int index = 0; index < 255; ++index) {
        const HANDLE handle = OpenDevice(DeviceNameOf(index + 1), false);
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        } else {
            const DWORD error = ::GetLastError();
            if (error != ERROR_ACCESS_DENIED && error != ERROR_GEN_FAILURE &&
                error != ERROR_SHARING_VIOLATION && error != ERROR_SEM_TIMEOUT) {
                continue;
            }
        }
        char name[16];
        std::snprintf(name, sizeof name, "COM%d", index + 1);
        ports.push_back(name);
    }
    return ports;
}

}  // namespace vg28
#endif
