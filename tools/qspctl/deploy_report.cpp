#include "deploy_report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <nlohmann/json.hpp>

#include "base/text_ids.h"
#include "source_change.h"

namespace qspctl {

void DeployTotals::Count(const DeployRecord& r) {
    if (r.result == "programmed")
        ++programmed;
    else if (r.result == "unchanged")
        ++unchanged;
    else if (r.result == "not started")
        ++notStarted;
    else if (r.result == "interrupted")
        ++interrupted;
    else if (r.result == "no scanner")
        ++noScanner;
    else
        ++failed;
}

ReportFile::~ReportFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ReportFile::Open(const std::string& path, std::string& error) {
    // Read access too, to see how the file ends; a file that may only be written is still one.
    fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) error = std::strerror(errno);
    return fd_ >= 0;
}

bool ReportFile::Append(const std::string& line, std::string& error) {
    struct stat st {};
    const bool regular = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    std::string whole = line + "\n";
    char last = '\n';
    if (regular && st.st_size > 0 && ::pread(fd_, &last, 1, st.st_size - 1) == 1 && last != '\n')
        whole.insert(whole.begin(), '\n');
    ssize_t n;
    do {
        n = ::write(fd_, whole.data(), whole.size());
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(whole.size())) {
        // A short write says why only on the next try.
        error = n < 0 ? std::strerror(errno) : std::strerror(ENOSPC);
        if (n > 0 && regular) [[maybe_unused]]
            const int r = ::ftruncate(fd_, st.st_size);
        return false;
    }
    // Devices and pipes cannot be synced; only a real failure counts.
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

std::string NowUtc() {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    ::gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string JsonLine(const DeployRecord& r) {
    const nlohmann::json j = {
        {"time", r.time},          {"link", r.link},
        {"device", r.device},      {"result", r.result},
        {"message", r.message},    {"bytes_changed", r.bytesChanged},
        {"block_xor", r.blockXor}, {"seconds", std::round(r.seconds * 1000) / 1000},
        {"kept_link", r.keptLink}, {"moved_link", r.movedLink}};
    // Messages come from the string tables; invalid UTF-8 is replaced rather than refused.
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string TotalsLine(const DeployTotals& t, const qsp::InterfaceText& text) {
    std::string line = qsp::FillText(
        text.LoadText(qsp::kTextDeployTotals),
        {std::to_string(t.programmed), std::to_string(t.unchanged), std::to_string(t.failed)});
    if (t.notStarted + t.interrupted + t.noScanner > 0) {
        line += ", " + qsp::FillText(text.LoadText(qsp::kTextDeployMoreTotals),
                                     {std::to_string(t.notStarted), std::to_string(t.interrupted),
                                      std::to_string(t.noScanner)});
    }
    return line;
}

std::string HumanLine(const DeployRecord& r, const DeployTotals& totals,
                      const qsp::InterfaceText& text) {
    char xorText[8], seconds[32];
    std::snprintf(xorText, sizeof xorText, "%02X", r.blockXor & 0xFF);
    std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
    const std::string facts = qsp::FillText(text.LoadText(qsp::kTextDeployFacts),
                                            {std::to_string(r.bytesChanged), xorText, seconds});
    const int word = r.result == "programmed"    ? qsp::kTextResultProgrammed
                     : r.result == "unchanged"   ? qsp::kTextResultUnchanged
                     : r.result == "not started" ? qsp::kTextResultNotStarted
                     : r.result == "interrupted" ? qsp::kTextResultInterrupted
                     : r.result == "no scanner"  ? qsp::kTextResultNoScanner
                                                 : qsp::kTextResultFailed;
    std::string message = r.message;
    if (const auto note = LinkNote(text.language(), r.keptLink, r.movedLink); !note.empty())
        message += " (" + note + ")";
    return "[" + std::to_string(totals.All()) + "] " + r.device + " (" + r.link + ") " +
           text.LoadText(word) + " | " + message + " | " + facts + " | " + TotalsLine(totals, text);
}

}  // namespace qspctl
