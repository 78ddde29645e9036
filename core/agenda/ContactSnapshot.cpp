#include "core/agenda/ContactSnapshot.hpp"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

constexpr std::string_view summaryClosing =
    "\n\n[This contact had more fields than a card can hold, so they stop here.]";

// The lines after the first of a multi-line value continue indented by four spaces.
std::string indentedValue(std::string_view value) {
  std::string result;
  for (const char c : text::trimmed(value)) {
    result += c;
    if (c == '\n') result += "    ";
  }
  return result;
}

}  // namespace

std::string ContactSnapshot::unnamedTitle() { return localized("Unnamed contact"); }

std::string ContactSnapshot::displayName() const {
  static const std::string none;
  for (const std::string* candidate :
       {formattedName ? &*formattedName : &none, &nickname, &organizationName}) {
    std::string name = text::trimmed(*candidate);
    if (!name.empty()) return name;
  }
  // Only the first entry of one list is consulted: e-mail only without any phone number.
  const auto& fallback = phoneNumbers.empty() ? emailAddresses : phoneNumbers;
  if (!fallback.empty()) {
    std::string name = text::trimmed(fallback.front().value);
    if (!name.empty()) return name;
  }
  return unnamedTitle();
}

bool ContactSnapshot::hasName() const {
  return !text::trimmed(formattedName.value_or("")).empty() || !text::trimmed(nickname).empty() ||
         !text::trimmed(organizationName).empty();
}

std::optional<std::string> ContactSnapshot::subtitle() const {
  const std::string name = displayName();
  std::vector<std::string> parts;
  for (const std::string* field : {&organizationName, &jobTitle}) {
    std::string part = text::trimmed(*field);
    if (!part.empty() && !text::canonicallyEqual(part, name)) parts.push_back(std::move(part));
  }
  if (parts.empty()) return std::nullopt;
  return text::joined(parts, " · ");
}

std::optional<std::string> ContactSnapshot::factsTruncationNotice(
    std::optional<std::int64_t> shown) const {
  const auto total = static_cast<std::int64_t>(facts().size());
  const std::int64_t count = shown.value_or(std::min(total, factDisplayLimit));
  if (count >= total) return std::nullopt;
  return localized(
      "    This contact has %lld fields Kelvo can keep. The first %lld     are shown; open it in "
      "Contacts to reach the rest.",
      total, count);
}

std::string ContactSnapshot::summaryPayload() const {
  std::vector<std::string> lines;
  if (auto line = subtitle()) lines.push_back(std::move(*line));
  struct Section {
    std::string_view title;
    const std::vector<LabeledValue>* values;
    std::optional<FactKind> kind;
  };
  const Section sections[] = {{"Phone", &phoneNumbers, FactKind::phone},
                              {"Email", &emailAddresses, FactKind::email},
                              {"Address", &postalAddresses, FactKind::address},
                              {"Web", &urlAddresses, std::nullopt}};
  for (const Section& section : sections) {
    bool opened = false;
    for (const LabeledValue& entry : *section.values) {
      if (text::trimmed(entry.value).empty()) continue;
      if (!opened) {
        lines.emplace_back();
        lines.emplace_back(section.title);
        opened = true;
      }
      const std::string label =
          factLabel(entry.label, section.kind).value_or(std::string(section.title));
      lines.push_back(label + ": " + indentedValue(entry.value));
    }
  }
  std::string summary = text::trimmed(text::joined(lines, "\n"));
  const auto limit = static_cast<std::size_t>(summaryLimit);
  if (summary.size() <= limit) return summary;
  std::string cut = text::prefix(summary, limit);
  if (cut.size() == summary.size()) return summary;
  return cut + std::string(summaryClosing);
}

std::string ContactSnapshot::accessibilityLabel() const {
  std::vector<std::string> parts{hasName() ? displayName() : "Contact with no name"};
  if (auto line = subtitle()) parts.push_back(std::move(*line));
  const std::size_t count = facts().size();
  parts.push_back(count == 1 ? "1 field to keep" : std::to_string(count) + " fields to keep");
  return text::joined(parts, ", ");
}

