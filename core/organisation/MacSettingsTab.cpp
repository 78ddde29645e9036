#include "core/organisation/MacSettingsTab.hpp"

#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string title(MacSettingsTab tab) {
  switch (tab) {
    case MacSettingsTab::general:
      return localized("General");
    case MacSettingsTab::appearance:
      return localized("Appearance");
    case MacSettingsTab::automations:
      return localized("Automations");
    case MacSettingsTab::integrations:
      return localized("Integrations");
    case MacSettingsTab::account:
      return localized("Account");
    case MacSettingsTab::shortcuts:
      return localized("Shortcuts");
  }
  return localized("General");
}

KelvoIcon icon(MacSettingsTab tab) {
  switch (tab) {
    case MacSettingsTab::general:
      return KelvoIcon::settingsGeneral;
    case MacSettingsTab::appearance:
      return KelvoIcon::settingsAppearance;
    case MacSettingsTab::automations:
      return KelvoIcon::settingsAutomations;
    case MacSettingsTab::integrations:
      return KelvoIcon::settingsIntegrations;
    case MacSettingsTab::account:
      return KelvoIcon::settingsAccount;
    case MacSettingsTab::shortcuts:
      return KelvoIcon::settingsShortcuts;
  }
  return KelvoIcon::settingsGeneral;
}

std::string accessibilityIdentifier(MacSettingsTab tab) {
  return "settings-tab-" + std::string(rawValue(tab));
}

std::string sidebarIdentifier(MacSettingsTab tab) {
  return "settings-sidebar-" + std::string(rawValue(tab));
}

}  // namespace kelvo
