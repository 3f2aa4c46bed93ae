#include "platform/speechd/speechd_connection.h"

#include "platform/platform.h"
#include "platform/speech_engines.h"

#include <libspeechd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>

namespace speechd {
namespace {

constexpr auto WatchInterval = std::chrono::milliseconds(200);
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

// Whether a server listens on the address. libspeechd leaks a copy of a
// socket path it cannot connect to, so a missing server is found here first;
// addresses other than a local socket are left to libspeechd.
bool listening(const SPDConnectionAddress &address) {
    if (address.method != SPD_METHOD_UNIX_SOCKET || !address.unix_socket_name)
        return true;
    sockaddr_un target{};
    target.sun_family = AF_UNIX;
    const std::string path = address.unix_socket_name;
    if (path.size() >= sizeof target.sun_path)
        return false;
    std::copy(path.begin(), path.end(), target.sun_path);
    const int probe = socket(AF_UNIX, SOCK_STREAM, 0);
    if (probe < 0)
        return false;
    const bool connected =
        connect(probe, reinterpret_cast<const sockaddr *>(&target), sizeof target) == 0;
    close(probe);
    return connected;
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
    char *error = nullptr;
    SPDConnectionAddress *address = spd_get_default_address(&error);
    std::free(error);
    if (!address || !listening(*address)) {
        if (address)
            SPDConnectionAddress__free(address);
        return nullptr;
    }
    error = nullptr;
    SPDConnection *spd =
        spd_open2(ClientName, name.c_str(), nullptr, SPD_MODE_THREADED, address, 0, &error);
    SPDConnectionAddress__free(address);
    std::free(error);
    if (!spd)
        return nullptr;
    const int clientId = spd_get_client_id(spd);
    if (clientId <= 0) {
        spd_close(spd);
        return nullptr;
    }
    std::unique_ptr<Connection> connection(new Connection(spd, static_cast<size_t>(clientId)));
    spd->callback_begin = spd->callback_end = spd->callback_cancel = notificationCallback;
    const bool notified = spd_set_notification_on(spd, SPD_BEGIN) == 0 &&
                          spd_set_notification_on(spd, SPD_END) == 0 &&
                          spd_set_notification_on(spd, SPD_CANCEL) == 0;
    return notified ? std::move(connection) : nullptr;
}

Connection::Connection(SPDConnection *spd, size_t clientId) : spd_(spd), clientId_(clientId) {
    {
        std::lock_guard lock(registry().mutex);
        registry().connections[clientId_] = this;
    }
    watchdog_ = std::thread([this] { watch(); });
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
    watchdog_.join();
    spd_close(spd_);
}

// The voice list is asked for in SSIP itself: libspeechd's own parser of
// list replies takes time that grows with the square of the list, and a
// server with every espeak-ng variant lists over ten thousand voices.
std::vector<Voice> Connection::voices() {
    std::vector<Voice> out;
    char *reply = spd_send_data(spd_, "LIST SYNTHESIS_VOICES\r\n", SPD_WAIT_REPLY);
    if (!reply)
        return out;
    out = parseVoiceList(reply);
    std::free(reply);
    orderVoices(out);
    return out;
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
    return (voice.language.empty() || spd_set_language(spd_, voice.language.c_str()) == 0) &&
           spd_set_synthesis_voice(spd_, voice.name.c_str()) == 0;
}

bool Connection::setRate(int rate) {
    return spd_set_voice_rate(spd_, rate) == 0;
}

bool Connection::setPitch(int pitch) {
    return spd_set_voice_pitch(spd_, pitch) == 0;
}

size_t Connection::say(const std::string &text) {
    if (lost_)
        return 0;
    const int id = spd_say(spd_, SPD_MESSAGE, text.c_str());
    return id > 0 ? static_cast<size_t>(id) : 0;
}

bool Connection::cancel() {
    return !lost_ && spd_cancel(spd_) == 0;
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

void Connection::push(Notice notice) {
    {
        std::lock_guard lock(mutex_);
        notices_.push_back(notice);
    }
    changed_.notify_all();
    wakeMainThread();
}

// A server that dies sends nothing more: while texts are in flight the
// watchdog asks it a question now and then, and a connection that cannot
// answer any more ends every text at once.
void Connection::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        changed_.wait_for(lock, WatchInterval);
        if (stopping_ || lost_ || inFlight_ == 0)
            continue;
        lock.unlock();
        // A command whose reply libspeechd only checks: those whose reply it
        // parses crash inside it once its own thread has seen the end.
        if (spd_execute_command(spd_, "GET OUTPUT_MODULE") != 0) {
            lost_ = true;
            push({Notice::Kind::Lost, 0});
        }
        lock.lock();
    }
}

} // namespace speechd
