#include "core/remote/RefusalReason.hpp"

#include "platform/foundation/Localized.hpp"

namespace kelvo::Remote {

std::string message(RefusalReason reason) {
  switch (reason) {
    case RefusalReason::wrongCode:
      return localized("That code doesn't match the one on the other device.");
    case RefusalReason::codeExpired:
      return localized("That code has expired. Ask the other device for a new one.");
    case RefusalReason::tooManyAttempts:
      return localized(
          "Too many wrong codes. The other device has stopped accepting them for a minute.");
    case RefusalReason::notPaired:
      return localized("This device isn't paired any more. Pair it again to carry on.");
    case RefusalReason::unsupportedVersion:
      return localized(
          "One of these devices is running an older Kelvo. Update both and try again.");
    case RefusalReason::hostBusy:
      return localized("The other device is already being controlled.");
    case RefusalReason::remoteControlOff:
      return localized("Remote control is switched off on the other device.");
  }
  return {};
}

}  // namespace kelvo::Remote
