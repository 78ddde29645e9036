#include "core/search/CompositeLexicon.hpp"

#include <algorithm>
#include <set>
#include <string>

namespace kelvo {

std::vector<TermVariant> CompositeLexicon::variants(std::string_view term,
                                                    std::int64_t limit) const {
  limit = std::max<std::int64_t>(limit, 0);
  std::vector<TermVariant> merged;
  std::set<std::string, std::less<>> seen;
  for (const auto& lexicon : lexicons_) {
    if (lexicon == nullptr) continue;
    for (TermVariant& variant : lexicon->variants(term, limit)) {
      if (variant.term == term || !seen.insert(variant.term).second) continue;
      merged.push_back(std::move(variant));
    }
  }
  std::stable_sort(merged.begin(), merged.end(), [](const TermVariant& a, const TermVariant& b) {
    return isStronger(a.relation, b.relation);
  });
  if (merged.size() > static_cast<std::uint64_t>(limit))
    merged.resize(static_cast<std::size_t>(limit));
  return merged;
}

void CompositeLexicon::prewarm() const {
  for (const auto& lexicon : lexicons_) {
    if (lexicon != nullptr) lexicon->prewarm();
  }
}

}  // namespace kelvo
