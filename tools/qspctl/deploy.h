#pragma once
// qspctl deploy: every scanner that arrives gets the source's settings, one child process per
// scanner under a small supervisor, with a report line for each.

#include <filesystem>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "cli.h"
#include "link/batch_link.h"
#include "link/scanner_arrival.h"

namespace qspctl {

struct DeployOptions {
    qsp::BlockChange change;       // what every scanner's block gets
    bool changeLink = false;       // the source may move a scanner to another host link
    qsp::ArrivalFilter filter;     // which links, which on-board ports
    std::filesystem::path report;  // JSON lines; empty: none
    int jobs = 0;                  // 0: as many as are plugged in, up to 8
    bool once = false;             // the scanners present now, then end
    bool udev = true;              // watch real devices as well as ports/
};

// Runs until every present scanner is done (once) or until SIGINT/SIGTERM; prints a line per
// scanner and the totals. 0 when no set-up failed, 1 otherwise.
int RunDeploy(const CliContext& ctx, const qsp::AppSettings& settings,
              const DeployOptions& options);

// How long one scanner's set-up may take before it counts as hung, in seconds: a minute for the
// exchange, plus the longest settings search the settings allow.
int SetupBoundSeconds(const qsp::AppSettings& settings);

}  // namespace qspctl
