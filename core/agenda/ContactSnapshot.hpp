#pragma once

// The value copy of one address-book contact, made by the host from named fields, and the facts,
// names and summary the contacts screen shows of it:
//
//   const ContactSnapshot::LabeledValue phone{.id = "p1", .label = "work", .value = "555 0100"};
//   const ContactSnapshot ann{.id = "C1", .formattedName = "Ann Lee", .phoneNumbers = {phone}};
//   const std::vector<ContactFact> facts = ann.facts();  // "Name" and "Work phone"
//   const std::string title = facts.back().cardTitle(ann.displayName());  // "Work phone — Ann Lee"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/agenda/ContactFact.hpp"
#include "core/model/FactKind.hpp"

namespace kelvo {

/// The value copy of one address-book contact, and the facts, names and summary the contacts
/// screen shows of it. Made from named fields; nothing is cached, so each derived value works
/// from the fields afresh.
struct ContactSnapshot {
  /// One labelled field: a phone number, an e-mail address, a postal or a web address.
  struct LabeledValue {
    std::string id;
    std::optional<std::string> label{};
    std::string value;
    friend bool operator==(const LabeledValue&, const LabeledValue&) = default;
  };

  static constexpr std::int64_t factDisplayLimit = 24;
  static constexpr std::int64_t labelLimit = 40;
  static constexpr std::int64_t summaryLimit = 19'800;
  /// The name of a contact with nothing to name it by; localised.
  static std::string unnamedTitle();

  std::string id;
  std::optional<std::string> formattedName{};
  std::string nickname{};
  std::string organizationName{};
  std::string jobTitle{};
  std::vector<LabeledValue> phoneNumbers{};
  std::vector<LabeledValue> emailAddresses{};
  std::vector<LabeledValue> postalAddresses{};
  std::vector<LabeledValue> urlAddresses{};

  /// The formatted name, nickname or company; else the first phone number, or the first e-mail
  /// address when there is no phone number; else "Unnamed contact".
  std::string displayName() const;
  /// Whether the formatted name, nickname or company is not blank.
  bool hasName() const;
  /// Company and job title joined with " · ", each left out when blank or the display name
  /// (letter case counts; canonically equivalent spellings are the same).
  std::optional<std::string> subtitle() const;
  /// Name, company, job title, e-mail addresses, phone numbers, postal and web addresses, each
  /// value once per kind (ignoring case, canonically equivalent spellings alike).
  std::vector<ContactFact> facts() const;
  /// The first `factDisplayLimit` facts.
  std::vector<ContactFact> displayedFacts() const;
  /// The note under a list showing `shown` facts (by default as many as are displayed).
  std::optional<std::string> factsTruncationNotice(
      std::optional<std::int64_t> shown = std::nullopt) const;
  /// The whole contact as the text of one card: the subtitle, then sections of phone numbers,
  /// e-mail, postal and web addresses; cut at `summaryLimit` characters with a closing note.
  std::string summaryPayload() const;
  /// Name, subtitle and how many fields there are to keep, joined with ", ".
  std::string accessibilityLabel() const;

  /// A field's label for a fact: cleaned, cut to `labelLimit` characters, capitalised, with the
  /// kind's word added when the label does not describe it ("work" on a phone: "Work phone").
  /// None only for a blank label without a kind.
  static std::optional<std::string> factLabel(const std::optional<std::string>& raw,
                                              std::optional<FactKind> kind);

  friend bool operator==(const ContactSnapshot&, const ContactSnapshot&) = default;
};

}  // namespace kelvo
