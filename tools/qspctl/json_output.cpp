#include "json_output.h"

#include <iostream>

namespace qspctl {

nlohmann::ordered_json RowsJson(const std::vector<qsp::ProfileRow>& rows) {
    auto out = nlohmann::ordered_json::array();
    for (const auto& r : rows) {
        out.push_back({{"page", r.page},
                       {"heading", r.heading},
                       {"label", r.label},
                       {"value", r.value},
                       {"index", r.index}});
    }
    return out;
}

std::vector<qsp::ProfileRow> ShownRows(const std::vector<qsp::PageRows>& pages) {
    std::vector<qsp::ProfileRow> rows;
    for (const auto& page : pages) {
        for (const auto& row : page.rows) {
            std::string value = row.value;
            value.erase(0, value.find_first_not_of(' '));
            rows.push_back({page.page, page.heading, row.label, value, row.edit.index});
        }
    }
    return rows;
}

nlohmann::ordered_json DifferenceJson(const qsp::ImageDifference& difference,
                                      const qsp::ImageBytes& first) {
    const auto side = [](const std::optional<std::string>& value) {
        return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
    };
    auto rows = nlohmann::ordered_json::array();
    for (const auto& r : difference.rows) {
        const auto edit = qsp::LookupRow(first, r.page, r.label);
        rows.push_back({{"page", r.page},
                        {"heading", r.heading},
                        {"label", r.label},
                        {"first", side(r.first)},
                        {"second", side(r.second)},
                        {"index", edit ? nlohmann::ordered_json(edit->index)
                                       : nlohmann::ordered_json(nullptr)}});
    }
    auto bytes = nlohmann::ordered_json::array();
    for (const auto& b : difference.unshownBytes)
        bytes.push_back({{"index", b.index}, {"first", b.first}, {"second", b.second}});
    return {{"rows", rows}, {"unshownBytes", bytes}};
}

void PrintJson(const nlohmann::ordered_json& document) {
    // File names and messages may hold bytes that are not UTF-8: they become U+FFFD rather than
    // stopping the output.
    std::cout << document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << "\n"
              << std::flush;
}

void ScannerReport::Add(const std::string& port, const std::string& result,
                        const std::string& message, bool ok, nlohmann::ordered_json extra) {
    failed_ = failed_ || !ok;
    if (json_) {
        extra["port"] = port;
        extra["result"] = result;
        extra["message"] = message;
        scanners_.push_back(std::move(extra));
    } else if (ok) {
        std::cout << port << ": " << message << "\n" << std::flush;
    } else {
        std::cerr << "qspctl: " << port << ": " << message << "\n" << std::flush;
    }
}

int ScannerReport::Finish(nlohmann::ordered_json head) {
    if (json_) {
        head["qspctl_version"] = QSP_VERSION;
        head["scanners"] = scanners_;
        PrintJson(head);
    }
    return failed_ ? 1 : 0;
}

}  // namespace qspctl
