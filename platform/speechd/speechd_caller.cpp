#include "platform/speechd/speechd_caller.h"

#include <sys/socket.h>

#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <utility>

namespace speechd {
namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting caller runs its `whileWaiting`.
constexpr auto PumpSlice = std::chrono::milliseconds(10);

} // namespace

struct Caller::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    uint64_t submitted = 0, finished = 0;
    bool running = false; // a job is in libspeechd
    int socket = -1;      // the connection's socket while it is open
    SPDConnection *spd = nullptr;
    bool closing = false, gone = false, exited = false;
};

namespace {

// A connection whose reader thread saw the end of the socket has closed it
// already: closing it again could close a descriptor opened since.
void closeConnection(SPDConnection *spd) {
    if (!spd->stream)
        spd->socket = -1;
    spd_close(spd);
}

// The thread's loop. A write to a server that went away raises SIGPIPE in
// the writing thread, which must not end the program: it is blocked here,
// for this thread and libspeechd's reader thread, which it starts.
void serve(const std::shared_ptr<Caller::Shared> &shared) {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    auto &s = *shared;
    std::unique_lock lock(s.mutex);
    for (;;) {
        s.changed.wait(lock, [&s] { return s.closing || !s.jobs.empty(); });
        if (s.closing)
            break;
        Caller::Job job = std::move(s.jobs.front());
        s.jobs.pop_front();
        SPDConnection *spd = s.spd;
        s.running = true;
        lock.unlock();
        job(spd);
        lock.lock();
        s.running = false;
        s.spd = spd;
        s.socket = spd ? spd->socket : -1;
        ++s.finished;
        s.changed.notify_all();
    }
    SPDConnection *spd = std::exchange(s.spd, nullptr);
    s.socket = -1;
    lock.unlock();
    if (spd)
        closeConnection(spd);
    lock.lock();
    s.exited = true;
    s.changed.notify_all();
}

} // namespace

Caller::Caller() : shared_(std::make_shared<Shared>()) {
    std::thread([shared = shared_] { serve(shared); }).detach();
}

Caller::~Caller() {
    auto &s = *shared_;
    std::unique_lock lock(s.mutex);
    s.closing = true;
    s.jobs.clear();
    if (s.running && s.socket >= 0)
        shutdown(s.socket, SHUT_RDWR); // the reply it waits for never comes
    s.changed.notify_all();
    // Stuck where the socket is not known yet (inside the opening): the
    // thread closes what it has once it comes back.
    if (!s.running || s.socket >= 0)
        s.changed.wait_for(lock, ReplyDeadline, [&s] { return s.exited; });
}

bool Caller::run(Job job, const std::function<bool()> &whileWaiting) {
    auto &s = *shared_;
    std::unique_lock lock(s.mutex);
    if (s.gone)
        return false;
    s.jobs.push_back(std::move(job));
    const uint64_t ticket = ++s.submitted;
    s.changed.notify_all();
    const auto deadline = Clock::now() + ReplyDeadline;
    while (s.finished < ticket && !s.gone) {
        const auto now = Clock::now();
        if (now >= deadline) {
            s.gone = true;
            s.changed.notify_all();
            break;
        }
        if (!whileWaiting) {
            s.changed.wait_until(lock, deadline);
            continue;
        }
        s.changed.wait_until(lock, std::min(deadline, now + PumpSlice));
        lock.unlock();
        const bool keepWaiting = whileWaiting();
        lock.lock();
        if (!keepWaiting)
            break;
    }
    return s.finished >= ticket;
}

bool Caller::gone() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->gone;
}

} // namespace speechd
