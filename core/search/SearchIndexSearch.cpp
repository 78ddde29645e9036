// Answering a query: look each term up, intersect the card sets starting from the smallest,
// score the survivors and keep the best `limit`.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "core/search/SearchIndex.hpp"
#include "core/search/SearchTokenizer.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

using Posting = SearchTermTable::Posting;
using Slot = SearchTermTable::Slot;

// A hit byte: the fields of the card that matched (low six bits) and whether the card holds
// the query term itself rather than only longer words beginning with it.
constexpr std::uint8_t exactBit = 1u << 6;
constexpr double prefixExactness = 0.6;

// The greatest weight among the fields of each six-bit set: within one query term only the
// best field counts.
constexpr std::array<double, 64> bestWeights = [] {
  std::array<double, 64> table{};
  for (unsigned mask = 0; mask < 64; ++mask) {
    double best = 0;
    for (unsigned bit = 0; bit < 6; ++bit) {
      if ((mask >> bit & 1u) != 0) best = std::max(best, weight(static_cast<SearchField>(bit)));
    }
    table[mask] = mask == 0 ? 1.0 : best;
  }
  return table;
}();

// The cards of one query term, ascending by slot. Exactness comes per hit when `exact` is set,
// else it is the same for every hit.
struct HitList {
  std::span<const Posting> postings;
  const std::uint8_t* exact = nullptr;
  std::uint8_t allExact = exactBit;
  std::size_t term = 0;  // position in the query

  std::uint8_t hitAt(std::size_t i) const {
    const auto fields = static_cast<std::uint8_t>(SearchTermTable::fieldsOf(postings[i]));
    return fields | (exact != nullptr ? exact[i] : allExact);
  }
};

// Finds the first posting at or after `from` whose slot is not below `slot`, galloping
// forward: the candidates come in ascending order, so each search starts where the last ended.
std::size_t seek(std::span<const Posting> postings, std::size_t from, Slot slot) {
  const Posting key = SearchTermTable::posting(slot, 0);
  std::size_t step = 1;
  std::size_t high = from;
  while (high < postings.size() && postings[high] < key) {
    from = high + 1;
    high += step;
    step *= 2;
  }
  high = std::min(high, postings.size());
  return static_cast<std::size_t>(
      std::lower_bound(postings.begin() + static_cast<std::ptrdiff_t>(from),
                       postings.begin() + static_cast<std::ptrdiff_t>(high), key) -
      postings.begin());
}

// Whether `term`, which begins with the bytes of `query`, also begins with it character by
// character: the query must end on a character boundary of the term.
bool endsOnCharacter(std::string_view term, std::string_view query) {
  if (term.size() == query.size()) return true;
  const auto next = static_cast<unsigned char>(term[query.size()]);
  const auto last = static_cast<unsigned char>(query.back());
  if (next < 0x80 && last < 0x80) return true;
  return text::prefix(term, text::characterCount(query)) == query;
}

}  // namespace

