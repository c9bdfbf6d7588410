#pragma once
// qspctl's --json output: one JSON document on standard output. Keys stay English whatever the
// interface language.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "workbench/page_report.h"
#include "workbench/profile.h"

namespace qspctl {

// {"page", "heading", "label", "value", "index"} per row.
nlohmann::ordered_json RowsJson(const std::vector<qsp::ProfileRow>& rows);
// The rows of shown pages, values as a profile writes them.
std::vector<qsp::ProfileRow> ShownRows(const std::vector<qsp::PageRows>& pages);
// {"rows": [{"page", "heading", "label", "first", "second", "index"}], "unshownBytes": [...]};
// a side without the row is null. `first` gives the rows' byte indexes.
nlohmann::ordered_json DifferenceJson(const qsp::ImageDifference& difference,
                                      const qsp::ImageBytes& first);

void PrintJson(const nlohmann::ordered_json& document);

// The outcome per scanner of a command that talks to several: lines as it goes ("COM1: ..." on
// standard output, failures as "qspctl: COM1: ..." on standard error), or with --json one
// document at the end: {..., "scanners": [{"port", "result", "message", ...}]}.
class ScannerReport {
public:
    explicit ScannerReport(bool json) : json_(json) {}
    void Add(const std::string& port, const std::string& result, const std::string& message,
             bool ok, nlohmann::ordered_json extra = nlohmann::ordered_json::object());
    // Whether lines are printed as the scanners go (no --json).
    bool Lines() const { return !json_; }
    // Prints the document (with `head`'s keys and "qspctl_version") when --json; 0 when every
    // scanner succeeded.
    int Finish(nlohmann::ordered_json head = nlohmann::ordered_json::object());

private:
    bool json_;
    bool failed_ = false;
    nlohmann::ordered_json scanners_ = nlohmann::ordered_json::array();
};

}  // namespace qspctl
