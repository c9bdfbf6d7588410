#pragma once
// The settings folder's ports/ as it changes (inotify): a wake-up when an entry is made or removed,
// and the names removed, so that an entry removed and made again between two looks still counts
// as a scanner unplugged and plugged in again.

#include <filesystem>
#include <set>
#include <string>

namespace qsp {

class PortsFolderWatch {
public:
    PortsFolderWatch() = default;
    ~PortsFolderWatch();
    PortsFolderWatch(const PortsFolderWatch&) = delete;
    PortsFolderWatch& operator=(const PortsFolderWatch&) = delete;

    // Watches `settingsDir`/ports (made when missing); false when that cannot be done, in which
    // case the folder is only looked at from time to time.
    bool Start(const std::filesystem::path& settingsDir);
    int Fd() const { return fd_; }
    // The names removed (or renamed away) since the last call.
    std::set<std::string> TakeRemoved();

private:
    int fd_ = -1;
};

}  // namespace qsp
