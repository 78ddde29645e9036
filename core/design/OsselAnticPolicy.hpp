#pragma once

#include <optional>

#include "core/design/Ossel.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

/// Keeps the mascot's playful antics from repeating too often or interrupting typing.
struct OsselAnticPolicy {
  /// When the last throttled antic was shown; nothing before the first.
  std::optional<Date> lastAnticAt;

  /// idle always; nothing else while the user types; catching and working otherwise; a throttled
  /// antic once `Ossel::Timing::minimumAnticInterval` has passed since the last one.
  bool allows(Ossel::Expression expression, Date now, bool isUserTyping) const;
  /// Notes a throttled antic shown at `at`; other expressions leave the policy as it is.
  void record(Ossel::Expression expression, Date at);
  /// Seconds until a throttled antic is allowed; 0 when one is allowed now.
  double cooldownRemaining(Date now) const;

  friend bool operator==(const OsselAnticPolicy&, const OsselAnticPolicy&) = default;
};

}  // namespace kelvo
