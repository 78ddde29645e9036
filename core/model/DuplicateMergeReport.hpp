#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace kelvo {

/// What one duplicate merge did, counted by entity name ("Shelf", "Card", "SmartShelf"). A name
/// is present only when something was counted for it. It carries no user-facing text.
struct DuplicateMergeReport {
  using Counts = std::map<std::string, std::int64_t, std::less<>>;

  /// Records deleted as duplicates.
  Counts removed;
  /// Records left in place because their group's survivor and runner-up cannot be told apart.
  Counts indistinguishable;
  /// The final save failed and the context was rolled back; the counts are then empty.
  bool saveFailed = false;

  std::int64_t removedCount() const;
  std::int64_t indistinguishableCount() const;
  /// Whether nothing was counted; `saveFailed` plays no part.
  bool isEmpty() const { return removedCount() == 0 && indistinguishableCount() == 0; }
  /// The count under `entityName` in `removed`; 0 when it is absent.
  std::int64_t removedCount(std::string_view entityName) const;

  friend bool operator==(const DuplicateMergeReport&, const DuplicateMergeReport&) = default;
};

}  // namespace kelvo
