#include "link/ports_folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

namespace qsp {

PortsFolderWatch::~PortsFolderWatch() {
    if (fd_ >= 0) ::close(fd_);
}

bool PortsFolderWatch::Start(const std::filesystem::path& settingsDir) {
    const auto ports = settingsDir / "ports";
    std::error_code ec;
    std::filesystem::create_directories(ports, ec);
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) return false;
    if (::inotify_add_watch(fd_, ports.c_str(),
                            IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) < 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

std::set<std::string> PortsFolderWatch::TakeRemoved() {
    std::set<std::string> removed;
    if (fd_ < 0) return removed;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if ((e->mask & (IN_DELETE | IN_MOVED_FROM)) && e->len > 0) removed.insert(e->name);
            p += sizeof(inotify_event) + e->len;
        }
    }
    return removed;
}

}  // namespace qsp
