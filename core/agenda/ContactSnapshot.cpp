#include "core/agenda/ContactSnapshot.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

constexpr std::string_view summaryClosing =
    "\n\n[This contact had more fields than a card can hold, so they stop here.]";

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string result;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += separator;
    result += parts[i];
  }
  return result;
}

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
    if (!part.empty() && part != name) parts.push_back(std::move(part));
  }
  if (parts.empty()) return std::nullopt;
  return joined(parts, " · ");
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
  std::string summary = text::trimmed(joined(lines, "\n"));
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
  return joined(parts, ", ");
}

}  // namespace kelvo
