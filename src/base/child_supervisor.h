#pragma once
// Child processes that each do one job and hand back one result text, watched by a small parent:
// a child that crashes, or runs past its bound, ends as a failure of its own and never takes the
// parent or the other children down. A child ignores SIGINT and SIGTERM, however they are sent
// (Ctrl+C on a terminal, `kill -- -PGID`, a service manager's stop of the whole group): only the
// parent decides when a job is cut off.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "base/interface_text.h"

namespace qsp {

class ChildSupervisor {
public:
    using Clock = std::chrono::steady_clock;

    struct Ended {
        int id = 0;
        bool ok = false;       // the child exited with status 0 (its result text may still say
                               // it failed)
        std::string result;    // what the child wrote
        TextMessage problem;   // why there is no result (a crash, the bound, a failing status);
                               // id 0 when there is a result
        double seconds = 0;    // from start to end
        bool stopped = false;  // cut off by StopAll
    };

    ChildSupervisor() = default;
    ~ChildSupervisor();  // children still running are killed
    ChildSupervisor(const ChildSupervisor&) = delete;
    ChildSupervisor& operator=(const ChildSupervisor&) = delete;

    // Forks a child that runs `job` with the descriptor to write its result to and exits with
    // the status `job` returns. The id of the child, or -1 when no process could be made.
    // Signals are held back while the process is made, so that none reaches the child with the
    // parent's handlers. A bound beyond a week counts as a week.
    int Start(const std::function<int(int resultFd)>& job, std::chrono::milliseconds bound);

    // Waits at most `wait` for a child to end, or for input on one of `otherFds`; returns the
    // children that ended (children past their bound are killed first). `ready` receives the
    // descriptors of `otherFds` that have input.
    std::vector<Ended> Wait(std::chrono::milliseconds wait, const std::vector<int>& otherFds,
                            std::vector<int>* ready = nullptr);

    int Running() const { return static_cast<int>(children_.size()); }
    // Ends every running child at once (SIGKILL, since they ignore the stop signals); they end
    // as `stopped`.
    void StopAll();
    // Sends `signal` to every running child.
    void SignalAll(int signal);

private:
    struct Child {
        int id;
        pid_t pid;
        int fd;  // read end of the result pipe; -1 once it ended
        Clock::time_point start, deadline;
        std::string result;
        bool killed = false;
        bool stopped = false;
        bool exited = false;
        int status = 0;
    };
    int next_ = 1;
    std::vector<Child> children_;
};

}  // namespace qsp
