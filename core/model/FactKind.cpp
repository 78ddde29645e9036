#include "core/model/FactKind.hpp"

#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string displayName(FactKind kind) {
  switch (kind) {
    case FactKind::email:
      return localized("Email");
    case FactKind::phone:
      return localized("Phone");
    case FactKind::address:
      return localized("Address");
    case FactKind::idNumber:
      return "ID number";
    case FactKind::iban:
      return localized("IBAN");
    case FactKind::licenseKey:
      return localized("License key");
    case FactKind::custom:
      return localized("Custom");
  }
  return localized("Custom");
}

KelvoIcon icon(FactKind kind) {
  switch (kind) {
    case FactKind::email:
      return KelvoIcon::factEmail;
    case FactKind::phone:
      return KelvoIcon::factPhone;
    case FactKind::address:
      return KelvoIcon::factAddress;
    case FactKind::idNumber:
      return KelvoIcon::factIDNumber;
    case FactKind::iban:
      return KelvoIcon::factIBAN;
    case FactKind::licenseKey:
      return KelvoIcon::factLicenseKey;
    case FactKind::custom:
      return KelvoIcon::factCustom;
  }
  return KelvoIcon::factCustom;
}

}  // namespace kelvo