std::vector<SearchResult> SearchIndex::search(std::string_view query, std::int64_t limit) const {
  if (limit <= 0) return {};
  const std::vector<std::string> queryTerms = tokenize(query);
  if (queryTerms.empty()) return {};
  const std::size_t termCount = queryTerms.size();

  std::vector<HitList> lists;
  lists.reserve(termCount);
  std::size_t smallestExact = SIZE_MAX;
  for (std::size_t i = 0; i + 1 < termCount; ++i) {
    const auto id = terms_.find(queryTerms[i]);
    if (!id) return {};
    lists.push_back(HitList{terms_.postings(*id), nullptr, exactBit, i});
    smallestExact = std::min(smallestExact, lists.back().postings.size());
  }

  // The last term: every indexed term that begins with it. Those that begin with its bytes
  // sit together in the sorted list; of them, only those that also begin with it character by
  // character count ("क" does not begin "कि", whose first character is "कि").
  const std::string& last = queryTerms.back();
  const auto [first, end] = terms_.prefixRange(last);
  std::vector<TermID> prefixTerms;
  prefixTerms.reserve(end - first);
  std::size_t prefixPostings = 0;
  for (std::size_t p = first; p < end; ++p) {
    const TermID id = terms_.sortedAt(p);
    if (!endsOnCharacter(terms_.text(id), last)) continue;
    prefixTerms.push_back(id);
    prefixPostings += terms_.postings(id).size();
  }
  if (prefixTerms.empty()) return {};
  const auto isExact = [this, &last](TermID id) { return terms_.text(id).size() == last.size(); };

  // With few candidates from the other terms, probing each prefix term's list per candidate
  // is cheaper than merging the lists of every word the prefix begins.
  const bool probePrefix = termCount > 1 && smallestExact * prefixTerms.size() * 8 < prefixPostings;
  std::vector<Posting> merged;
  std::vector<std::uint8_t> mergedExact;
  if (!probePrefix) {
    if (prefixTerms.size() == 1) {
      const TermID id = prefixTerms.front();
      lists.push_back(HitList{terms_.postings(id), nullptr,
                              isExact(id) ? exactBit : std::uint8_t{0}, termCount - 1});
    } else {
      mergePrefixHits(prefixTerms, last.size(), prefixPostings, merged, mergedExact);
      lists.push_back(HitList{merged, mergedExact.data(), 0, termCount - 1});
    }
  }

  // Candidates start from the smallest list and are narrowed by the others.
  std::sort(lists.begin(), lists.end(), [](const HitList& a, const HitList& b) {
    return a.postings.size() < b.postings.size();
  });
  std::vector<Slot> candidates;
  std::vector<std::uint8_t> hits;  // termCount bytes per candidate
  {
    const HitList& driver = lists.front();
    candidates.reserve(driver.postings.size());
    hits.assign(driver.postings.size() * termCount, 0);
    for (std::size_t i = 0; i < driver.postings.size(); ++i) {
      candidates.push_back(SearchTermTable::slotOf(driver.postings[i]));
      hits[i * termCount + driver.term] = driver.hitAt(i);
    }
  }
  for (std::size_t l = 1; l < lists.size() && !candidates.empty(); ++l) {
    const HitList& list = lists[l];
    std::size_t kept = 0;
    std::size_t at = 0;
    for (std::size_t c = 0; c < candidates.size(); ++c) {
      at = seek(list.postings, at, candidates[c]);
      if (at == list.postings.size()) break;
      if (SearchTermTable::slotOf(list.postings[at]) != candidates[c]) continue;
      candidates[kept] = candidates[c];
      std::memmove(&hits[kept * termCount], &hits[c * termCount], termCount);
      hits[kept * termCount + list.term] = list.hitAt(at);
      ++kept;
    }
    candidates.resize(kept);
  }
  if (probePrefix) {
    std::size_t kept = 0;
    for (std::size_t c = 0; c < candidates.size(); ++c) {
      std::uint8_t hit = 0;
      for (const TermID id : prefixTerms) {
        const auto postings = terms_.postings(id);
        const auto at = seek(postings, 0, candidates[c]);
        if (at == postings.size() || SearchTermTable::slotOf(postings[at]) != candidates[c]) {
          continue;
        }
        hit |= static_cast<std::uint8_t>(SearchTermTable::fieldsOf(postings[at]));
        if (isExact(id)) hit |= exactBit;
      }
      if (hit == 0) continue;
      candidates[kept] = candidates[c];
      std::memmove(&hits[kept * termCount], &hits[c * termCount], termCount);
      hits[kept * termCount + termCount - 1] = hit;
      ++kept;
    }
    candidates.resize(kept);
  }
  if (candidates.empty()) return {};

  struct Scored {
    double score;
    Slot slot;
    std::uint8_t fields;
  };
  std::vector<Scored> scored;
  scored.reserve(candidates.size());
  std::optional<Date> now;  // read once, when the first card with a last use needs it
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    const Entry& entry = entries_[candidates[c]];
    if (!entry.card) continue;
    const SearchableCard& card = *entry.card;
    double textScore = 0;
    std::uint8_t fields = 0;
    for (std::size_t t = 0; t < termCount; ++t) {
      const std::uint8_t hit = hits[c * termCount + t];
      const double exactness = (hit & exactBit) != 0 ? 1.0 : prefixExactness;
      textScore += exactness * bestWeights[hit & SearchTermTable::fieldMask];
      fields |= hit & SearchTermTable::fieldMask;
    }
    // A negative count is damage, not a record of use: it counts as no use.
    const double uses = static_cast<double>(std::max<std::int64_t>(card.useCount(), 0));
    const double useBoost = 1.0 + std::min(uses / 50.0, 0.5);
    double recencyBoost = 1.0;
    if (card.lastUsedAt()) {
      if (!now) now = clock_->now();
      const double days = (*now - *card.lastUsedAt()) / 86'400.0;
      recencyBoost = days >= 0 ? 1.0 + 0.3 * std::exp(-days / 14.0) : 1.3;
    }
    scored.push_back(Scored{textScore * useBoost * recencyBoost, candidates[c], fields});
  }

  const auto better = [this](const Scored& a, const Scored& b) {
    if (a.score != b.score) return a.score > b.score;
    const int order = orderTitle(a.slot).compare(orderTitle(b.slot));
    if (order != 0) return order < 0;
    return a.slot < b.slot;
  };
  const std::size_t count = std::min<std::size_t>(scored.size(), static_cast<std::uint64_t>(limit));
  std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(count),
                    scored.end(), better);

  std::vector<SearchResult> results;
  results.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    SearchFields matched;
    for (unsigned bit = 0; bit < 6; ++bit) {
      if ((scored[i].fields >> bit & 1u) != 0) matched.insert(static_cast<SearchField>(bit));
    }
    results.push_back(
        SearchResult{*entries_[scored[i].slot].card, scored[i].score, std::move(matched)});
  }
  return results;
}

