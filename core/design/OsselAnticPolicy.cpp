#include "core/design/OsselAnticPolicy.hpp"

namespace kelvo {

bool OsselAnticPolicy::allows(Ossel::Expression expression, Date now, bool isUserTyping) const {
  if (expression == Ossel::Expression::idle) return true;
  if (isUserTyping) return false;
  if (!isThrottledAntic(expression)) return true;
  return !lastAnticAt || now - *lastAnticAt >= Ossel::Timing::minimumAnticInterval;
}

void OsselAnticPolicy::record(Ossel::Expression expression, Date at) {
  if (isThrottledAntic(expression)) lastAnticAt = at;
}

double OsselAnticPolicy::cooldownRemaining(Date now) const {
  if (!lastAnticAt) return 0.0;
  const double remaining = Ossel::Timing::minimumAnticInterval - (now - *lastAnticAt);
  return remaining > 0.0 ? remaining : 0.0;
}

}  // namespace kelvo
