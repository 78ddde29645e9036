#include "core/agenda/ContactKeepSummary.hpp"

#include <unordered_set>
#include <vector>

#include "platform/foundation/Text.hpp"

namespace kelvo {

std::set<std::string> ContactKeepSummary::defaultSelection(std::span<const ContactFact> facts) {
  std::set<std::string> selected;
  // Labels keep their letter case but compare by canonical equivalence.
  std::unordered_set<std::string, text::CanonicalHash, text::CanonicalEqual> seen;
  for (const ContactFact& fact : facts) {
    std::string key =
        fact.kind == FactKind::custom ? "custom:" + fact.label : std::string(rawValue(fact.kind));
    if (seen.insert(std::move(key)).second) selected.insert(fact.id);
  }
  return selected;
}

std::string ContactKeepSummary::buttonTitle(std::int64_t selected) {
  if (selected == 0) return "Keep nothing selected";
  if (selected == 1) return "Keep 1 Fact";
  return "Keep " + std::to_string(selected) + " Facts";
}

std::optional<std::string> ContactKeepSummary::sentence(std::int64_t kept,
                                                        std::int64_t duplicates) {
  std::vector<std::string> parts;
  if (kept > 0)
    parts.push_back(kept == 1 ? "Kept 1 Fact" : "Kept " + std::to_string(kept) + " Facts");
  if (duplicates > 0) {
    parts.push_back(duplicates == 1 ? "1 was already in Kelvo"
                                    : std::to_string(duplicates) + " were already in Kelvo");
  }
  if (parts.empty()) return std::nullopt;
  return text::joined(parts, ", ") + ".";
}

}  // namespace kelvo
