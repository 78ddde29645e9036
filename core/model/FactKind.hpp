#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class KelvoIcon;

/// The kind of value a fact card holds, stored by raw value in the card's "factKindRaw".
enum class FactKind : std::uint8_t { email, phone, address, idNumber, iban, licenseKey, custom };

template <>
struct RawValues<FactKind> {
  static constexpr std::array<std::pair<FactKind, std::string_view>, 7> table{{
      {FactKind::email, "email"},
      {FactKind::phone, "phone"},
      {FactKind::address, "address"},
      {FactKind::idNumber, "idNumber"},
      {FactKind::iban, "iban"},
      {FactKind::licenseKey, "licenseKey"},
      {FactKind::custom, "custom"},
  }};
};

/// The kind's name; localised, except "ID number", which reads the same in every locale.
std::string displayName(FactKind kind);
KelvoIcon icon(FactKind kind);

}  // namespace kelvo
