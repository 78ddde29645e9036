#pragma once

// The outside sources the integrations screen lists, which of them a platform shows, and how far
// each is from being usable:
//
//   std::vector<std::string> ready;  // on the Mac: "Calendar: Keep the meeting ..."
//   for (const KelvoIntegrationKind kind : allCases<KelvoIntegrationKind>())
//     if (isAvailable(kind, IntegrationPlatform::macOS) && readiness(kind).isTappable())
//       ready.push_back(title(kind) + ": " + tagline(kind));

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class KelvoIcon;

/// An integration, stored and identified by its raw value. Every list of kinds keeps this order.
enum class KelvoIntegrationKind : std::uint8_t {
  calendar,
  photos,
  contacts,
  reminders,
  slack,
  gmail,
  outlook,
  googleMeet,
};

template <>
struct RawValues<KelvoIntegrationKind> {
  static constexpr std::array<std::pair<KelvoIntegrationKind, std::string_view>, 8> table{{
      {KelvoIntegrationKind::calendar, "calendar"},
      {KelvoIntegrationKind::photos, "photos"},
      {KelvoIntegrationKind::contacts, "contacts"},
      {KelvoIntegrationKind::reminders, "reminders"},
      {KelvoIntegrationKind::slack, "slack"},
      {KelvoIntegrationKind::gmail, "gmail"},
      {KelvoIntegrationKind::outlook, "outlook"},
      {KelvoIntegrationKind::googleMeet, "googleMeet"},
  }};
};

/// The platform the catalogue is shown on.
enum class IntegrationPlatform : std::uint8_t { iOS, macOS };

template <>
struct RawValues<IntegrationPlatform> {
  static constexpr std::array<std::pair<IntegrationPlatform, std::string_view>, 2> table{{
      {IntegrationPlatform::iOS, "iOS"},
      {IntegrationPlatform::macOS, "macOS"},
  }};
};

/// The platform this program is built for: the core ships in the Mac build.
constexpr IntegrationPlatform currentIntegrationPlatform() { return IntegrationPlatform::macOS; }

/// How far an integration is from being usable.
struct IntegrationReadiness {
  /// Not usable yet; carries the row's label.
  struct ComingSoon {
    std::string label;
    friend bool operator==(const ComingSoon&, const ComingSoon&) = default;
  };
  /// Not usable here; carries the reason. No kind answers it: it is the host's to use.
  struct Unavailable {
    std::string reason;
    friend bool operator==(const Unavailable&, const Unavailable&) = default;
  };
  struct Ready {
    friend bool operator==(const Ready&, const Ready&) = default;
  };

  std::variant<ComingSoon, Unavailable, Ready> value;

  static IntegrationReadiness comingSoon(std::string label) {
    return {ComingSoon{std::move(label)}};
  }
  static IntegrationReadiness unavailable(std::string reason) {
    return {Unavailable{std::move(reason)}};
  }
  static IntegrationReadiness ready() { return {Ready{}}; }

  bool isTappable() const { return std::holds_alternative<Ready>(value); }

  friend bool operator==(const IntegrationReadiness&, const IntegrationReadiness&) = default;
};

/// The kind's identifier: its raw value.
inline std::string_view id(KelvoIntegrationKind kind) { return rawValue(kind); }
/// The kind's name and one line on what it keeps; both localised.
std::string title(KelvoIntegrationKind kind);
std::string tagline(KelvoIntegrationKind kind);
/// The icon of the same name as the kind.
KelvoIcon icon(KelvoIntegrationKind kind);
/// "integration-" and the raw value as written ("integration-googleMeet").
std::string accessibilityIdentifier(KelvoIntegrationKind kind);
/// Whether the user can grant access to a chosen subset: photos and contacts.
bool hasLimitedAccess(KelvoIntegrationKind kind);
/// Whether the source is reached through a sign-in rather than the device's own frameworks.
bool isAccountBased(KelvoIntegrationKind kind);
/// Calendar and photos are ready; every other kind is coming soon ("Coming soon", as written).
IntegrationReadiness readiness(KelvoIntegrationKind kind);
/// Whether the integrations screen lists the kind on `platform`. Independent of readiness.
bool isAvailable(KelvoIntegrationKind kind, IntegrationPlatform platform);

/// calendar, photos, contacts, reminders.
std::array<KelvoIntegrationKind, 4> systemFrameworkKinds();
/// slack, gmail, outlook, googleMeet.
std::array<KelvoIntegrationKind, 4> accountKinds();

}  // namespace kelvo
