#ifndef _WIN32
#include "link/CSerialException.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <type_traits>

#include "platform/FixedText.h"

namespace vg28 {

bool CSerialException::GetErrorMessage(char* buffer, std::size_t size,
                                       unsigned* helpContext) const {
    if (helpContext) *helpContext = 0;
    if (!buffer || size == 0) return false;
    const std::string text = Message();
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return !text.empty();
}

std::string CSerialException::Message() const {
    char local[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const auto result = strerror_r(static_cast<int>(m_error), local, sizeof local);
    if constexpr (std::is_pointer_v<std::remove_cv_t<decltype(result)>>) {
        return result ? std::string(result) : std::string();
    } else {
        return result == 0 ? std::string(local) : std::string();
    }
}

PortFailure CSerialException::FailureOf(unsigned long error) {
    switch (static_cast<int>(error)) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return PortFailure::NoSuchPort;
        case EACCES:
        case EPERM:
            return PortFailure::AccessDenied;
        case EBUSY:
            return PortFailure::InUse;
        default:
            return PortFailure::Other;
    }
}

bool CSerialException::DeviceGone(unsigned long error) {
    const int code = static_cast<int>(error);
    return code == EIO || code == ENXIO || code == ENODEV;
}

void CSerialException::Throw(unsigned long error) {
    throw CSerialException(error != 0 ? error : static_cast<unsigned long>(errno));
}

}  // namespace vg28
#endif
