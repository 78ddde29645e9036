#pragma once

// The integrations screen: the kinds it lists on a platform and the two explanations beneath the
// list:
//
//   std::vector<std::string> rows;
//   for (const auto kind : IntegrationCatalogue::available(IntegrationPlatform::iOS))
//     rows.push_back(title(kind));  // "Calendar", "Photos", ...
//   const std::string footer = IntegrationCatalogue::absentIntegrationsExplanation();

#include <string>
#include <string_view>
#include <vector>

#include "core/agenda/KelvoIntegrationKind.hpp"

namespace kelvo {

struct IntegrationCatalogue {
  /// The name under which any part of the application asks for the integrations screen. The
  /// core has no notification centre: the host posts and observes it.
  static constexpr std::string_view openIntegrationsNotification = "kelvo.openIntegrations";

  /// The kinds `isAvailable` on `platform`, in declaration order.
  static std::vector<KelvoIntegrationKind> available(IntegrationPlatform platform);

  /// Why the services the user may expect are absent or not connected; localised.
  static std::string absentIntegrationsExplanation();
  /// Why files need no row of their own; localised.
  static std::string filesExplanation();
};

}  // namespace kelvo
