#include "core/agenda/IntegrationRead.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <latch>
#include <limits>
#include <mutex>
#include <stdexcept>

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// Opens once every copy of an operation is gone, which happens on the operation's own thread
// after it has run: tests wait on it so that no operation outlives its test.
class OperationWatch {
 public:
  std::shared_ptr<void> token() const { return token_; }
  ~OperationWatch() {
    token_.reset();
    released_->wait();
  }

 private:
  std::shared_ptr<std::latch> released_ = std::make_shared<std::latch>(1);
  std::shared_ptr<void> token_{nullptr, [released = released_](void*) { released->count_down(); }};
};

// Blocks until its stop is requested, and records that it saw it.
std::function<int(std::stop_token)> untilStopped(const OperationWatch& watch,
                                                 std::shared_ptr<std::atomic<bool>> sawStop) {
  return [token = watch.token(), sawStop](std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait(lock, stop, [] { return false; });
    sawStop->store(stop.stop_requested());
    return 0;
  };
}

TEST(IntegrationReadTest, AnswersInTimeOrStopsTheOperation) {
  {
    OperationWatch watch;
    EXPECT_EQ(withDeadline<int>(10, [token = watch.token()](std::stop_token) { return 7; }), 7);
  }
  // A blocking operation, and deadlines that wait for nothing, end in a timeout and a stop.
  for (const double deadline : {0.03, 0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
    auto sawStop = std::make_shared<std::atomic<bool>>(false);
    {
      OperationWatch watch;
      EXPECT_EQ(withDeadline<int>(deadline, untilStopped(watch, sawStop)), std::nullopt);
    }
    EXPECT_TRUE(sawStop->load()) << deadline;
  }
}

TEST(IntegrationReadTest, LateAnswersAreDropped) {
  OperationWatch watch;
  const auto late = [token = watch.token()](std::stop_token) {
    std::this_thread::sleep_for(80ms);  // ignores its stop
    return 5;
  };
  EXPECT_EQ(withDeadline<int>(0.01, late), std::nullopt);
  const auto lateFailure = [token = watch.token()](std::stop_token) -> int {
    std::this_thread::sleep_for(80ms);
    throw std::runtime_error("late");
  };
  EXPECT_EQ(withDeadline<int>(0.01, lateFailure), std::nullopt);
}

TEST(IntegrationReadTest, ValuesAndFailuresInTimeReachTheCaller) {
  OperationWatch watch;
  // An absent value in time is not a timeout.
  const auto absent = withDeadline<std::optional<int>>(
      10, [token = watch.token()](std::stop_token) { return std::optional<int>(); });
  ASSERT_TRUE(absent.has_value());
  EXPECT_EQ(*absent, std::nullopt);

  const auto failing = [token = watch.token()](std::stop_token) -> int {
    throw std::runtime_error("store offline");
  };
  EXPECT_THROW(withDeadline<int>(10, failing), std::runtime_error);
}

TEST(IntegrationReadTest, AManualClockEndsTheWait) {
  ManualClock clock;
  auto sawStop = std::make_shared<std::atomic<bool>>(false);
  {
    OperationWatch watch;
    // Moved only once the deadline has been counted from the clock's reading.
    std::jthread mover([&clock] {
      clock.waitForContinuousReadings(1);
      clock.advance(IntegrationRead::deadline + 0.5);
    });
    EXPECT_EQ(withDeadline<int>(IntegrationRead::deadline, untilStopped(watch, sawStop), clock),
              std::nullopt);
  }
  EXPECT_TRUE(sawStop->load());
}

TEST(IntegrationReadTest, TimedOutMessages) {
  using Kind = KelvoIntegrationKind;
  EXPECT_EQ(IntegrationRead::timedOutMessage(Kind::calendar),
            "    Your calendar didn't answer in time. It may still be syncing —     try again in a "
            "moment.");
  EXPECT_EQ(IntegrationRead::timedOutMessage(Kind::photos),
            "    Your photo library didn't answer in time. It may still be loading —     try again "
            "in a moment.");
  EXPECT_EQ(IntegrationRead::timedOutMessage(Kind::contacts),
            "    Your contacts didn't answer in time. They may still be syncing —     try again in "
            "a moment.");
  EXPECT_EQ(
      IntegrationRead::timedOutMessage(Kind::reminders),
      "    Your reminders didn't answer in time. They may still be syncing —     try again in "
      "a moment.");
  EXPECT_EQ(IntegrationRead::timedOutMessage(Kind::outlook),
            "Outlook didn't answer in time. Check your connection and try again.");
}

}  // namespace
}  // namespace kelvo
