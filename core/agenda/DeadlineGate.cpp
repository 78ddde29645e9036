#include "core/agenda/DeadlineGate.hpp"

#include <algorithm>
#include <chrono>

namespace kelvo {

void DeadlineGate::answer() {
  {
    std::lock_guard lock(mutex_);
    hasAnswer_ = true;
  }
  answered_.notify_all();
}

bool DeadlineGate::await(TimeInterval deadline, const Clock& clock) {
  if (deadline > 0 && waitUntil(clock.continuousNow() + deadline, clock)) return true;
  if (claim()) {
    stop_.request_stop();
    return false;
  }
  waitForAnswer();
  return true;
}

// True as soon as the operation has answered; false once the clock reaches `end`.
bool DeadlineGate::waitUntil(TimeInterval end, const Clock& clock) {
  std::unique_lock lock(mutex_);
  while (!hasAnswer_) {
    const TimeInterval remaining = end - clock.continuousNow();
    if (!(remaining > 0)) return false;
    const std::chrono::duration<double> slice(std::min(remaining, clockRereadInterval));
    answered_.wait_for(lock, slice, [this] { return hasAnswer_; });
  }
  return true;
}

void DeadlineGate::waitForAnswer() {
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [this] { return hasAnswer_; });
}

}  // namespace kelvo
