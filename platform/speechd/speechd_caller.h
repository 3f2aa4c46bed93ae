// The calls into libspeechd of one connection, run one at a time on a thread
// of their own. libspeechd waits for the server's replies without a time
// limit, and a server that is stopped (SIGSTOP) never sends them: whoever
// calls here waits at most ReplyDeadline, and a call that has not come back
// by then leaves the server counted as gone. The thread, which may stay stuck
// until the server goes on or ends, closes the connection itself then.
#pragma once

#include <libspeechd.h>

#include <chrono>
#include <functional>
#include <memory>

namespace speechd {

constexpr auto ReplyDeadline = std::chrono::seconds(2);

class Caller {
public:
    using Job = std::function<void(SPDConnection *&)>;

    Caller();
    // Closes the connection. Waits for a call still running at most the
    // deadline, after shutting the socket down so that it comes back.
    ~Caller();
    Caller(const Caller &) = delete;
    Caller &operator=(const Caller &) = delete;

    // Runs `job` on the thread with the connection (the first job opens
    // it). While it waits, `whileWaiting`, when given, runs on the calling
    // thread every few milliseconds; its false gives the wait up. False
    // when the job did not come back: given up, or the server did not
    // answer within the deadline, now or before (then it is gone).
    bool run(Job job, const std::function<bool()> &whileWaiting = {});
    bool gone() const;

    struct Shared; // what the thread and the callers share

private:
    std::shared_ptr<Shared> shared_;
};

} // namespace speechd
