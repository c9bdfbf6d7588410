#pragma once
// The scanner model on a pseudo-terminal: the program opens the slave side through the symbolic
// link ports/COM<n>; the model reads the host's line settings from the terminal when bytes
// arrive and answers at the pace of the line.

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "poll_client.h"
#include "scanner_model.h"
#include "tool_text.h"

namespace qspsim {

class PtyLine {
public:
    PtyLine(ScannerModel& model, std::filesystem::path link, std::FILE* log);
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Creates the terminal and the link; false with a reason when that fails.
    bool Start(qsptools::ToolMessage& error);
    const std::string& SlaveName() const { return slaveName_; }

    // Serves the host until `stop` becomes non-zero or the line is dropped by a fault.
    void Run(const volatile int& stop);

    // Another transport served by the same wait (the keyboard-wedge sockets).
    void AddClient(PollClient* client) { clients_.push_back(client); }

    // Called on every turn of Run with the host's line as it looks then (the scanner reading
    // barcodes); what the model answers then is sent like any other answer.
    void SetTick(std::function<void(const LineView& host)> tick) { tick_ = std::move(tick); }

private:
    struct Pending {
        std::uint8_t byte;
        Micros due;
    };
    // Host bytes still on their way: the scanner gets them when their last bit has arrived.
    struct Inbound {
        std::vector<std::uint8_t> bytes;
        LineView line;
        Micros due;
    };
    Micros Now() const;
    LineView HostLine() const;
    void Log(const char* direction, const std::uint8_t* data, std::size_t size);
    void LogNotes();
    void Queue(const Answer& answer, Micros now);
    // Sends what is due; false when the line has been dropped.
    bool SendDue();
    // Hands the scanner the host bytes whose time on the line is over.
    void ReceiveDue();

    ScannerModel& model_;
    std::filesystem::path link_;
    std::FILE* log_;
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
    std::chrono::steady_clock::time_point start_;
    std::deque<Pending> out_;
    std::deque<Inbound> in_;
    Micros inLast_{0};
    Micros lastDue_{0};
    long sent_ = 0;
    std::vector<PollClient*> clients_;
    std::function<void(const LineView&)> tick_;
};

}  // namespace qspsim
