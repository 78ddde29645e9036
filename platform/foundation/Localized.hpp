#pragma once

// The words the user reads. The English text is the key into the current locale's gettext
// catalogue, and values are filled into the translation in the platform's format notation, so
// that a translation may put them in its own order; without a catalogue the English stays:
//
//   const std::string copied = localized("Copied %@", title);          // "Copied Wi-Fi"
//   const std::string counted = localized("%lld cards", cardCount);    // "3 cards"
//   const std::string turned = formatted("%2$@ %1$@", "world", "hello");  // "hello world"

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace kelvo {

/// One value for a format: a text, a whole number or a real number.
class FormatArgument {
 public:
  using Value = std::variant<std::string_view, std::int64_t, double>;

  FormatArgument(std::string_view text) : value_(text) {}
  FormatArgument(const char* text) : value_(std::string_view(text)) {}
  FormatArgument(const std::string& text) : value_(std::string_view(text)) {}
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char>) FormatArgument(T number)
      : value_(static_cast<std::int64_t>(number)) {}
  template <std::floating_point T>
  FormatArgument(T number) : value_(static_cast<double>(number)) {}

  const Value& value() const { return value_; }

 private:
  Value value_;
};

/// Fills a format in the platform's notation, in one pass: a substituted value is never read
/// again. `%@` takes a text, `%lld` and `%d` a whole number, `%f` and `%.1f` a real number
/// (decimal point, no grouping), `%%` is a percent sign, and `%1$@` (any of the above with a
/// position) takes the value at that position, counted from 1. Each value is written as what it
/// is (a number given to `%@` is written in decimal). A specifier without a value, or one not
/// listed, is kept as written.
std::string formatted(std::string_view format, std::span<const FormatArgument> arguments);

template <typename... Arguments>
std::string formatted(std::string_view format, const Arguments&... arguments) {
  const std::array<FormatArgument, sizeof...(Arguments)> list{FormatArgument(arguments)...};
  return formatted(format, std::span<const FormatArgument>(list));
}

/// The current locale's text for `english`, looked up with gettext in the domain "kelvo" with
/// the English text as the key; with no catalogue or no entry, `english` itself.
std::string localized(std::string_view english);

/// The localised text for the key, filled with `arguments`: `localized("Copied %@", title)`.
template <typename... Arguments>
requires(sizeof...(Arguments) > 0) std::string
    localized(std::string_view key, const Arguments&... arguments) {
  return formatted(localized(key), arguments...);
}

/// The folder that holds the catalogues (`<folder>/<language>/LC_MESSAGES/kelvo.mo`); gettext's
/// own default until set.
void setLocalizationDirectory(const std::string& folder);

}  // namespace kelvo
