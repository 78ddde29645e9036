#include "platform/foundation/Clock.hpp"

#include <time.h>

#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

TimeInterval read(clockid_t id) {
  timespec value{};
  if (clock_gettime(id, &value) != 0) fatal("clock_gettime failed");
  return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_nsec) / 1e9;
}

class SystemClock final : public Clock {
 public:
  Date now() const override { return Date::fromUnixTime(read(CLOCK_REALTIME)); }
  TimeInterval continuousNow() const override { return read(CLOCK_BOOTTIME); }
};

}  // namespace

const Clock& Clock::system() {
  static const SystemClock clock;
  return clock;
}

Date ManualClock::now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

TimeInterval ManualClock::continuousNow() const {
  TimeInterval value = 0;
  {
    std::lock_guard lock(mutex_);
    ++continuousReadings_;
    value = continuous_;
  }
  read_.notify_all();
  return value;
}

void ManualClock::waitForContinuousReadings(std::uint64_t count) const {
  std::unique_lock lock(mutex_);
  read_.wait(lock, [&] { return continuousReadings_ >= count; });
}

void ManualClock::advance(TimeInterval seconds) {
  if (!(seconds >= 0)) fatal("ManualClock::advance: the continuous clock never goes back");
  std::lock_guard lock(mutex_);
  now_ += seconds;
  continuous_ += seconds;
}

void ManualClock::set(Date now) {
  std::lock_guard lock(mutex_);
  now_ = now;
}

}  // namespace kelvo
