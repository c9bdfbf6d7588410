#pragma once
// The one-second "Link h: m: s" clock that the settings window and the test window show.

#include <optional>
#include <string>

#include "base/event_pump.h"

namespace qsp {

// "Link 0: 2: 5": the time since the window opened.
class LinkClock {
public:
    void Reset(EventPump::Clock now);
    // Adds the whole seconds since the last tick; the new text when any passed.
    std::optional<std::string> Tick(EventPump::Clock now);
    std::string Text() const;

private:
    EventPump::Clock stamp_{0};
    int hours_ = 0;
    int minutes_ = 0;
    int seconds_ = 0;
};

}  // namespace qsp
