#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <variant>

namespace kelvo {

/// A note on something that changed while a snippet was brought over, with the line the import
/// sheet shows for it. Texts compare by canonical equivalence.
///
///   ImportWarning::unnamedFillNumbered("blank 1").message()
///   // "An unnamed fill-in became {blank 1}."
struct ImportWarning {
  struct CursorMarkerRemoved {};
  struct ControlCodeRemoved {
    std::string original;
  };
  struct DynamicPlaceholderBecameBlank {
    std::string original;
    std::string blank;
  };
  struct UnnamedFillNumbered {
    std::string blank;
  };
  struct ValueWasNotText {
    std::string field;
  };

  std::variant<CursorMarkerRemoved, ControlCodeRemoved, DynamicPlaceholderBecameBlank,
               UnnamedFillNumbered, ValueWasNotText>
      value;

  static ImportWarning cursorMarkerRemoved() { return {CursorMarkerRemoved{}}; }
  static ImportWarning controlCodeRemoved(std::string original) {
    return {ControlCodeRemoved{std::move(original)}};
  }
  static ImportWarning dynamicPlaceholderBecameBlank(std::string original, std::string blank) {
    return {DynamicPlaceholderBecameBlank{std::move(original), std::move(blank)}};
  }
  static ImportWarning unnamedFillNumbered(std::string blank) {
    return {UnnamedFillNumbered{std::move(blank)}};
  }
  static ImportWarning valueWasNotText(std::string field) {
    return {ValueWasNotText{std::move(field)}};
  }

  /// The warning's line for the sheet, localised; inserted values are taken as they stand.
  std::string message() const;

  friend bool operator==(const ImportWarning& a, const ImportWarning& b);
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::ImportWarning> {
  std::size_t operator()(const kelvo::ImportWarning& warning) const noexcept;
};
