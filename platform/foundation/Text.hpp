#pragma once

// Text as a reader sees it, on UTF-8 strings: counting and cutting by user-perceived
// characters, canonical equality, the folding behind every comparison that ignores case and
// accents, case mapping and character classes. Code never counts or cuts text with `size()` or
// `substr`; it asks here, so that an accent or an emoji is never split:
//
//   const std::string title = "Cafe\u0301 au lait";  // an "e" and a combining accent
//   const std::size_t length = text::characterCount(title);       // 12
//   const std::string shown = text::prefix(title, 4);             // "Café", accent and all
//   const bool same = text::canonicallyEqual(shown, "Caf\u00E9");  // true
//   const std::string key = text::folded("Crème BRÛLÉE");         // "creme brulee"

#include <compare>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TextCompare.hpp"

/// Unicode text on UTF-8 strings. "Characters" are user-perceived characters (extended grapheme
/// clusters): "e" followed by U+0301 is one character, and so is a CR LF pair. Ill-formed UTF-8
/// is read with U+FFFD in place of each bad sequence; nothing here fails.
namespace kelvo::text {

// Characters.

std::size_t characterCount(std::string_view text);
/// The first `count` characters of `text` (all of it when it has fewer); never splits one.
std::string prefix(std::string_view text, std::size_t count);
/// The characters of `text` in order, as views into `text`.
std::vector<std::string_view> characters(std::string_view text);

// Normalisation and equality.

/// Canonical composition (NFC).
std::string nfc(std::string_view text);
/// Whether two texts are canonically equivalent: "Café" equals "Cafe" + U+0301.
bool canonicallyEqual(std::string_view a, std::string_view b);
/// A hash that agrees with `canonicallyEqual`.
std::size_t canonicalHash(std::string_view text);

/// Hash and equality for unordered containers keyed by text under canonical equivalence.
struct CanonicalHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return canonicalHash(text); }
};
struct CanonicalEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return canonicallyEqual(a, b); }
};

// Case and folding.

/// Full Unicode case folding, in NFC: "ß" folds to "ss", "Σ" and "ς" to "σ".
std::string caseFolded(std::string_view text);
/// Removes the nonspacing marks that are diacritics ("é" to "e", "ü" to "u"), then composes
/// (NFC). Width is not folded; letters without a decomposition ("ø", "ł") stay.
std::string diacriticFolded(std::string_view text);
/// Case folding, then diacritic folding: the key of every comparison that ignores both.
/// "Crème BRÛLÉE" folds to "creme brulee".
std::string folded(std::string_view text);

/// Case mapping in the root locale, with no language's special rules.
std::string lowercased(std::string_view text);
std::string uppercased(std::string_view text);
/// Case mapping by the rules of `locale`'s language (Turkish dotted and dotless i, ...).
std::string lowercased(std::string_view text, const Locale& locale);
std::string uppercased(std::string_view text, const Locale& locale);

// Character classes, scalar by scalar.

enum class CharacterClass {
  /// Space separators (Zs) and tab: white space without line breaks.
  whitespace,
  /// U+000A to U+000D, U+0085, U+2028 and U+2029.
  newline,
  /// The Unicode White_Space property: `whitespace` and `newline` together.
  whitespaceAndNewline,
  /// Letters and marks (L*, M*).
  letter,
  /// Marks (M*).
  mark,
  /// Decimal digits (Nd).
  decimalDigit,
  /// Letters, marks and numbers (L*, M*, N*).
  alphanumeric,
  /// Control and format characters (Cc, Cf).
  control,
  /// The Unicode Alphabetic property.
  alphabetic,
  /// Scalars whose Numeric_Type is not None.
  numeric,
  /// The Unicode Lowercase property.
  lowercase,
  /// The Unicode Uppercase property.
  uppercase,
};

bool isMember(char32_t scalar, CharacterClass characterClass);
bool containsAny(std::string_view text, CharacterClass characterClass);
/// The parts one after another with `separator` between each two.
std::string joined(std::span<const std::string> parts, std::string_view separator);
/// `text` without the scalars of the class at both ends (whitespace and newlines by default).
std::string trimmed(std::string_view text,
                    CharacterClass characterClass = CharacterClass::whitespaceAndNewline);

}  // namespace kelvo::text
