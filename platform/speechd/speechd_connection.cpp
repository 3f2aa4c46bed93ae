#include "platform/speechd/speechd_connection.h"

#include "platform/platform.h"
#include "platform/speech_engines.h"

#include <libspeechd.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

namespace speechd {
namespace {

constexpr auto WatchInterval = std::chrono::milliseconds(200);
// How long the server may take to begin or end a text: what other clients
// (or an earlier connection of this program) queued may sound first, and a
// text sounds for a while, at the slowest rate some 150 ms a character.
constexpr auto UnspokenDeadline = std::chrono::seconds(10);
constexpr auto PerCharacter = std::chrono::milliseconds(500);
constexpr const char *ClientName = "galdrino";

// Connections by the server's client id, for the notifications, which name
// the client and nothing else. Never destroyed: connections held by other
// modules' state may close while the program exits.
struct Registry {
    std::mutex mutex;
    std::map<size_t, Connection *> connections;
};

Registry &registry() {
    static auto *const connections = new Registry;
    return *connections;
}

void wakeMainThread() {
    platform::Message wake;
    wake.kind = platform::Msg::User;
    wake.code = platform::EngineNotifyMessage;
    platform::postMessage(wake);
}

bool startsWithNoCase(const std::string &text, const std::string &prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// 0 for Brazilian Portuguese, 1 for other Portuguese, 2 for the rest.
int languageRank(const std::string &language) {
    if (startsWithNoCase(language, "pt-br") || startsWithNoCase(language, "pt_br"))
        return 0;
    if (language.size() >= 2 && startsWithNoCase(language, "pt") &&
        (language.size() == 2 || language[2] == '-' || language[2] == '_'))
        return 1;
    return 2;
}

using Clock = std::chrono::steady_clock;

// Writes all of `text` to a non-blocking socket before `deadline`.
bool sendBefore(int socket, const std::string &text, Clock::time_point deadline) {
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd out{socket, POLLOUT, 0};
        if (left.count() <= 0 || poll(&out, 1, static_cast<int>(left.count())) <= 0)
            return false;
    }
    return true;
}

// Whether one whole reply line arrives on a non-blocking socket before `deadline`.
bool lineBefore(int socket, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd in{socket, POLLIN, 0};
        if (left.count() <= 0 || poll(&in, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char buffer[256];
        const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            return false;
        if (n > 0 && std::find(buffer, buffer + n, '\n') != buffer + n)
            return true;
    }
}

// Whether a server listens on the address and answers within the deadline.
// A stopped server still accepts connections (the system does that for
// it) but never answers; libspeechd would wait for it for ever. And
// libspeechd leaks a copy of a socket path it cannot connect to, so a
// missing server is found here first. Addresses other than a local socket
// are left to libspeechd, within the caller's deadline.
bool answers(const SPDConnectionAddress &address) {
    if (address.method != SPD_METHOD_UNIX_SOCKET || !address.unix_socket_name)
        return true;
    sockaddr_un target{};
    target.sun_family = AF_UNIX;
    const std::string path = address.unix_socket_name;
    if (path.size() >= sizeof target.sun_path)
        return false;
    std::copy(path.begin(), path.end(), target.sun_path);
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const auto deadline = Clock::now() + ReplyDeadline;
    const bool answered =
        connect(probe, reinterpret_cast<const sockaddr *>(&target), sizeof target) == 0 &&
        sendBefore(probe, "QUIT\r\n", deadline) && lineBefore(probe, deadline);
    close(probe);
    return answered;
}

// Main thread: calls waiting for the server, and whether a take() was put
// off meanwhile.
int waitingCalls = 0;
bool takePutOff = false;

// Tells the user once per run that the server went away.
void sayLostOnce() {
    static std::atomic<bool> said{false};
    if (!said.exchange(true))
        std::fprintf(stderr, "Speech server lost: it is tried again at the next text, else the "
                             "program's own voice speaks.\n");
}

} // namespace

void Connection::received(size_t clientId, Notice notice) {
    std::lock_guard lock(registry().mutex);
    const auto &connections = registry().connections;
    if (const auto found = connections.find(clientId); found != connections.end())
        found->second->push(notice);
}

namespace {

// Runs on libspeechd's thread.
void notificationCallback(size_t messageId, size_t clientId, SPDNotificationType type) {
    Notice notice{Notice::Kind::End, messageId};
    if (type == SPD_EVENT_BEGIN)
        notice.kind = Notice::Kind::Begin;
    else if (type == SPD_EVENT_CANCEL)
        notice.kind = Notice::Kind::Cancel;
    else if (type != SPD_EVENT_END)
        return;
    Connection::received(clientId, notice);
}

} // namespace

std::unique_ptr<Connection> Connection::open(const std::string &name) {
    std::unique_ptr<Connection> connection(new Connection);
    return connection->connect(name) ? std::move(connection) : nullptr;
}

Connection::Connection() = default;

bool Connection::connect(const std::string &name) {
    char *error = nullptr;
    std::shared_ptr<SPDConnectionAddress> address(spd_get_default_address(&error),
                                                  SPDConnectionAddress__free);
    std::free(error);
    if (!address || !answers(*address))
        return false;
    const auto clientId = call<size_t>([address, name](SPDConnection *&spd) -> size_t {
        char *failure = nullptr;
        spd = spd_open2(ClientName, name.c_str(), nullptr, SPD_MODE_THREADED, address.get(), 0,
                        &failure);
        std::free(failure);
        if (!spd)
            return 0;
        const int id = spd_get_client_id(spd);
        spd->callback_begin = spd->callback_end = spd->callback_cancel = notificationCallback;
        if (id > 0 && spd_set_notification_on(spd, SPD_BEGIN) == 0 &&
            spd_set_notification_on(spd, SPD_END) == 0 &&
            spd_set_notification_on(spd, SPD_CANCEL) == 0)
            return static_cast<size_t>(id);
        spd_close(spd);
        spd = nullptr;
        return 0;
    });
    if (!clientId || *clientId == 0)
        return false;
    clientId_ = *clientId;
    {
        std::lock_guard lock(registry().mutex);
        registry().connections[clientId_] = this;
    }
    watchdog_ = std::thread([this] { watch(); });
    return true;
}

Connection::~Connection() {
    {
        std::lock_guard lock(registry().mutex);
        registry().connections.erase(clientId_);
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (watchdog_.joinable())
        watchdog_.join();
}

template <typename R> std::optional<R> Connection::call(std::function<R(SPDConnection *&)> work) {
    if (lost_)
        return std::nullopt;
    // The job may outlive this call (a stuck server, the program ending
    // from the pump): it owns what it uses.
    auto result = std::make_shared<std::optional<R>>();
    auto broken = std::make_shared<bool>(false);
    ++waitingCalls;
    struct Done {
        ~Done() {
            if (--waitingCalls == 0 && std::exchange(takePutOff, false))
                wakeMainThread();
        }
    } done;
    const bool answered = caller_.run(
        [work = std::move(work), result, broken](SPDConnection *&spd) {
            *result = work(spd);
            *broken = spd && !spd->stream; // its reader saw the end of the socket
        },
        [] {
            platform::runEngineWaitPump();
            return true;
        });
    if (!answered || *broken) {
        markLost();
        return std::nullopt;
    }
    return *result;
}

bool Connection::waiting() {
    return waitingCalls > 0;
}

void Connection::takeLater() {
    takePutOff = true;
}

void Connection::markLost() {
    if (lost_.exchange(true) || clientId_ == 0) // an opening that fails is no loss
        return;
    sayLostOnce();
    push({Notice::Kind::Lost, 0});
}

// The voice list is asked for in SSIP itself: libspeechd's own parser of
// list replies takes time that grows with the square of the list, and a
// server with every espeak-ng variant lists over ten thousand voices.
std::vector<Voice> Connection::voices() {
    auto out = call<std::vector<Voice>>([](SPDConnection *&spd) {
        char *reply = spd_send_data(spd, "LIST SYNTHESIS_VOICES\r\n", SPD_WAIT_REPLY);
        if (!reply)
            return std::vector<Voice>{};
        std::vector<Voice> voices = parseVoiceList(reply);
        std::free(reply);
        return voices;
    });
    if (!out)
        return {};
    orderVoices(*out);
    return *out;
}

void orderVoices(std::vector<Voice> &voices) {
    std::stable_sort(voices.begin(), voices.end(), [](const Voice &a, const Voice &b) {
        return languageRank(a.language) < languageRank(b.language);
    });
}

std::vector<Voice> parseVoiceList(const std::string &reply) {
    std::vector<Voice> voices;
    bool complete = false;
    size_t start = 0;
    while (start < reply.size() && !complete) {
        size_t end = reply.find("\r\n", start);
        if (end == std::string::npos)
            end = reply.size();
        const std::string line = reply.substr(start, end - start);
        start = end + 2;
        if (line.size() < 4 || line[0] != '2')
            return {}; // an error reply, or not SSIP
        complete = line[3] == ' ';
        if (complete)
            break;
        const size_t nameEnd = line.find('\t', 4);
        const size_t languageEnd =
            nameEnd == std::string::npos ? nameEnd : line.find('\t', nameEnd + 1);
        if (nameEnd == std::string::npos)
            continue;
        voices.push_back({line.substr(4, nameEnd - 4),
                          line.substr(nameEnd + 1, languageEnd == std::string::npos
                                                       ? std::string::npos
                                                       : languageEnd - nameEnd - 1)});
    }
    return complete ? voices : std::vector<Voice>{};
}

bool Connection::setVoice(const Voice &voice) {
    return call<bool>([voice](SPDConnection *&spd) {
               return (voice.language.empty() ||
                       spd_set_language(spd, voice.language.c_str()) == 0) &&
                      spd_set_synthesis_voice(spd, voice.name.c_str()) == 0;
           })
        .value_or(false);
}

bool Connection::setRate(int rate) {
    return call<bool>([rate](SPDConnection *&spd) { return spd_set_voice_rate(spd, rate) == 0; })
        .value_or(false);
}

bool Connection::setPitch(int pitch) {
    return call<bool>([pitch](SPDConnection *&spd) { return spd_set_voice_pitch(spd, pitch) == 0; })
        .value_or(false);
}

size_t Connection::say(const std::string &text) {
    const int id = call<int>([text](SPDConnection *&spd) {
                       return spd_say(spd, SPD_MESSAGE, text.c_str());
                   }).value_or(0);
    if (id <= 0)
        return 0;
    std::lock_guard lock(mutex_);
    lengths_[static_cast<size_t>(id)] = text.size();
    extendDue(text.size());
    return static_cast<size_t>(id);
}

bool Connection::cancel() {
    return call<bool>([](SPDConnection *&spd) { return spd_cancel(spd) == 0; }).value_or(false);
}

std::vector<Notice> Connection::take() {
    std::lock_guard lock(mutex_);
    std::vector<Notice> out(notices_.begin(), notices_.end());
    notices_.clear();
    return out;
}

void Connection::waitForNotice(unsigned ms) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !notices_.empty(); });
}

