// The facts of a contact and the labels they carry.
#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/agenda/ContactSnapshot.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

// Labels that say what they are on their own, compared lower-cased.
constexpr std::array<std::string_view, 10> selfDescribingLabels{
    "iphone", "mobile", "cell", "main", "fax", "home fax", "work fax", "other fax", "pager",
    "apple watch"};

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
  const auto room = std::max<std::int64_t>(labelLimit - static_cast<std::int64_t>(word.size()) - 1, 1);
  return capitalised(text::prefix(label, static_cast<std::size_t>(room)) + " " +
                     std::string(word));
}

std::vector<ContactFact> ContactSnapshot::facts() const {
  std::vector<ContactFact> result;
  std::unordered_set<std::string> keys;
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
