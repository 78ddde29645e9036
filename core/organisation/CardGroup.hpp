#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// One group of a grouped library view.
struct CardGroup {
  /// Stable across calls: "project-<UUID>", "type-text", "recency-today", "date-2024-9", ...
  std::string id;
  std::string title;
  std::optional<KelvoIcon> icon;
  /// The tint of the heading's glyph; none for the default.
  std::optional<KelvoColorToken> tint;
  /// In display order.
  std::vector<UUID> cardIDs;

  friend bool operator==(const CardGroup&, const CardGroup&) = default;
};

}  // namespace kelvo