void Connection::setInFlight(size_t count) {
    inFlight_ = count;
}

void Connection::extendDue(size_t length) {
    dueBy_ = std::max(dueBy_, Clock::now() + UnspokenDeadline +
                                  PerCharacter * static_cast<int64_t>(length));
}

void Connection::push(Notice notice) {
    {
        std::lock_guard lock(mutex_);
        notices_.push_back(notice);
        const auto found = lengths_.find(notice.messageId);
        const size_t length = found == lengths_.end() ? 0 : found->second;
        if (notice.kind == Notice::Kind::Begin) {
            extendDue(length);
        } else {
            extendDue(0); // the next text may begin now
            if (found != lengths_.end())
                lengths_.erase(found);
        }
    }
    changed_.notify_all();
    wakeMainThread();
}

// A server that dies sends nothing more, and a stopped one does not answer:
// while texts are in flight the watchdog asks it a question now and then,
// and a connection that cannot answer any more ends every text at once. So
// does one that leaves a text unbegun or unended longer than its length
// explains (its sound output failed, for one).
void Connection::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        changed_.wait_for(lock, WatchInterval);
        if (stopping_ || lost_ || inFlight_ == 0)
            continue;
        if (Clock::now() > dueBy_) {
            lock.unlock();
            markLost();
            lock.lock();
            continue;
        }
        lock.unlock();
        // A command whose reply libspeechd only checks: those whose reply it
        // parses crash inside it once its own thread has seen the end.
        auto answer = std::make_shared<int>(-1);
        const bool answered = caller_.run(
            [answer](SPDConnection *&spd) {
                *answer = spd_execute_command(spd, "GET OUTPUT_MODULE");
            },
            [this] {
                std::lock_guard stop(mutex_);
                return !stopping_;
            });
        lock.lock();
        if (stopping_)
            break;
        if (!answered || *answer != 0) {
            lock.unlock();
            markLost();
            lock.lock();
        }
    }
}

} // namespace speechd
