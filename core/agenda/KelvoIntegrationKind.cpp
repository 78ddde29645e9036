#include "core/agenda/KelvoIntegrationKind.hpp"

#include <cstddef>

#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

using Kind = KelvoIntegrationKind;

struct Description {
  std::string_view title;
  std::string_view tagline;
  KelvoIcon icon;
  bool hasLimitedAccess;
  bool isAccountBased;
  bool isReady;
};

// In declaration order.
constexpr std::array<Description, 8> descriptions{{
    {"Calendar", "Keep the meeting you're about to walk into, with the notes and the people in it.",
     KelvoIcon::calendar, false, false, true},
    {"Photos",
     "Keep a screenshot or a photo. Kelvo reads the words in it, so you can find it by what it "
     "says.",
     KelvoIcon::photos, true, false, true},
    {"Contacts",
     "Keep your own address, phone and email as Facts, so a form fills itself instead of being "
     "retyped.",
     KelvoIcon::contacts, true, false, false},
    {"Reminders",
     "Keep a task from the Reminders app as a card — not Kelvo's own reminders, the ones in "
     "Reminders.",
     KelvoIcon::reminders, false, false, false},
    {"Slack", "Keep a message or a thread, with who said it and where.", KelvoIcon::slack, false,
     true, false},
    {"Gmail", "Keep a thread as a card. Kelvo reads its words, so you can find it by what it says.",
     KelvoIcon::gmail, false, true, false},
    {"Outlook", "Keep a mail or a thread from Outlook, the same way.", KelvoIcon::outlook, false,
     true, false},
    {"Google Meet", "Keep the joining details and the notes around a call.", KelvoIcon::googleMeet,
     false, true, false},
}};

const Description& describe(Kind kind) {
  const auto index = static_cast<std::size_t>(kind);
  // Only a value cast from outside the enumeration misses; it reads as an account kind.
  return descriptions[index < descriptions.size() ? index : static_cast<std::size_t>(Kind::slack)];
}

}  // namespace

std::string title(Kind kind) { return localized(describe(kind).title); }
std::string tagline(Kind kind) { return localized(describe(kind).tagline); }
KelvoIcon icon(Kind kind) { return describe(kind).icon; }
bool hasLimitedAccess(Kind kind) { return describe(kind).hasLimitedAccess; }
bool isAccountBased(Kind kind) { return describe(kind).isAccountBased; }

std::string accessibilityIdentifier(Kind kind) {
  return "integration-" + std::string(rawValue(kind));
}

IntegrationReadiness readiness(Kind kind) {
  return describe(kind).isReady ? IntegrationReadiness::ready()
                                : IntegrationReadiness::comingSoon("Coming soon");
}

bool isAvailable(Kind kind, IntegrationPlatform platform) {
  switch (kind) {
    case Kind::photos:
      return platform == IntegrationPlatform::iOS;
    case Kind::contacts:
    case Kind::reminders:
      return false;
    case Kind::calendar:
    case Kind::slack:
    case Kind::gmail:
    case Kind::outlook:
    case Kind::googleMeet:
      return true;
  }
  return false;
}

std::array<Kind, 4> systemFrameworkKinds() {
  return {Kind::calendar, Kind::photos, Kind::contacts, Kind::reminders};
}

std::array<Kind, 4> accountKinds() {
  return {Kind::slack, Kind::gmail, Kind::outlook, Kind::googleMeet};
}

}  // namespace kelvo
