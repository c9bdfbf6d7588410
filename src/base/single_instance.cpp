#include "base/single_instance.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qsp {

SingleInstance::SingleInstance(const std::filesystem::path& settingsDir) {
    const auto path = settingsDir / ".qsp.lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;  // no lock to be had: do not keep the user out
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        another_ = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    fd_ = fd;
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace qsp
