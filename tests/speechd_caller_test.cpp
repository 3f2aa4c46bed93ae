// The thread that runs a connection's libspeechd calls: a call that does not
// come back within the deadline leaves the server gone, and nobody waits for
// it again.
#include "platform/speechd/speechd_caller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;
using speechd::Caller;

// A job that stays in "libspeechd" until the test lets it go.
struct Stuck {
    std::shared_ptr<std::promise<void>> release = std::make_shared<std::promise<void>>();
    Caller::Job job() const {
        return [future = release->get_future().share()](SPDConnection *&) { future.wait(); };
    }
};

TEST(SpeechdCaller, JobsRunInOrderOnTheThreadAndComeBack) {
    Caller caller;
    auto order = std::make_shared<std::vector<int>>();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(caller.run([order, i](SPDConnection *&spd) {
            EXPECT_EQ(spd, nullptr); // nothing opened it
            order->push_back(i);
        }));
    EXPECT_EQ(*order, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(caller.gone());
}

TEST(SpeechdCaller, AJobNotBackWithinTheDeadlineLeavesTheServerGone) {
    Stuck stuck;
    auto caller = std::make_unique<Caller>();
    int looks = 0;
    const auto started = Clock::now();
    EXPECT_FALSE(caller->run(stuck.job(), [&looks] {
        ++looks;
        return true;
    }));
    const auto took = Clock::now() - started;
    EXPECT_GE(took, speechd::ReplyDeadline);
    EXPECT_LT(took, speechd::ReplyDeadline + std::chrono::seconds(1));
    EXPECT_GT(looks, 10); // the waiting thread kept serving its messages
    EXPECT_TRUE(caller->gone());
    // Gone: the next call does not wait at all.
    const auto next = Clock::now();
    EXPECT_FALSE(caller->run([](SPDConnection *&) {}));
    EXPECT_LT(Clock::now() - next, std::chrono::milliseconds(100));
    // Its end does not wait for a job stuck where no socket is known: the
    // thread ends on its own once the job comes back.
    const auto closing = Clock::now();
    caller.reset();
    EXPECT_LT(Clock::now() - closing, std::chrono::milliseconds(100));
    stuck.release->set_value();
}

TEST(SpeechdCaller, AWaitGivenUpDoesNotMakeTheServerGone) {
    Stuck stuck;
    Caller caller;
    int looks = 0;
    EXPECT_FALSE(caller.run(stuck.job(), [&looks] { return ++looks < 3; }));
    EXPECT_EQ(looks, 3);
    EXPECT_FALSE(caller.gone());
    stuck.release->set_value();
    EXPECT_TRUE(caller.run([](SPDConnection *&) {})); // after the stuck one
}

} // namespace