// Merges the lists of `prefixTerms` into one list of cards, each with the union of its fields
// and whether it holds a term of exactly `queryLength` bytes (the query term itself). A dense
// table serves when the lists are long, a sort when they are short.
void SearchIndex::mergePrefixHits(std::span<const TermID> prefixTerms, std::size_t queryLength,
                                  std::size_t total, std::vector<Posting>& merged,
                                  std::vector<std::uint8_t>& exact) const {
  merged.clear();
  exact.clear();
  constexpr std::uint8_t present = 0x80;
  if (total * 16 >= entries_.size()) {
    std::vector<std::uint8_t> table(entries_.size(), 0);
    for (const TermID id : prefixTerms) {
      const std::uint8_t exactness = terms_.text(id).size() == queryLength ? exactBit : 0;
      for (const Posting posting : terms_.postings(id)) {
        table[SearchTermTable::slotOf(posting)] |=
            static_cast<std::uint8_t>(present | exactness | SearchTermTable::fieldsOf(posting));
      }
    }
    merged.reserve(std::min(total, entries_.size()));
    for (Slot slot = 0; slot < table.size(); ++slot) {
      const std::uint8_t hit = table[slot];
      if (hit == 0) continue;
      merged.push_back(SearchTermTable::posting(slot, hit & SearchTermTable::fieldMask));
      exact.push_back(hit & exactBit);
    }
    return;
  }
  std::vector<std::uint64_t> all;
  all.reserve(total);
  for (const TermID id : prefixTerms) {
    const std::uint64_t exactness = terms_.text(id).size() == queryLength ? exactBit : 0;
    for (const Posting posting : terms_.postings(id)) {
      all.push_back(std::uint64_t{SearchTermTable::slotOf(posting)} << 8 | exactness |
                    SearchTermTable::fieldsOf(posting));
    }
  }
  std::sort(all.begin(), all.end());
  for (std::size_t i = 0; i < all.size();) {
    const std::uint64_t slot = all[i] >> 8;
    std::uint8_t hit = 0;
    for (; i < all.size() && (all[i] >> 8) == slot; ++i) hit |= static_cast<std::uint8_t>(all[i]);
    merged.push_back(
        SearchTermTable::posting(static_cast<Slot>(slot), hit & SearchTermTable::fieldMask));
    exact.push_back(hit & exactBit);
  }
}

}  // namespace kelvo