// The facts of a contact and the labels they carry.
namespace {

// Labels that say what they are on their own, compared lower-cased.
constexpr std::array<std::string_view, 10> selfDescribingLabels{
    "iphone",   "mobile",   "cell",      "main",  "fax",
    "home fax", "work fax", "other fax", "pager", "apple watch"};

bool firstScalarIs(std::string_view character, text::CharacterClass characterClass) {
  std::size_t offset = 0;
  return !character.empty() && text::isMember(nextScalar(character, offset), characterClass);
}

// Upper-cases the first character when it is lowercase, unless the second is uppercase
// ("iPhone" stays).
std::string capitalised(std::string_view label) {
  const auto characters = text::characters(label);
  if (characters.empty() || !firstScalarIs(characters[0], text::CharacterClass::lowercase)) {
    return std::string(label);
  }
  if (characters.size() > 1 && firstScalarIs(characters[1], text::CharacterClass::uppercase)) {
    return std::string(label);
  }
  return text::uppercased(characters[0]) + std::string(label.substr(characters[0].size()));
}

std::string cleanedLabel(const std::optional<std::string>& raw) {
  const auto limit = static_cast<std::size_t>(ContactSnapshot::labelLimit);
  std::string label = text::prefix(text::trimmed(raw.value_or("")), limit);
  std::replace(label.begin(), label.end(), '\n', ' ');
  // A CR LF pair is one character but two once its line feed is a space: cut again.
  return text::trimmed(text::prefix(label, limit));
}

bool isDescribedKind(FactKind kind) {
  return kind == FactKind::email || kind == FactKind::phone || kind == FactKind::address;
}

}  // namespace

std::optional<std::string> ContactSnapshot::factLabel(const std::optional<std::string>& raw,
                                                      std::optional<FactKind> kind) {
  const std::string label = cleanedLabel(raw);
  if (!kind || !isDescribedKind(*kind)) {
    if (!label.empty()) return capitalised(label);
    if (!kind) return std::nullopt;
    return kelvo::displayName(*kind);
  }
  if (label.empty()) return kelvo::displayName(*kind);
  const std::string_view word = rawValue(*kind);
  const std::string lowered = text::lowercased(label);
  if (lowered.find(word) != std::string::npos) return capitalised(label);
  if (std::find(selfDescribingLabels.begin(), selfDescribingLabels.end(), lowered) !=
      selfDescribingLabels.end()) {
    return capitalised(label);
  }
  const auto room =
      std::max<std::int64_t>(labelLimit - static_cast<std::int64_t>(word.size()) - 1, 1);
  return capitalised(text::prefix(label, static_cast<std::size_t>(room)) + " " + std::string(word));
}

std::vector<ContactFact> ContactSnapshot::facts() const {
  std::vector<ContactFact> result;
  // Values compare by canonical equivalence once lower-cased; the first spelling is kept.
  std::unordered_set<std::string, text::CanonicalHash, text::CanonicalEqual> keys;
  const auto add = [&](std::string factID, FactKind kind, const std::optional<std::string>& label,
                       std::string_view value) {
    auto fact = ContactFact::make(std::move(factID), kind, label, value);
    if (!fact) return;
    std::string key = std::string(rawValue(kind)) + "|" + text::lowercased(fact->value);
    if (keys.insert(std::move(key)).second) result.push_back(std::move(*fact));
  };
  const auto addAll = [&](const std::vector<LabeledValue>& values, std::string_view word,
                          std::optional<FactKind> labelKind, FactKind kind) {
    for (const LabeledValue& entry : values) {
      auto label = factLabel(entry.label, labelKind);
      if (!label) label = "Website";
      add(id + "-" + std::string(word) + "-" + entry.id, kind, label, entry.value);
    }
  };
  if (hasName()) add(id + "-name", FactKind::custom, "Name", displayName());
  add(id + "-company", FactKind::custom, "Company", organizationName);
  add(id + "-title", FactKind::custom, "Job title", jobTitle);
  addAll(emailAddresses, "email", FactKind::email, FactKind::email);
  addAll(phoneNumbers, "phone", FactKind::phone, FactKind::phone);
  addAll(postalAddresses, "address", FactKind::address, FactKind::address);
  addAll(urlAddresses, "url", std::nullopt, FactKind::custom);
  return result;
}

std::vector<ContactFact> ContactSnapshot::displayedFacts() const {
  std::vector<ContactFact> all = facts();
  if (all.size() > static_cast<std::size_t>(factDisplayLimit)) {
    all.resize(static_cast<std::size_t>(factDisplayLimit));
  }
  return all;
}

}  // namespace kelvo
