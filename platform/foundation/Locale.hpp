#pragma once

#include <string>
#include <string_view>

namespace kelvo {

/// A locale by its identifier ("en_US", "de_DE"). The current locale is a process setting.
class Locale {
 public:
  /// Takes an ICU or POSIX identifier; a POSIX encoding or modifier ("de_DE.UTF-8@euro") is
  /// dropped, and "C" or "POSIX" read as en_US.
  explicit Locale(std::string_view identifier);

  const std::string& identifier() const { return identifier_; }
  /// The language code ("en" of "en_US").
  std::string languageCode() const;

  /// The process's current locale: the one last set, else the environment's.
  static Locale current();
  static void setCurrent(const Locale& locale);
  /// The locale the environment names (LC_ALL, then LC_MESSAGES, then LANG), en_US when none.
  static Locale fromEnvironment();

  friend bool operator==(const Locale&, const Locale&) = default;

 private:
  std::string identifier_;
};

}  // namespace kelvo
