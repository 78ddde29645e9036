#include "core/agenda/IntegrationAuthorization.hpp"

#include <array>

namespace kelvo {

bool IntegrationAuthorization::canRead() const {
  return std::holds_alternative<Authorized>(value) || std::holds_alternative<Limited>(value);
}

bool IntegrationAuthorization::offersSettings() const {
  return std::holds_alternative<Limited>(value) || std::holds_alternative<Denied>(value);
}

bool IntegrationAuthorization::isDecided() const {
  return !std::holds_alternative<NotDetermined>(value);
}

bool IntegrationAuthorization::isWorthAsking() const {
  return std::holds_alternative<NotDetermined>(value);
}

std::string_view IntegrationAuthorization::diagnosticName() const {
  // In the order of the variant's alternatives.
  static constexpr std::array<std::string_view, 6> names{
      "unavailable", "notDetermined", "authorized", "limited", "denied", "restricted"};
  return names[value.index() < names.size() ? value.index() : 0];
}

}  // namespace kelvo
