#pragma once

// Which of a contact's facts start out selected (the first of each kind), the keep button's title,
// and the sentence on what keeping did:
//
//   const ContactSnapshot::LabeledValue phone{.id = "p1", .label = "work", .value = "555 0100"};
//   const ContactSnapshot ann{.id = "C1", .formattedName = "Ann Lee", .phoneNumbers = {phone}};
//   const auto selected = ContactKeepSummary::defaultSelection(ann.displayedFacts());
//   const auto button = ContactKeepSummary::buttonTitle(std::ssize(selected));  // "Keep 2 Facts"
//   const auto done = ContactKeepSummary::sentence(1, 1);  // one kept, one there already

#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>

#include "core/agenda/ContactFact.hpp"

namespace kelvo {

/// Which of a contact's facts start out selected, the keep button, and what keeping did.
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
