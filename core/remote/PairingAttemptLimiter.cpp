#include "core/remote/PairingAttemptLimiter.hpp"

#include <algorithm>

namespace kelvo::Remote {

bool PairingAttemptLimiter::isLocked(Date at) const { return lockedUntil_ && at < *lockedUntil_; }

bool PairingAttemptLimiter::recordFailure(Date at) {
  std::erase_if(failures_, [&](Date failure) { return at - failure > lockoutDuration_; });
  failures_.push_back(at);
  if (static_cast<std::int64_t>(failures_.size()) < maximumAttempts_) return false;
  lockedUntil_ = at + lockoutDuration_;
  failures_.clear();
  return true;
}

void PairingAttemptLimiter::recordSuccess() {
  failures_.clear();
  lockedUntil_.reset();
}

std::int64_t PairingAttemptLimiter::remainingAttempts() const {
  return std::max<std::int64_t>(0, maximumAttempts_ - static_cast<std::int64_t>(failures_.size()));
}

}  // namespace kelvo::Remote
