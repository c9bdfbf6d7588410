#pragma once
// A keyboard-wedge link of the virtual scanner: a Unix-domain SOCK_SEQPACKET socket (ports/USB or
// ports/PS2) on which the program's library connects. Every message from the host goes to the
// link's model; every answer goes back as one message, after its delay.

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "poll_client.h"
#include "tool_text.h"
#include "wedge_model.h"

namespace qspsim {

class WedgeSocket : public PollClient {
public:
    // `name` marks the link's lines in the transcript ("USB", "PS2").
    WedgeSocket(WedgeModel& model, std::filesystem::path path, std::string name, std::FILE* log);
    ~WedgeSocket() override;
    WedgeSocket(const WedgeSocket&) = delete;
    WedgeSocket& operator=(const WedgeSocket&) = delete;

    // Creates the socket; false with a reason when that fails.
    bool Start(qsptools::ToolMessage& error);

    void Prepare(std::vector<pollfd>& fds, Time& wake) override;
    void Serve(const pollfd* fds) override;

private:
    struct Pending {
        std::vector<std::uint8_t> message;
        Micros due;
    };
    Micros Now() const;
    void Accept();
    void ReceiveFromHost();
    void SendDue();
    void DropClient();
    void Log(const char* direction, const std::uint8_t* data, std::size_t size);
    void LogNotes();

    WedgeModel& model_;
    std::filesystem::path path_;
    std::string name_;
    std::FILE* log_;
    int listen_ = -1;
    int client_ = -1;
    std::chrono::steady_clock::time_point start_;
    std::deque<Pending> out_;
    long sent_ = 0;
};

}  // namespace qspsim
