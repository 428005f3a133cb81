#pragma once

#include <QString>
#include <cerrno>
#include <cstring>

namespace platform {

// The system's words for why the last system call failed, for a message
// that names it; read errno before anything else can change it.
inline QString lastSystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace platform
