#include "scan_feed.h"

#include <poll.h>
#include <unistd.h>

#include <fstream>

namespace qspsim {

namespace {

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line;
}

}  // namespace

void ScanFeed::AddList(const std::string& commaSeparated) {
    std::size_t start = 0;
    for (;;) {
        const auto comma = commaSeparated.find(',', start);
        const std::string item = commaSeparated.substr(start, comma - start);
        if (!item.empty()) list_.push_back(item);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

bool ScanFeed::AddFile(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        line = WithoutLineEnd(line);
        if (!line.empty()) list_.push_back(line);
    }
    return true;
}

void ScanFeed::ReadInput(std::vector<std::string>& out) {
    if (fd_ < 0) return;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLIN | POLLHUP))) return;
    char buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) {
        // The end of the input: a last line without its line feed still counts.
        if (!partial_.empty()) out.push_back(WithoutLineEnd(partial_));
        partial_.clear();
        fd_ = -1;
        return;
    }
    partial_.append(buffer, static_cast<std::size_t>(n));
    for (auto end = partial_.find('\n'); end != std::string::npos; end = partial_.find('\n')) {
        std::string line = WithoutLineEnd(partial_.substr(0, end));
        partial_.erase(0, end + 1);
        if (!line.empty()) out.push_back(std::move(line));
    }
}

std::vector<std::string> ScanFeed::Due(Micros now) {
    std::vector<std::string> out;
    if (next_.count() < 0) next_ = now + interval_;
    if (!list_.empty() && now >= next_) {
        out.push_back(list_.front());
        list_.pop_front();
        next_ = now + interval_;
    }
    ReadInput(out);
    return out;
}

}  // namespace qspsim
