#pragma once

#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo::widgetkit {

/// The appearances the host draws in: light (aqua), dark, and their high-contrast forms.
enum class AppearanceName {
  aqua,
  darkAqua,
  accessibilityHighContrastAqua,
  accessibilityHighContrastDarkAqua,
};

/// Every standard appearance name in declaration order.
const std::array<AppearanceName, 4>& allAppearanceNames();
/// "aqua", "darkAqua", "accessibilityHighContrastAqua", "accessibilityHighContrastDarkAqua".
std::string_view rawValue(AppearanceName name);
std::optional<AppearanceName> appearanceNameFromRawValue(std::string_view text);

/// The appearance a view is drawn in, by name. A name the host does not know is kept as given
/// and matches none of the standard names.
class Appearance {
 public:
  explicit Appearance(AppearanceName name) : name_(rawValue(name)) {}
  explicit Appearance(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }

  /// The candidate that suits this appearance best: its own name when offered, else, for a
  /// high-contrast appearance, its plain form when offered; none otherwise. The order of the
  /// candidates does not matter.
  std::optional<AppearanceName> bestMatch(std::initializer_list<AppearanceName> candidates) const;

  friend bool operator==(const Appearance&, const Appearance&) = default;

 private:
  std::string name_;
};

}  // namespace kelvo::widgetkit
