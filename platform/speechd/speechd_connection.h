// One connection to the player's speech-dispatcher server, in libspeechd's
// threaded mode. Every call waits for the server at most ReplyDeadline (see
// Caller); the main thread keeps its messages served meanwhile. The server's
// begin, end and cancel notifications arrive on libspeechd's own thread,
// which only queues them here and wakes the main thread; the main thread
// takes them in its pumps. A watchdog notices a server that went away while
// texts were in flight, or that leaves them unspoken; a server that does not
// answer, or does not speak a text, in time counts as gone: the connection
// is lost and says so once, with a Lost notice.
#pragma once

#include "platform/speechd/speechd_caller.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace speechd {

struct Notice {
    enum class Kind { Begin, End, Cancel, Lost } kind;
    size_t messageId = 0;
};

struct Voice {
    std::string name, language; // UTF-8, as the server gives them
};

// The voices of a reply to LIST SYNTHESIS_VOICES ("249-name\tlanguage\t
// variant" lines, then "249 OK ..."); empty for an error or a cut reply.
std::vector<Voice> parseVoiceList(const std::string &reply);
// Brazilian Portuguese voices first, then the other Portuguese ones, then
// the rest, each group in its own order.
void orderVoices(std::vector<Voice> &voices);

class Connection {
public:
    // Connects to the server libspeechd's address rules find (SPEECHD_ADDRESS,
    // else the user's default socket), never starting one; nullptr when none
    // answers in time.
    static std::unique_ptr<Connection> open(const std::string &name);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // The server's voices of its current output module, ordered by
    // orderVoices.
    std::vector<Voice> voices();
    bool setVoice(const Voice &voice);
    bool setRate(int rate);   // -100..100
    bool setPitch(int pitch); // -100..100

    // The message id of a queued UTF-8 text, or 0 when the server refused it.
    size_t say(const std::string &text);
    bool cancel();

    // Main thread: the notices that arrived since the last call.
    std::vector<Notice> take();
    // Blocks until a notice is queued or `ms` milliseconds have passed.
    void waitForNotice(unsigned ms);
    // How many texts the owner still expects notices for; the watchdog
    // probes the server only while there are some.
    void setInFlight(size_t count);
    bool lost() const { return lost_; }

    // libspeechd's thread: a notification for the client `clientId`.
    static void received(size_t clientId, Notice notice);
    // Main thread: true while a call waits for the server. The notices are
    // not to be taken then (the call's own text may not be known yet).
    static bool waiting();
    // Main thread: a take() put off while waiting is asked for again when
    // the wait ends.
    static void takeLater();

private:
    Connection();
    bool connect(const std::string &name);
    // Runs `work` on the caller's thread while the main thread waits; a
    // result only when it came back in time.
    template <typename R> std::optional<R> call(std::function<R(SPDConnection *&)> work);
    void markLost();
    void extendDue(size_t length); // with mutex_ held
    void push(Notice notice);
    void watch();

    Caller caller_;
    size_t clientId_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Notice> notices_;
    std::map<size_t, size_t> lengths_; // of the texts queued, by message id
    // When the server is to have given a sign of speaking (a notice) by.
    std::chrono::steady_clock::time_point dueBy_;
    bool stopping_ = false;
    std::atomic<size_t> inFlight_{0};
    std::atomic<bool> lost_{false};
    std::thread watchdog_;
};

} // namespace speechd
