#include "pty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qspsim {

namespace {

int SpeedValue(speed_t speed) {
    switch (speed) {
        case B300:
            return 300;
        case B600:
            return 600;
        case B1200:
            return 1200;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        default:
            return 0;
    }
}

speed_t SpeedCode(int baud) {
    switch (baud) {
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        default:
            return B115200;
    }
}

}  // namespace

PtyLine::PtyLine(ScannerModel& model, std::filesystem::path link, std::FILE* log)
    : model_(model), link_(std::move(link)), log_(log), start_(std::chrono::steady_clock::now()) {}

PtyLine::~PtyLine() {
    std::error_code ec;
    if (!slaveName_.empty() && std::filesystem::is_symlink(link_, ec) &&
        std::filesystem::read_symlink(link_, ec) == slaveName_) {
        std::filesystem::remove(link_, ec);
    }
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

Micros PtyLine::Now() const {
    return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - start_);
}

bool PtyLine::Start(qsptools::ToolMessage& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = {"cannot create a pseudo-terminal: %1", {std::strerror(errno)}};
        return false;
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        error = {"cannot name the pseudo-terminal", {}};
        return false;
    }
    slaveName_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Holding the slave open keeps the master from reporting a hang-up whenever the program
    // closes its port.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        error = {"cannot open %1: %2", {name, std::strerror(errno)}};
        return false;
    }
    // A raw line at the scanner's own settings until the program sets its own; the program's
    // port puts these back when it closes.
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    const LineView own = model_.OwnLine();
    ::cfsetispeed(&t, SpeedCode(own.baud));
    ::cfsetospeed(&t, SpeedCode(own.baud));
    if (own.twoStopBits) t.c_cflag |= CSTOPB;
    ::tcsetattr(slave_, TCSANOW, &t);

    std::error_code ec;
    std::filesystem::create_directories(link_.parent_path(), ec);
    if (std::filesystem::is_symlink(link_, ec)) std::filesystem::remove(link_, ec);
    std::filesystem::create_symlink(slaveName_, link_, ec);
    if (ec) {
        error = {"cannot make the link %1: %2", {link_.string(), ec.message()}};
        slaveName_.clear();
        return false;
    }
    if (log_) {
        std::fprintf(log_, "# %s -> %s, scanner at %s\n", link_.string().c_str(),
                     slaveName_.c_str(), Describe(own).c_str());
        std::fflush(log_);
    }
    return true;
}

LineView PtyLine::HostLine() const {
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) return LineView{0};
    LineView v;
    v.baud = SpeedValue(::cfgetospeed(&t));
    v.twoStopBits = (t.c_cflag & CSTOPB) != 0;
    v.parityOdd = (t.c_cflag & PARODD) != 0;
#ifdef CMSPAR
    v.markSpace = (t.c_cflag & CMSPAR) != 0;
#endif
    return v;
}

void PtyLine::Log(const char* direction, const std::uint8_t* data, std::size_t size) {
    if (!log_ || size == 0) return;
    std::fprintf(log_, "%.6f %s", static_cast<double>(Now().count()) / 1e6, direction);
    for (std::size_t i = 0; i < size; ++i)
        std::fprintf(log_, " %02X", data[i]);
    std::fputc('\n', log_);
    std::fflush(log_);
}

void PtyLine::LogNotes() {
    for (const auto& note : model_.TakeNotes()) {
        if (log_)
            std::fprintf(log_, "# %.6f %s\n", static_cast<double>(Now().count()) / 1e6,
                         note.c_str());
    }
    if (log_) std::fflush(log_);
}

void PtyLine::Queue(const Answer& answer, Micros now) {
    Micros due = std::max(now + answer.delay, lastDue_);
    const Micros perByte = answer.baud > 0 ? Micros(10'000'000LL / answer.baud) : Micros(0);
    for (std::uint8_t b : answer.bytes) {
        out_.push_back(Pending{b, due});
        due += perByte;
    }
    lastDue_ = out_.empty() ? lastDue_ : out_.back().due;
}

bool PtyLine::SendDue() {
    const Micros now = Now();
    std::uint8_t chunk[4096];
    std::size_t n = 0;
    while (n < sizeof chunk && n < out_.size() && out_[n].due <= now) {
        chunk[n] = out_[n].byte;
        ++n;
    }
    const long limit = model_.faults().closeAfter;
    if (limit >= 0 && sent_ + static_cast<long>(n) >= limit)
        n = static_cast<std::size_t>(limit - sent_);
    if (n > 0) {
        const ssize_t w = ::write(master_, chunk, n);
        if (w > 0) {
            Log("S>H", chunk, static_cast<std::size_t>(w));
            out_.erase(out_.begin(), out_.begin() + w);
            sent_ += w;
        }
    }
    if (limit >= 0 && sent_ >= limit && !out_.empty()) {
        if (log_) std::fprintf(log_, "# fault: line dropped after %ld bytes\n", sent_);
        return false;
    }
    return true;
}

void PtyLine::ReceiveDue() {
    const Micros now = Now();
    while (!in_.empty() && in_.front().due <= now) {
        const Inbound chunk = std::move(in_.front());
        in_.pop_front();
        model_.Receive(chunk.bytes.data(), chunk.bytes.size(), chunk.line, chunk.due);
        for (const auto& a : model_.TakeAnswers())
            Queue(a, chunk.due);
        LogNotes();
    }
}

void PtyLine::Run(const volatile int& stop) {
    std::uint8_t buffer[4096];
    while (!stop) {
        Micros next = Now() + Micros(100000);
        if (!out_.empty()) next = std::min(next, out_.front().due);
        if (!in_.empty()) next = std::min(next, in_.front().due);
        const auto wait = (next - Now()).count();
        int timeout =
            wait <= 0 ? 0 : static_cast<int>(std::min<long long>(100, (wait + 999) / 1000));
        std::vector<pollfd> fds{pollfd{master_, POLLIN, 0}};
        std::vector<std::size_t> firsts;
        auto wake = PollClient::Time::max();
        for (PollClient* client : clients_) {
            firsts.push_back(fds.size());
            client->Prepare(fds, wake);
        }
        if (wake != PollClient::Time::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                                  wake - std::chrono::steady_clock::now())
                                  .count();
            timeout = static_cast<int>(std::clamp<long long>(left, 0, timeout));
        }
        const int r = ::poll(fds.data(), fds.size(), timeout);
        const pollfd& p = fds[0];
        for (std::size_t i = 0; i < clients_.size(); ++i)
            clients_[i]->Serve(fds.data() + firsts[i]);
        if (r > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) {
                // The pseudo-terminal passes the bytes at once; a line takes its time.
                const LineView host = HostLine();
                Log("H>S", buffer, static_cast<std::size_t>(n));
                const Micros perByte(host.baud > 0 ? 10'000'000LL / host.baud : 0);
                inLast_ = std::max(Now(), inLast_) + perByte * n;
                in_.push_back(
                    Inbound{std::vector<std::uint8_t>(buffer, buffer + n), host, inLast_});
            }
        } else if (r > 0 && (p.revents & (POLLHUP | POLLERR))) {
            // Not expected while the slave is held open; avoid spinning if it happens.
            ::usleep(10000);
        }
        ReceiveDue();
        if (tick_) {
            tick_(HostLine());
            for (const auto& a : model_.TakeAnswers())
                Queue(a, Now());
            LogNotes();
        }
        if (!SendDue()) return;
    }
}

}  // namespace qspsim
