#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>

#include "core/agenda/ContactFact.hpp"

namespace kelvo {

/// Which of a contact's facts start out selected, the keep button, and what keeping did.
///
///     auto selected = ContactKeepSummary::defaultSelection(contact.displayedFacts());
///     button.title = ContactKeepSummary::buttonTitle(std::ssize(selected));  // "Keep 4 Facts"
struct ContactKeepSummary {
  /// The identifiers of the first fact of each kind, and of each custom label (letter case
  /// counts; canonically equivalent spellings are one label).
  static std::set<std::string> defaultSelection(std::span<const ContactFact> facts);
  /// "Keep nothing selected", "Keep 1 Fact", "Keep n Facts".
  static std::string buttonTitle(std::int64_t selected);
  /// "Kept 3 Facts, 1 was already in Kelvo."; none when both counts are 0 or less.
  static std::optional<std::string> sentence(std::int64_t kept, std::int64_t duplicates);
};

}  // namespace kelvo
