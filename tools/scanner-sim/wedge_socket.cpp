#include "wedge_socket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qspsim {

WedgeSocket::WedgeSocket(WedgeModel& model, std::filesystem::path path, std::string name,
                         std::FILE* log)
    : model_(model),
      path_(std::move(path)),
      name_(std::move(name)),
      log_(log),
      start_(std::chrono::steady_clock::now()) {}

WedgeSocket::~WedgeSocket() {
    if (client_ >= 0) ::close(client_);
    if (listen_ >= 0) {
        ::close(listen_);
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
}

Micros WedgeSocket::Now() const {
    return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - start_);
}

bool WedgeSocket::Start(qsptools::ToolMessage& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = path_.string();
    if (path.size() >= sizeof address.sun_path) {
        error = {"socket path too long: %1", {path}};
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    std::error_code ec;
    std::filesystem::create_directories(path_.parent_path(), ec);
    // A socket left behind by an earlier run is replaced; anything else there is not.
    if (std::filesystem::is_socket(path_, ec)) std::filesystem::remove(path_, ec);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 4) != 0) {
        error = {"cannot make the socket %1: %2", {path, std::strerror(errno)}};
        if (fd >= 0) ::close(fd);
        return false;
    }
    listen_ = fd;
    if (log_) {
        std::fprintf(log_, "# %s: %s\n", name_.c_str(), path.c_str());
        std::fflush(log_);
    }
    return true;
}

void WedgeSocket::Prepare(std::vector<pollfd>& fds, Time& wake) {
    fds.push_back(pollfd{listen_, POLLIN, 0});
    fds.push_back(pollfd{client_, POLLIN, 0});  // a negative descriptor is not watched
    if (!out_.empty()) wake = std::min(wake, start_ + out_.front().due);
}

void WedgeSocket::Serve(const pollfd* fds) {
    if (fds[0].revents & POLLIN) Accept();
    if (client_ >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) ReceiveFromHost();
    SendDue();
}

void WedgeSocket::Accept() {
    const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    // The library opens anew after a failed connect: the newest connection is the host.
    DropClient();
    client_ = fd;
    sent_ = 0;
    if (log_) std::fprintf(log_, "# %s: host connected\n", name_.c_str());
}

void WedgeSocket::DropClient() {
    if (client_ < 0) return;
    ::close(client_);
    client_ = -1;
    out_.clear();
    if (log_) std::fprintf(log_, "# %s: host gone\n", name_.c_str());
}

void WedgeSocket::ReceiveFromHost() {
    std::uint8_t buffer[256];
    for (;;) {
        const ssize_t n = ::recv(client_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            DropClient();
            return;
        }
        if (n < 0) return;
        Log("H>S", buffer, static_cast<std::size_t>(n));
        model_.Receive(buffer, static_cast<std::size_t>(n));
        const Micros now = Now();
        for (auto& a : model_.TakeAnswers())
            out_.push_back(Pending{std::move(a.bytes), now + a.delay});
        LogNotes();
    }
}

void WedgeSocket::SendDue() {
    const Micros now = Now();
    const long limit = model_.faults().closeAfter;
    while (client_ >= 0 && !out_.empty() && out_.front().due <= now) {
        std::vector<std::uint8_t>& m = out_.front().message;
        if (limit >= 0 && sent_ + static_cast<long>(m.size()) > limit) {
            if (log_)
                std::fprintf(log_, "# fault: %s dropped after %ld bytes\n", name_.c_str(), sent_);
            DropClient();
            return;
        }
        const ssize_t w = ::send(client_, m.data(), m.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (w < 0 && errno == EAGAIN) return;
        if (w < 0) {
            DropClient();
            return;
        }
        Log("S>H", m.data(), m.size());
        sent_ += static_cast<long>(m.size());
        out_.pop_front();
    }
}

void WedgeSocket::Log(const char* direction, const std::uint8_t* data, std::size_t size) {
    if (!log_ || size == 0) return;
    std::fprintf(log_, "%.6f %s %s", static_cast<double>(Now().count()) / 1e6, name_.c_str(),
                 direction);
    for (std::size_t i = 0; i < size; ++i)
        std::fprintf(log_, " %02X", data[i]);
    std::fputc('\n', log_);
    std::fflush(log_);
}

void WedgeSocket::LogNotes() {
    for (const auto& note : model_.TakeNotes()) {
        if (log_)
            std::fprintf(log_, "# %.6f %s %s\n", static_cast<double>(Now().count()) / 1e6,
                         name_.c_str(), note.c_str());
    }
    if (log_) std::fflush(log_);
}

}  // namespace qspsim
