#pragma once
// Refuses a second running copy of the program: an exclusive lock on a file in the settings
// folder. The kernel drops the lock when the process ends, so a crash leaves nothing stale.

#include <filesystem>

namespace qsp {

class SingleInstance {
public:
    explicit SingleInstance(const std::filesystem::path& settingsDir);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when another copy holds the lock.
    bool AnotherIsRunning() const { return another_; }

private:
    int fd_ = -1;
    bool another_ = false;
};

}  // namespace qsp
