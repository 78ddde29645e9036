#pragma once

// The fixed catalogue of tips, built once per process with its messages localised then:
//
//   std::vector<std::string> tips;  // six for the home screen, by priority
//   for (const Hint& hint : HintCatalogue::hints(HintScreen::home)) tips.push_back(hint.message);

#include <vector>

#include "core/guidance/Hint.hpp"

namespace kelvo {

struct HintCatalogue {
  /// The eight tips in catalogue order.
  static const std::vector<Hint>& all();
  /// The tips of one screen, by priority (ties in catalogue order).
  static const std::vector<Hint>& hints(HintScreen screen);
  /// The tip with this identifier; null only for a value outside the enumeration.
  static const Hint* hint(HintID id);
};

}  // namespace kelvo
