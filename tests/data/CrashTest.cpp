// A child process saves in a loop and is killed at random moments; every save is whole or absent.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

constexpr int counterCount = 40;

// Each save raises every counter to the next value and adds one marker carrying that value.
[[noreturn]] void saveForever(const std::filesystem::path& url) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  try {
    auto container = testing::openContainer(url);
    Context& context = container->viewContext();
    std::vector<std::shared_ptr<ManagedObject>> counters;
    for (const auto& note : context.fetch("Note")) {
      if (*note->value("title")->string() == "counter") counters.push_back(note);
    }
    std::int64_t value = *counters.front()->value("useCount")->integer();
    for (int i = 0; i < 1'000'000; ++i) {
      ++value;
      for (const auto& counter : counters) counter->setValue("useCount", value);
      testing::makeNote(context, "marker")->setValue("useCount", value);
      context.save();
    }
  } catch (...) {
    _exit(2);
  }
  _exit(0);
}

TEST(CrashTest, AKilledSaveLeavesTheStoreAsBeforeOrAfterIt) {
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Crash.store";
  {
    auto container = testing::openContainer(url);
    for (int i = 0; i < counterCount; ++i) testing::makeNote(container->viewContext(), "counter");
    container->viewContext().save();
  }
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<int> pause(1'000, 80'000);
  std::int64_t lastValue = 0;
  for (int round = 0; round < 15; ++round) {
    // No connection is open across the fork.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) saveForever(url);
    usleep(static_cast<useconds_t>(pause(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself with " << status;

    std::unique_ptr<Container> container;
    ASSERT_NO_FATAL_FAILURE(container = testing::reopenChecked(url));
    std::set<std::int64_t> counterValues;
    std::vector<std::int64_t> markers;
    for (const auto& note : container->viewContext().fetch("Note")) {
      const std::int64_t value = *note->value("useCount")->integer();
      if (*note->value("title")->string() == "counter") {
        counterValues.insert(value);
      } else {
        markers.push_back(value);
      }
    }
    ASSERT_EQ(counterValues.size(), 1u) << "counters disagree after round " << round;
    const std::int64_t value = *counterValues.begin();
    EXPECT_GE(value, lastValue);
    // One marker for each save that landed, 1 to the counters' value.
    std::vector<std::int64_t> expected(static_cast<std::size_t>(value));
    std::iota(expected.begin(), expected.end(), 1);
    std::sort(markers.begin(), markers.end());
    EXPECT_EQ(markers, expected);
    lastValue = value;
  }
  // The child did save now and then; otherwise the test proved nothing.
  EXPECT_GT(lastValue, 0);
}

}  // namespace
}  // namespace kelvo::data
