#include "base/device_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace qsp {

bool LockDevice(int fd) {
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

int OpenLockedDevice(const std::filesystem::path& device) {
    // Read-only and non-blocking: no modem lines change, no wait for a carrier.
    const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (!LockDevice(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool DeviceBusy(const std::filesystem::path& device) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // A tty in exclusive mode refuses any further open.
    if (fd < 0) return errno == EBUSY;
    const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return busy;
}

}  // namespace qsp
