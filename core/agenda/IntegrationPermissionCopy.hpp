#pragma once

// The wording of an integration panel for one kind in one access state: a headline, a body and up
// to three ways forward. What each action does is the host's:
//
//   const auto copy = IntegrationPermissionCopyBook::copy(KelvoIntegrationKind::photos,
//                                                         IntegrationAuthorization::denied());
//   const std::string button = copy.settingsActionTitle.value_or("");  // "Open Settings"

#include <optional>
#include <string>

#include "core/agenda/IntegrationAuthorization.hpp"
#include "core/agenda/KelvoIntegrationKind.hpp"

namespace kelvo {

struct IntegrationPermissionCopy {
  std::string headline;
  std::string body;
  /// The main button; none means no main button.
  std::optional<std::string> primaryActionTitle;
  /// The button that opens the application's page in the system settings.
  std::optional<std::string> settingsActionTitle;
  /// Whether the panel offers a way to do the same job by hand.
  bool hasFallback = false;
  /// Present exactly when `hasFallback` is true, in every copy the book gives.
  std::optional<std::string> fallbackTitle;

  /// Whether any of the three titles is present (`hasFallback` is not consulted).
  bool offersAWayForward() const {
    return primaryActionTitle || settingsActionTitle || fallbackTitle;
  }

  friend bool operator==(const IntegrationPermissionCopy&,
                         const IntegrationPermissionCopy&) = default;
};

/// The one place where the wording of integration panels is chosen.
struct IntegrationPermissionCopyBook {
  /// The copy for `kind` in `authorization`, localised. The system kinds ignore the reason of
  /// `unavailable`; the account kinds write it into the body as given.
  static IntegrationPermissionCopy copy(KelvoIntegrationKind kind,
                                        const IntegrationAuthorization& authorization);
};

}  // namespace kelvo
