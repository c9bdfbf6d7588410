#pragma once
// Serial and hidraw devices coming and going, as udev reports them: the devices present now and
// then each event, as property sets for DecideArrival.

#include <memory>
#include <string>
#include <vector>

#include "base/interface_text.h"
#include "link/scanner_arrival.h"

struct udev;
struct udev_monitor;

namespace qsp {

class UdevWatch {
public:
    UdevWatch() = default;
    ~UdevWatch();
    UdevWatch(const UdevWatch&) = delete;
    UdevWatch& operator=(const UdevWatch&) = delete;

    // Starts listening; false with a reason when udev cannot be reached (a container without
    // udev), in which case only the ports/ folder is watched.
    bool Start(TextMessage& error);
    // The descriptor to wait on for events.
    int Fd() const;
    // The tty and hidraw devices present now, each as an "add".
    std::vector<DeviceProperties> Present();
    // The events waiting now.
    std::vector<DeviceProperties> TakeEvents();

private:
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};

}  // namespace qsp
