#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportFormat.hpp"
#include "core/import/ImportWarning.hpp"

/// Rewrites a snippet body from another tool's placeholder dialect into card blanks: fill-ins
/// become named blanks, values the tool filled in itself become blanks to fill, markers with no
/// use here are dropped, and every other brace is escaped so that it stays text.
///
///   PlaceholderTranslator::translate("Hi %filltext:name=Client%!",
///   PlaceholderSyntax::textExpander)
///   // body "Hi {Client}!", no warnings
namespace kelvo::PlaceholderTranslator {

/// The longest blank name, in characters.
inline constexpr std::size_t blankNameLimit = 40;

/// Brace placeholders that become a blank named after their keyword.
inline constexpr std::array<std::string_view, 6> dynamicBlankKeywords{"clipboard", "date", "time",
                                                                      "datetime",  "day",  "uuid"};
/// Brace placeholders that become a numbered blank.
inline constexpr std::array<std::string_view, 4> dynamicNumberedKeywords{
    "snippet", "selection", "calculator", "browser-tab"};

struct Output {
  std::string body;
  /// In the order their causes stand in the text.
  std::vector<ImportWarning> warnings;
  friend bool operator==(const Output&, const Output&) = default;
};

/// With `PlaceholderSyntax::none` the body only has its braces escaped, so it reads back
/// through `VariableTemplate` as exactly the text given.
Output translate(std::string_view body, PlaceholderSyntax syntax);

}  // namespace kelvo::PlaceholderTranslator
