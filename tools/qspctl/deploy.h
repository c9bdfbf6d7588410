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
    int jobs = 0;                  // 0: qsp::Fleet::kDefaultJobs
    bool once = false;             // the scanners present now, then end
    bool udev = true;              // watch real devices as well as ports/
    bool strict = false;           // a device without a scanner counts as a failure
};

// Runs until every present scanner is done (once) or until SIGINT/SIGTERM; prints a line per
// scanner and the totals. A first stop starts no new set-up and lets the running ones finish; a
// second one cuts them off. Every scanner that arrived gets a line of its own. 0 when every
// scanner that arrived was set up (a device without a scanner aside, unless `strict`) and
// every report line was written, 1 otherwise.
int RunDeploy(const CliContext& ctx, const qsp::AppSettings& settings,
              const DeployOptions& options);

}  // namespace qspctl
