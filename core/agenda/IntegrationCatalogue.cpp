#include "core/agenda/IntegrationCatalogue.hpp"

#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::vector<KelvoIntegrationKind> IntegrationCatalogue::available(IntegrationPlatform platform) {
  std::vector<KelvoIntegrationKind> kinds;
  for (const auto kind : allCases<KelvoIntegrationKind>()) {
    if (isAvailable(kind, platform)) kinds.push_back(kind);
  }
  return kinds;
}

// The runs of blanks belong to the texts and to their catalogue keys.
std::string IntegrationCatalogue::absentIntegrationsExplanation() {
  return localized(
      "    Everything Kelvo reads today is already on this device, and there is     nothing to "
      "sign in to: no Kelvo account, no Kelvo server, no token kept     anywhere. The rows "
      "marked Coming soon are the ones that will need a     sign-in, and none of them is "
      "connected yet — when one is, it will say     what it reads before it reads anything. "
      "Until then, to keep something     out of an app like those, copy it into Kelvo, or send "
      "the file to Kelvo     from that app's share sheet.");
}

std::string IntegrationCatalogue::filesExplanation() {
  return localized(
      "    Files and iCloud Drive need no row. Keep something new already opens the     document "
      "picker, which reaches every file provider on the device, and a     file dragged onto "
      "Kelvo or sent to it from another app's share sheet     lands the same way.");
}

}  // namespace kelvo
