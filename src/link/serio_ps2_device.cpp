// A raw PS/2 port: the serio_raw character device of the port the scanner is plugged into. What
// the host writes goes to the port byte by byte; what arrives is the keyboard's byte stream, of
// which only the make codes are kept (KeepMakeCodes).

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "base/device_lock.h"
#include "link/keyboard_wedge.h"
#include "link/wedge_device.h"

namespace qsp {

namespace {

// Once the first key has come, the rest of a reply follows within this gap.
constexpr int kKeyGapMs = 30;

class SerioPs2Device : public WedgeDevice {
public:
    explicit SerioPs2Device(int fd) : fd_(fd) {}
    ~SerioPs2Device() override { ::close(fd_); }
    SerioPs2Device(const SerioPs2Device&) = delete;
    SerioPs2Device& operator=(const SerioPs2Device&) = delete;

    bool Send(const std::uint8_t* data, std::size_t size) override {
        std::uint8_t stale[64];
        while (::read(fd_, stale, sizeof stale) > 0) {
        }
        extended_ = false;
        std::size_t done = 0;
        while (done < size) {
            const ssize_t w = ::write(fd_, data + done, size - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else if (w < 0 && errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                if (::poll(&p, 1, 1000) <= 0) return false;
            } else if (!(w < 0 && errno == EINTR)) {
                return false;
            }
        }
        return true;
    }

    std::size_t Receive(std::uint8_t* data, std::size_t size, int timeoutMs) override {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
        std::size_t stored = 0;
        while (stored < size) {
            auto wait = deadline;
            if (stored > 0)
                wait = std::min(deadline, Clock::now() + std::chrono::milliseconds(kKeyGapMs));
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(wait - Clock::now()).count();
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left)));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0 || !(p.revents & POLLIN)) break;
            std::uint8_t raw[64];
            const ssize_t n = ::read(fd_, raw, std::min(sizeof raw, size - stored));
            if (n <= 0) break;
            stored += KeepMakeCodes(raw, static_cast<std::size_t>(n), data + stored, extended_);
        }
        return stored;
    }

private:
    int fd_;
    bool extended_ = false;
};

}  // namespace

std::unique_ptr<WedgeDevice> OpenSerioDevice(const std::filesystem::path& device) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (!LockDevice(fd)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<SerioPs2Device>(fd);
}

}  // namespace qsp
