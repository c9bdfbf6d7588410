#include "deploy_report.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

namespace qspctl {

void DeployTotals::Count(const DeployRecord& r) {
    if (r.result == "programmed")
        ++programmed;
    else if (r.result == "unchanged")
        ++unchanged;
    else
        ++failed;
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
        {"block_xor", r.blockXor}, {"seconds", std::round(r.seconds * 1000) / 1000}};
    // Messages come from the string tables; invalid UTF-8 is replaced rather than refused.
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string TotalsLine(const DeployTotals& t) {
    return std::to_string(t.programmed) + " programmed, " + std::to_string(t.unchanged) +
           " unchanged, " + std::to_string(t.failed) + " failed";
}

std::string HumanLine(const DeployRecord& r, const DeployTotals& totals) {
    char facts[96];
    std::snprintf(facts, sizeof facts, "%d bytes changed, block xor 0x%02X, %.1f s", r.bytesChanged,
                  r.blockXor, r.seconds);
    return "[" + std::to_string(totals.All()) + "] " + r.device + " (" + r.link + ") " + r.result +
           " | " + r.message + " | " + facts + " | " + TotalsLine(totals);
}

}  // namespace qspctl
