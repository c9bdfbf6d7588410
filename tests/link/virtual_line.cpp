#include "virtual_line.h"

#include <algorithm>
#include <charconv>

namespace qsptest {

namespace {
int ToInt(const std::string& t) {
    int v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    return ec == std::errc() && p == t.data() + t.size() ? v : 0;
}
}  // namespace

VirtualPort::~VirtualPort() {
    line_.Detach(this);
}

bool VirtualPort::Open(int number, const qsp::SerialSettings& s) {
    open_ = false;
    const int data = ToInt(s.data);
    const int stop = ToInt(s.stop);
    if (number != line_.number() || ToInt(s.baud) <= 0 || (data != 7 && data != 8) ||
        (stop != 1 && stop != 2) || s.parity.size() != 1 ||
        std::string("NEOSM").find(s.parity) == std::string::npos) {
        return false;
    }
    settings_ = s;
    open_ = true;
    line_.Attach(this);
    line_.opens.push_back(s.Text());
    return true;
}

bool VirtualPort::Write(const std::uint8_t* data, std::size_t size) {
    if (!open_) return false;
    line_.FromHost(data, size, settings_);
    return true;
}

void VirtualLine::FromHost(const std::uint8_t* data, std::size_t size,
                           const qsp::SerialSettings& s) {
    sent.insert(sent.end(), data, data + size);
    if (!model_) return;
    const int baud = ToInt(s.baud);
    const auto view = qspsim::ViewOf(baud, s.parity[0], ToInt(s.stop));
    // Writes leave the line one after the other: a write waits for the one before it.
    const auto arrival = std::max(pump_.Now(), hostLineFree_) +
                         qsp::EventPump::Clock(10'000'000LL * static_cast<long long>(size) / baud);
    hostLineFree_ = arrival;
    std::vector<std::uint8_t> bytes(data, data + size);
    pump_.ScheduleAt(arrival, [this, bytes, view, arrival] {
        model_->Receive(bytes.data(), bytes.size(), view, arrival);
        for (const auto& answer : model_->TakeAnswers()) {
            auto due = std::max(arrival + answer.delay, lastDue_);
            const qsp::EventPump::Clock perByte(answer.baud > 0 ? 10'000'000LL / answer.baud : 0);
            std::vector<std::uint8_t> group;
            for (std::size_t i = 0; i < answer.bytes.size(); ++i) {
                group.push_back(answer.bytes[i]);
                if (perByte.count() > 0 || i + 1 == answer.bytes.size()) {
                    DeliverAt(due, std::move(group));
                    group.clear();
                    due += perByte;
                }
            }
            lastDue_ = due;
        }
        model_->TakeNotes();
    });
}

void VirtualLine::DeliverAt(qsp::EventPump::Clock at, std::vector<std::uint8_t> bytes) {
    pump_.ScheduleAt(at, [this, bytes = std::move(bytes)] {
        const long limit = model_ ? model_->faults().closeAfter : -1;
        std::vector<std::uint8_t> pass = bytes;
        if (limit >= 0) {
            const long room = std::max(0L, limit - delivered);
            if (static_cast<long>(pass.size()) > room) pass.resize(static_cast<std::size_t>(room));
        }
        delivered += static_cast<long>(pass.size());
        if (port_ && !pass.empty()) port_->Deliver(pass);
    });
}

}  // namespace qsptest
