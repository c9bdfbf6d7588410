#pragma once
// What write, deploy and check put into a scanner: a parameter file, whose block replaces the
// scanner's, or a profile, whose rows are set on the scanner's own block. The source is read and
// checked once, before any scanner is touched.

#include <string>
#include <vector>

#include "cli.h"
#include "link/batch_link.h"

namespace qspctl {

// The change `source` makes to a scanner's block. A file that cannot be read, a parameter file
// that does not load and a profile that fails on the factory values are a Failure naming the
// file and why, in `language`.
qsp::BlockChange LoadSourceChange(const std::string& source, qsp::Language language);

// "--port N[,N...]": the serial ports, repeated or listed with commas.
void AddPortsOption(CLI::App& command, std::vector<std::string>& ports);
// The ports a run goes to: those given, else `settingsPort`; a keyboard-wedge link has one
// scanner, on `settingsPort`.
std::vector<std::string> RunPorts(const std::vector<std::string>& given, int interface,
                                  const std::string& settingsPort);

// "--change-link": let the source move a scanner to another host link.
void AddChangeLinkOption(CLI::App& command, bool& changeLink);

// The line said beside a scanner's outcome when its link bytes were kept or moved; "" when
// neither.
std::string LinkNote(qsp::Language language, bool keptLink, bool movedLink);

}  // namespace qspctl
