#include "base/child_supervisor.h"
#include "base/text_ids.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qsp {

ChildSupervisor::~ChildSupervisor() {
    for (auto& c : children_) {
        ::kill(c.pid, SIGKILL);
        ::waitpid(c.pid, nullptr, 0);
        if (c.fd >= 0) ::close(c.fd);
    }
}

int ChildSupervisor::Start(const std::function<int(int)>& job, std::chrono::milliseconds bound) {
    constexpr std::chrono::milliseconds kLongest = std::chrono::hours(24 * 7);
    bound = std::clamp(bound, std::chrono::milliseconds::zero(), kLongest);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    sigset_t all, before;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &before);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return -1;
    }
    if (pid == 0) {
        // The child: the parent decides when it stops. Handlers are reset before any signal
        // can arrive, so none runs the parent's code here.
        for (int s = 1; s < NSIG; ++s) {
            struct sigaction old {};
            if (::sigaction(s, nullptr, &old) == 0 && old.sa_handler != SIG_DFL &&
                old.sa_handler != SIG_IGN)
                ::signal(s, SIG_DFL);
        }
        ::signal(SIGINT, SIG_IGN);
        ::signal(SIGTERM, SIG_IGN);
        ::signal(SIGPIPE, SIG_IGN);
        sigset_t none;
        ::sigemptyset(&none);
        ::pthread_sigmask(SIG_SETMASK, &none, nullptr);
        ::close(pipeFds[0]);
        for (const auto& c : children_)
            if (c.fd >= 0) ::close(c.fd);
        int status = 1;
        try {
            status = job(pipeFds[1]);
        } catch (...) {
        }
        ::close(pipeFds[1]);
        ::_exit(status);
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ::close(pipeFds[1]);
    ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
    const auto now = Clock::now();
    children_.push_back(Child{next_, pid, pipeFds[0], now, now + bound, {}});
    return next_++;
}

std::vector<ChildSupervisor::Ended> ChildSupervisor::Wait(std::chrono::milliseconds wait,
                                                          const std::vector<int>& otherFds,
                                                          std::vector<int>* ready) {
    if (ready) ready->clear();
    auto now = Clock::now();
    // Wake for the nearest bound too.
    for (const auto& c : children_) {
        if (!c.killed) {
            wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                                      std::max(c.deadline - now, Clock::duration::zero())));
        }
    }
    std::vector<pollfd> fds;
    for (const auto& c : children_)
        fds.push_back(pollfd{c.fd, POLLIN, 0});  // a negative descriptor is not watched
    for (int fd : otherFds)
        fds.push_back(pollfd{fd, POLLIN, 0});
    int r = ::poll(fds.data(), fds.size(), static_cast<int>(wait.count()));
    if (r < 0 && errno != EINTR) r = 0;
    for (std::size_t i = 0; r > 0 && i < otherFds.size(); ++i) {
        if (ready && (fds[children_.size() + i].revents & (POLLIN | POLLHUP)))
            ready->push_back(otherFds[i]);
    }
    // Results and ends of output.
    for (std::size_t i = 0; i < children_.size(); ++i) {
        Child& c = children_[i];
        if (c.fd < 0) continue;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(c.fd, buffer, sizeof buffer);
            if (n > 0) {
                c.result.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n == 0) {
                ::close(c.fd);
                c.fd = -1;
            }
            break;
        }
    }
    now = Clock::now();
    std::vector<Ended> ended;
    for (auto it = children_.begin(); it != children_.end();) {
        Child& c = *it;
        if (!c.exited) {
            int status = 0;
            if (::waitpid(c.pid, &status, WNOHANG) == c.pid) {
                c.exited = true;
                c.status = status;
            } else if (!c.killed && now >= c.deadline) {
                ::kill(c.pid, SIGKILL);
                c.killed = true;
            }
        }
        // Done once it exited; its result is taken when its pipe has ended, or given up when a
        // grandchild holds the pipe.
        if (!c.exited || (c.fd >= 0 && !c.killed && !WIFSIGNALED(c.status) && now < c.deadline)) {
            ++it;
            continue;
        }
        Ended e;
        e.id = c.id;
        e.result = c.result;
        e.seconds = std::chrono::duration<double>(now - c.start).count();
        const auto bound =
            std::chrono::duration_cast<std::chrono::seconds>(c.deadline - c.start).count();
        if (c.stopped) {
            e.stopped = true;
            e.problem = {kTextProcessStopped, {}};
        } else if (c.killed) {
            e.problem = {kTextNoResultWithin, {std::to_string(bound)}};
        } else if (WIFSIGNALED(c.status) && WTERMSIG(c.status) == SIGTERM) {
            e.problem = {kTextProcessStopped, {}};
        } else if (WIFSIGNALED(c.status)) {
            e.problem = {kTextProcessCrashed, {std::to_string(WTERMSIG(c.status))}};
        } else {
            e.ok = WEXITSTATUS(c.status) == 0;
            if (e.result.empty())
                e.problem = {kTextProcessStatus, {std::to_string(WEXITSTATUS(c.status))}};
        }
        if (c.fd >= 0) ::close(c.fd);
        ended.push_back(std::move(e));
        it = children_.erase(it);
    }
    return ended;
}

void ChildSupervisor::SignalAll(int signal) {
    for (const auto& c : children_)
        if (!c.exited) ::kill(c.pid, signal);
}

void ChildSupervisor::StopAll() {
    for (auto& c : children_) {
        if (c.exited) continue;
        ::kill(c.pid, SIGKILL);
        c.killed = c.stopped = true;
    }
}

}  // namespace qsp
