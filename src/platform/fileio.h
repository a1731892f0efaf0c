#pragma once
// Whole writes on a POSIX descriptor: the documents and the settings file
// both write through descriptors so that they can fsync, set the mode and
// lock before the bytes land.

#include <QByteArray>

#include <cerrno>
#include <unistd.h>

namespace zeq {

// Writes every byte, going on after short writes and interruptions; false
// when the system refused (errno tells why).
inline bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace zeq
