#pragma once

// The tips the user dismissed for good, kept by the host in its settings under `storageKey` across
// launches:
//
//   UserDefaults defaults;  // UserDefaults::standard() in the application
//   const auto stored = defaults.data(HintDismissals::storageKey);
//   HintDismissals dismissed = stored ? HintDismissals::decoded(*stored) : HintDismissals();
//   dismissed.insert(HintID::pinToReadyRow);
//   defaults.set(HintDismissals::storageKey, dismissed.encoded());  // ["pin-to-ready-row"]

#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

#include "core/guidance/Hint.hpp"
#include "platform/foundation/Bytes.hpp"

namespace kelvo {

/// Holds raw identifiers unchanged, so that tips of another version survive a round trip.
class HintDismissals {
 public:
  using RawIDs = std::set<std::string, std::less<>>;
  static constexpr std::string_view storageKey = "kelvo.hints.dismissed";

  HintDismissals() = default;
  HintDismissals(std::initializer_list<HintID> ids);
  explicit HintDismissals(const std::set<HintID>& ids);
  explicit HintDismissals(RawIDs rawIDs) : rawIDs_(std::move(rawIDs)) {}

  const RawIDs& rawIDs() const { return rawIDs_; }
  bool isEmpty() const { return rawIDs_.empty(); }
  bool contains(HintID id) const;
  void insert(HintID id);
  /// Whether every tip of the screen is dismissed (true for a screen without tips).
  bool hasDismissedEverything(HintScreen screen) const;

  /// A compact JSON array of the identifiers in ascending byte order.
  Bytes encoded() const;
  /// Reads an array of strings; duplicates collapse. Anything else throws `DecodingError`.
  static HintDismissals decoded(std::string_view bytes);
  static HintDismissals decoded(const Bytes& bytes) { return decoded(toString(bytes)); }

  friend bool operator==(const HintDismissals&, const HintDismissals&) = default;

 private:
  RawIDs rawIDs_;
};

}  // namespace kelvo
