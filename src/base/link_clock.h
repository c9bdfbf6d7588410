#pragma once
// The one-second "Link h: m: s" clock that the settings window and the test window show.

#include <optional>
#include <string>
#include <utility>

#include "base/event_pump.h"

namespace qsp {

// "Link 0: 2: 5": the time since the window opened, after the word for "Link" in the window's
// language.
class LinkClock {
public:
    explicit LinkClock(std::string word = "Link") : word_(std::move(word)) {}
    void Reset(EventPump::Clock now);
    // Adds the whole seconds since the last tick; the new text when any passed.
    std::optional<std::string> Tick(EventPump::Clock now);
    std::string Text() const;

private:
    std::string word_;
    EventPump::Clock stamp_{0};
    int hours_ = 0;
    int minutes_ = 0;
    int seconds_ = 0;
};

}  // namespace qsp
