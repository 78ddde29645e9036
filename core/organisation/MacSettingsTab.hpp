#pragma once

// The tabs of the settings window on the Mac, kept by raw value, with their titles, icons and
// the identifiers interface automation finds them by:
//
//   const std::optional<MacSettingsTab> tab = fromRawValue<MacSettingsTab>("general");
//   const std::string name = tab ? title(*tab) : "";  // "General"
//   const auto id = accessibilityIdentifier(MacSettingsTab::general);  // "settings-tab-general"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class KelvoIcon;

/// The six tabs of the settings window on the Mac; stored and identified by raw value.
enum class MacSettingsTab : std::uint8_t {
  general,
  appearance,
  automations,
  integrations,
  account,
  shortcuts,
};

template <>
struct RawValues<MacSettingsTab> {
  static constexpr std::array<std::pair<MacSettingsTab, std::string_view>, 6> table{{
      {MacSettingsTab::general, "general"},
      {MacSettingsTab::appearance, "appearance"},
      {MacSettingsTab::automations, "automations"},
      {MacSettingsTab::integrations, "integrations"},
      {MacSettingsTab::account, "account"},
      {MacSettingsTab::shortcuts, "shortcuts"},
  }};
};

/// The tab's title; localised.
std::string title(MacSettingsTab tab);
KelvoIcon icon(MacSettingsTab tab);
/// "settings-tab-" and the raw value: how interface automation finds the tab.
std::string accessibilityIdentifier(MacSettingsTab tab);
/// "settings-sidebar-" and the raw value: the tab's sidebar entry.
std::string sidebarIdentifier(MacSettingsTab tab);

}  // namespace kelvo
