#include "core/agenda/IntegrationRead.hpp"

#include "platform/foundation/Localized.hpp"

namespace kelvo {

// The blanks in the system messages belong to the texts and to their catalogue keys.
std::string IntegrationRead::timedOutMessage(KelvoIntegrationKind kind) {
  switch (kind) {
    case KelvoIntegrationKind::calendar:
      return localized(
          "    Your calendar didn't answer in time. It may still be syncing —     try again in a "
          "moment.");
    case KelvoIntegrationKind::photos:
      return localized(
          "    Your photo library didn't answer in time. It may still be loading —     try again "
          "in a moment.");
    case KelvoIntegrationKind::contacts:
      return localized(
          "    Your contacts didn't answer in time. They may still be syncing —     try again in "
          "a moment.");
    case KelvoIntegrationKind::reminders:
      return localized(
          "    Your reminders didn't answer in time. They may still be syncing —     try again in "
          "a moment.");
    case KelvoIntegrationKind::slack:
    case KelvoIntegrationKind::gmail:
    case KelvoIntegrationKind::outlook:
    case KelvoIntegrationKind::googleMeet:
      break;
  }
  return localized("%@ didn't answer in time. Check your connection and try again.", title(kind));
}

}  // namespace kelvo
