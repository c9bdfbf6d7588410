#pragma once
// The advisory lock serial programs share a port with on Linux (flock on the device node): one
// talker per scanner. Whoever opens a tty, hidraw or serio node for a scanner takes it; a
// second comer finds the device busy and leaves it alone.

#include <filesystem>

namespace qsp {

// Takes the lock on the open device `fd`, without waiting; false when another open of the
// device holds it. The lock goes with the descriptor's last close.
bool LockDevice(int fd);

// Whether another process holds the lock on `device` now (for saying why an open failed).
bool DeviceBusy(const std::filesystem::path& device);

// An open of `device` that holds its lock (hidapi keeps its own descriptor out of reach); -1
// when the device cannot be opened or is busy.
int OpenLockedDevice(const std::filesystem::path& device);

}  // namespace qsp
