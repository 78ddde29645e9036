// Internal to core/import: include "core/import/PlaceholderTranslator.hpp" instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kelvo::import_internal {

/// One TextExpander placeholder: `%command:arguments%`, `%clipboard`, `%|` or `%\`.
struct TextExpanderPlaceholder {
  std::string_view whole;
  /// The fill or snippet command; empty for the clipboard and cursor markers.
  std::string_view command;
  /// From the colon on, if any (":name=Client").
  std::string_view arguments;
};

/// The placeholder starting at `at`, found as the pattern
/// `%(filltext|fillarea|fillpopup|fillpart|fillpartend|fillparttext|snippet|key)((?::[^%\n]*)?)%`
/// `|%clipboard|%\||%[\\]` would find it there, its alternatives tried in that order.
std::optional<TextExpanderPlaceholder> textExpanderPlaceholderAt(std::string_view body,
                                                                 std::size_t at);

/// The quoted value of the first `name=` in a brace argument's text, as the pattern
/// `name=["']([^"']*)["']` finds it: either quote opens, either closes.
std::optional<std::string_view> quotedNameArgument(std::string_view arguments);

}  // namespace kelvo::import_internal
