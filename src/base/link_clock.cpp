#include "base/link_clock.h"

#include <chrono>

#include "base/text_number.h"

namespace qsp {

void LinkClock::Reset(EventPump::Clock now) {
    stamp_ = now;
    hours_ = minutes_ = seconds_ = 0;
}

std::optional<std::string> LinkClock::Tick(EventPump::Clock now) {
    using std::chrono::seconds;
    const auto whole = std::chrono::duration_cast<seconds>(now - stamp_).count();
    if (whole <= 0) return std::nullopt;
    // The stamp moves by whole seconds only, so the clock does not fall behind.
    stamp_ += std::chrono::duration_cast<EventPump::Clock>(seconds(whole));
    seconds_ += static_cast<int>(whole);
    while (seconds_ >= 60) {
        seconds_ -= 60;
        ++minutes_;
    }
    while (minutes_ >= 60) {
        minutes_ -= 60;
        ++hours_;
    }
    return Text();
}

std::string LinkClock::Text() const {
    return word_ + NumberText(hours_) + ":" + NumberText(minutes_) + ":" + NumberText(seconds_);
}

}  // namespace qsp
