#include "deploy_report.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "base/text_ids.h"

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
        {"block_xor", r.blockXor}, {"seconds", std::round(r.seconds * 1000) / 1000},
        {"kept_link", r.keptLink}, {"moved_link", r.movedLink}};
    // Messages come from the string tables; invalid UTF-8 is replaced rather than refused.
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string TotalsLine(const DeployTotals& t, const qsp::InterfaceText& text) {
    return qsp::FillText(
        text.LoadText(qsp::kTextDeployTotals),
        {std::to_string(t.programmed), std::to_string(t.unchanged), std::to_string(t.failed)});
}

std::string HumanLine(const DeployRecord& r, const DeployTotals& totals,
                      const qsp::InterfaceText& text) {
    char xorText[8], seconds[32];
    std::snprintf(xorText, sizeof xorText, "%02X", r.blockXor & 0xFF);
    std::snprintf(seconds, sizeof seconds, "%.1f", r.seconds);
    const std::string facts = qsp::FillText(text.LoadText(qsp::kTextDeployFacts),
                                            {std::to_string(r.bytesChanged), xorText, seconds});
    const int word = r.result == "programmed"  ? qsp::kTextResultProgrammed
                     : r.result == "unchanged" ? qsp::kTextResultUnchanged
                                               : qsp::kTextResultFailed;
    std::string message = r.message;
    if (r.keptLink) message += " (" + text.LoadText(qsp::kTextKeptLink) + ")";
    if (r.movedLink) message += " (" + text.LoadText(qsp::kTextMovedLink) + ")";
    return "[" + std::to_string(totals.All()) + "] " + r.device + " (" + r.link + ") " +
           text.LoadText(word) + " | " + message + " | " + facts + " | " + TotalsLine(totals, text);
}

}  // namespace qspctl
