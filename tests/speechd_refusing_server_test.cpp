// The SAPI kinds against a server that accepts connections and refuses every
// command, or never answers (a stopped one): each start fails, within the
// calls' deadline, and leaves the native voice in charge.
#include "platform/headless/headless.h"
#include "platform/headless/scripted_engines.h"
#include "tests/test_support.h"
#include "tradutor/servers/server.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// Answers every line on every connection with an SSIP error, or, when
// silent, reads them and answers nothing.
class RefusingServer {
public:
    explicit RefusingServer(const std::string &path, bool silent = false) : silent_(silent) {
        listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        bound_ = listener_ >= 0 &&
                 bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                 listen(listener_, 8) == 0;
        if (bound_)
            thread_ = std::thread([this] { serve(); });
    }
    ~RefusingServer() {
        stopping_ = true;
        shutdown(listener_, SHUT_RDWR);
        close(listener_);
        if (thread_.joinable())
            thread_.join();
        for (const int client : clients_)
            close(client);
    }
    bool bound() const { return bound_; }
    int accepted() const { return accepted_; }

private:
    void serve() {
        while (!stopping_) {
            const int client = accept(listener_, nullptr, nullptr);
            if (client < 0)
                return;
            clients_.push_back(client);
            ++accepted_;
            std::thread([client, silent = silent_] {
                char buffer[512];
                const std::string refusal = "500 ERR COMMAND REFUSED\r\n";
                ssize_t got = 0;
                while ((got = read(client, buffer, sizeof buffer)) > 0)
                    for (ssize_t i = 0; i < got && !silent; ++i)
                        if (buffer[i] == '\n' && write(client, refusal.data(), refusal.size()) < 0)
                            return;
            }).detach();
        }
    }

    bool silent_;
    int listener_ = -1;
    bool bound_ = false;
    std::atomic<bool> stopping_{false};
    std::atomic<int> accepted_{0};
    std::thread thread_;
    std::vector<int> clients_;
};

TEST(SpeechdRefusingServer, EveryKindFailsToStart) {
    test_support::TempDir dir;
    test_support::writeFile(dir.file("ZEBUNA.INI"), "");
    test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    headless::unscriptSpeechEngines(); // the host's own: speech-dispatcher
    const std::string socketPath = dir.file("refusing.sock");
    RefusingServer server(socketPath);
    ASSERT_TRUE(server.bound());
    setenv("SPEECHD_ADDRESS", ("unix_socket:" + socketPath).c_str(), 1);
    for (const int32_t kind :
         {servers::ServerKindSapi5, servers::ServerKindSapi5Second, servers::ServerKindSapi4}) {
        EXPECT_FALSE(servers::serverStart(1, 0, 0, "", kind)) << kind;
        EXPECT_TRUE(servers::serverVoices(kind).empty()) << kind;
    }
    unsetenv("SPEECHD_ADDRESS");
    EXPECT_GE(server.accepted(), 3); // each start reached the server
}

TEST(SpeechdSilentServer, EveryKindFailsToStartWithinTheDeadline) {
    test_support::TempDir dir;
    test_support::writeFile(dir.file("ZEBUNA.INI"), "");
    test_support::startMachine(dir.path(), dir.file("ZEBUNA.INI"));
    headless::unscriptSpeechEngines();
    const std::string socketPath = dir.file("silent.sock");
    RefusingServer server(socketPath, true);
    ASSERT_TRUE(server.bound());
    setenv("SPEECHD_ADDRESS", ("unix_socket:" + socketPath).c_str(), 1);
    for (const int32_t kind : {servers::ServerKindSapi5, servers::ServerKindSapi4}) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(servers::serverStart(1, 0, 0, "", kind)) << kind;
        const auto took = std::chrono::steady_clock::now() - started;
        // One deadline of 2 s, with room for a loaded machine.
        EXPECT_GE(took, std::chrono::milliseconds(1900)) << kind;
        EXPECT_LT(took, std::chrono::seconds(4)) << kind;
    }
    unsetenv("SPEECHD_ADDRESS");
    EXPECT_GE(server.accepted(), 2);
}

} // namespace
