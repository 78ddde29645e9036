#pragma once

#include <optional>
#include <string_view>

namespace kelvo {

/// What keeps tips away at this moment. Any field set keeps them all away.
struct HintSuppression {
  bool isEditingText = false;
  bool isSheetPresented = false;
  bool isDragging = false;
  bool isScreenReaderRunning = false;

  static constexpr HintSuppression none() { return {}; }

  constexpr bool allowsHints() const {
    return !isEditingText && !isSheetPresented && !isDragging && !isScreenReaderRunning;
  }
  /// The first cause, in order of precedence; fixed English, for diagnostics.
  constexpr std::optional<std::string_view> reason() const {
    if (isScreenReaderRunning) return "screen reader running";
    if (isEditingText) return "typing";
    if (isSheetPresented) return "sheet presented";
    if (isDragging) return "dragging";
    return std::nullopt;
  }

  friend bool operator==(const HintSuppression&, const HintSuppression&) = default;
};

}  // namespace kelvo
