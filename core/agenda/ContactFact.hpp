#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "core/model/FactKind.hpp"

namespace kelvo {

/// One field of a contact proposed as a Fact card, with an identifier that stays the same
/// across reads of the address book.
struct ContactFact {
  /// The most characters a fact's value keeps.
  static constexpr std::size_t valueLimit = 20'000;

  std::string id;
  FactKind kind = FactKind::custom;
  std::string label;
  std::string value;

  /// A fact with the trimmed value (cut at `valueLimit` characters) and the trimmed label, or
  /// the kind's name for a blank label; none for a blank value.
  static std::optional<ContactFact> make(std::string id, FactKind kind,
                                         const std::optional<std::string>& label,
                                         std::string_view value);
  /// "<label> — <contact name>".
  std::string cardTitle(std::string_view contactName) const;

  friend bool operator==(const ContactFact&, const ContactFact&) = default;
};

}  // namespace kelvo
