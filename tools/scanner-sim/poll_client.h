#pragma once
// A transport that shares the virtual scanner's one wait for input: before each wait it names
// the descriptors it wants watched and the latest time it must wake; after the wait it serves
// what they report.

#include <poll.h>

#include <chrono>
#include <vector>

namespace qspsim {

class PollClient {
public:
    using Time = std::chrono::steady_clock::time_point;

    virtual ~PollClient() = default;
    // Adds descriptors to watch; lowers `wake` when something of its own is due earlier.
    virtual void Prepare(std::vector<pollfd>& fds, Time& wake) = 0;
    // After the wait, with the entries Prepare added, in the same order.
    virtual void Serve(const pollfd* fds) = 0;
};

}  // namespace qspsim
