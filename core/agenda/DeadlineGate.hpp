#pragma once

// The single-answer gate of `withDeadline` (IntegrationRead.hpp): the operation's thread and the
// waiting caller share one, and whichever claims it first answers the call.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stop_token>

#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

class DeadlineGate {
 public:
  /// How long the caller sleeps before reading the clock again, so that time the machine spends
  /// asleep counts towards the deadline, and a manual clock moved by a test is noticed.
  static constexpr TimeInterval clockRereadInterval = 0.1;

  /// True for exactly one claim over the gate's life.
  bool claim() { return !claimed_.test_and_set(std::memory_order_acq_rel); }

  /// The operation's side, after its claim succeeded and its answer is stored: wakes the caller.
  void answer();

  /// The caller's side. Waits until the operation answers (true) or `deadline` seconds have
  /// passed on `clock.continuousNow()`; then claims the gate, requests the operation's stop and
  /// answers false. When the operation has claimed first, waits for its answer, which is
  /// already on its way. A deadline of 0 or less (or not a number) waits for nothing.
  bool await(TimeInterval deadline, const Clock& clock);

  /// What the operation watches to learn that nobody waits for it any more.
  std::stop_token stopToken() const { return stop_.get_token(); }

 private:
  bool waitUntil(TimeInterval end, const Clock& clock);
  void waitForAnswer();

  std::atomic_flag claimed_;
  std::stop_source stop_;
  std::mutex mutex_;
  std::condition_variable answered_;
  bool hasAnswer_ = false;  // guarded by mutex_
};

}  // namespace kelvo
