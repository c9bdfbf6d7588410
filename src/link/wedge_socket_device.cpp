// A virtual keyboard-wedge device: a Unix-domain SOCK_SEQPACKET socket, so every report or
// frame is one message and keeps its boundaries. A USB reply is one 9-byte report message; a
// PS/2 reply comes as one or more messages of scan codes.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/wedge_device.h"

namespace qsp {

namespace {

class SocketDevice : public WedgeDevice {
public:
    explicit SocketDevice(int fd) : fd_(fd) {}
    ~SocketDevice() override { ::close(fd_); }
    SocketDevice(const SocketDevice&) = delete;
    SocketDevice& operator=(const SocketDevice&) = delete;

    bool Send(const std::uint8_t* data, std::size_t size) override {
        std::uint8_t stale[64];
        while (::recv(fd_, stale, sizeof stale, MSG_DONTWAIT) > 0) {
        }
        ssize_t w;
        do {
            w = ::send(fd_, data, size, MSG_NOSIGNAL);
        } while (w < 0 && errno == EINTR);
        return w == static_cast<ssize_t>(size);
    }

    std::size_t Receive(std::uint8_t* data, std::size_t size, int timeoutMs) override {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left)));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0 || !(p.revents & POLLIN)) return 0;
            const ssize_t n = ::recv(fd_, data, size, MSG_DONTWAIT);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<WedgeDevice> OpenSocketDevice(const std::filesystem::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.size() >= sizeof address.sun_path) return nullptr;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<SocketDevice>(fd);
}

}  // namespace qsp
