// Answering a query: look each term up, intersect the card sets starting from the smallest,
// score the survivors and keep the best `limit`.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "core/search/SearchIndex.hpp"
#include "core/search/SearchTokenizer.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

using Posting = SearchTermTable::Posting;
using Slot = SearchTermTable::Slot;
using TermID = SearchTermTable::TermID;

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

std::uint8_t hitOf(Posting posting, bool exact) {
  return static_cast<std::uint8_t>(SearchTermTable::fieldsOf(posting) | (exact ? exactBit : 0));
}

// The first position at or after `from` whose value is not below `key`, galloping forward:
// the keys come in ascending order, so each search starts where the last one ended.
template <class T>
std::size_t seek(std::span<const T> values, std::size_t from, T key) {
  std::size_t step = 1;
  std::size_t high = from;
  while (high < values.size() && values[high] < key) {
    from = high + 1;
    high += step;
    step *= 2;
  }
  high = std::min(high, values.size());
  return static_cast<std::size_t>(
      std::lower_bound(values.begin() + from, values.begin() + high, key) - values.begin());
}

// The cards of one query term, ascending by slot, with exactness per hit when `exact` is set
// and the same for all otherwise.
struct HitList {
  std::span<const Posting> postings;
  const std::uint8_t* exact = nullptr;
  bool allExact = true;
  std::size_t term = 0;  // position in the query

  std::uint8_t hitAt(std::size_t i) const {
    return hitOf(postings[i], exact != nullptr ? exact[i] != 0 : allExact);
  }
};

// The cards still in the running, ascending, with one hit byte per query term each.
struct Candidates {
  std::vector<Slot> slots;
  std::vector<std::uint8_t> hits;
  std::size_t width = 0;

  std::uint8_t* hitsOf(std::size_t c) { return &hits[c * width]; }

  // Moves candidate `from` to position `to` (not after it) while narrowing down.
  void move(std::size_t from, std::size_t to) {
    slots[to] = slots[from];
    if (to != from) std::memcpy(hitsOf(to), hitsOf(from), width);
  }
  void truncate(std::size_t count) {
    slots.resize(count);
    hits.resize(count * width);
  }
};

Candidates startFrom(const HitList& driver, std::size_t width) {
  Candidates candidates;
  candidates.width = width;
  candidates.slots.reserve(driver.postings.size());
  candidates.hits.assign(driver.postings.size() * width, 0);
  for (std::size_t i = 0; i < driver.postings.size(); ++i) {
    candidates.slots.push_back(SearchTermTable::slotOf(driver.postings[i]));
    candidates.hitsOf(i)[driver.term] = driver.hitAt(i);
  }
  return candidates;
}

// Keeps the candidates that `list` holds, noting its hit for each.
void narrow(Candidates& candidates, const HitList& list) {
  std::size_t kept = 0;
  std::size_t at = 0;
  for (std::size_t c = 0; c < candidates.slots.size(); ++c) {
    at = seek(list.postings, at, SearchTermTable::posting(candidates.slots[c], 0));
    if (at == list.postings.size()) break;
    if (SearchTermTable::slotOf(list.postings[at]) != candidates.slots[c]) continue;
    candidates.move(c, kept);
    candidates.hitsOf(kept)[list.term] = list.hitAt(at);
    ++kept;
  }
  candidates.truncate(kept);
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
  const std::size_t lastQueryTerm = queryTerms.size() - 1;

  // Every term but the last must be held whole. A repeated term is looked up once and
  // counted as often as it occurs, so a long query costs no more than its distinct words.
  std::vector<HitList> lists;
  std::vector<std::size_t> occurrences;  // per distinct term
  std::unordered_map<std::string_view, std::size_t> distinct;
  std::size_t smallestExact = SIZE_MAX;
  for (std::size_t i = 0; i < lastQueryTerm; ++i) {
    const auto [seen, isNew] = distinct.try_emplace(queryTerms[i], lists.size());
    if (!isNew) {
      ++occurrences[seen->second];
      continue;
    }
    const auto id = terms_.find(queryTerms[i]);
    if (!id) return {};
    lists.push_back(HitList{terms_.postings(*id), nullptr, true, lists.size()});
    occurrences.push_back(1);
    smallestExact = std::min(smallestExact, lists.back().postings.size());
  }
  // Hit bytes per candidate: one for each distinct whole term, then one for the last term.
  const std::size_t lastTerm = lists.size();
  const std::size_t hitWidth = lastTerm + 1;

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

  // Several words may begin with the last term. A short union of their lists is merged into
  // one list, which may then lead; a long one is either laid out as a table over all slots,
  // which the candidates are looked up in, or, when the candidates are few, each word's list
  // is matched against them.
  enum class PrefixPlan { list, table, probe } plan = PrefixPlan::list;
  if (prefixTerms.size() > 1 && lastTerm > 0 && prefixPostings >= smallestExact) {
    std::size_t probeCost = 0;
    for (const TermID id : prefixTerms) {
      probeCost += std::min(terms_.postings(id).size(), smallestExact);
    }
    plan = probeCost * 4 < prefixPostings ? PrefixPlan::probe : PrefixPlan::table;
  }
  std::vector<Posting> merged;
  std::vector<std::uint8_t> mergedExact;
  std::vector<std::uint8_t> table;
  if (prefixTerms.size() == 1) {
    const TermID id = prefixTerms.front();
    lists.push_back(HitList{terms_.postings(id), nullptr, isExact(id), lastTerm});
  } else if (plan == PrefixPlan::list) {
    mergePrefixHits(prefixTerms, last.size(), prefixPostings, merged, mergedExact);
    lists.push_back(HitList{merged, mergedExact.data(), false, lastTerm});
  } else if (plan == PrefixPlan::table) {
    table = prefixTable(prefixTerms, last.size());
  }

  // Candidates start from the smallest list and are narrowed by the others.
  std::sort(lists.begin(), lists.end(), [](const HitList& a, const HitList& b) {
    return a.postings.size() < b.postings.size();
  });
  Candidates candidates = startFrom(lists.front(), hitWidth);
  for (std::size_t l = 1; l < lists.size() && !candidates.slots.empty(); ++l) {
    narrow(candidates, lists[l]);
  }
  if (plan == PrefixPlan::table) {
    std::size_t kept = 0;
    for (std::size_t c = 0; c < candidates.slots.size(); ++c) {
      const std::uint8_t hit = table[candidates.slots[c]];
      if (hit == 0) continue;
      candidates.move(c, kept);
      candidates.hitsOf(kept++)[lastTerm] = hit & (exactBit | SearchTermTable::fieldMask);
    }
    candidates.truncate(kept);
  } else if (plan == PrefixPlan::probe) {
    const std::span<const Slot> slots = candidates.slots;
    for (const TermID id : prefixTerms) {
      const auto postings = terms_.postings(id);
      const bool exact = isExact(id);
      // Walk the shorter of the two lists, galloping through the longer.
      if (postings.size() < slots.size()) {
        std::size_t at = 0;
        for (const Posting posting : postings) {
          at = seek(slots, at, SearchTermTable::slotOf(posting));
          if (at == slots.size()) break;
          if (slots[at] == SearchTermTable::slotOf(posting)) {
            candidates.hitsOf(at)[lastTerm] |= hitOf(posting, exact);
          }
        }
      } else {
        std::size_t at = 0;
        for (std::size_t c = 0; c < slots.size(); ++c) {
          at = seek(postings, at, SearchTermTable::posting(slots[c], 0));
          if (at == postings.size()) break;
          if (SearchTermTable::slotOf(postings[at]) == slots[c]) {
            candidates.hitsOf(c)[lastTerm] |= hitOf(postings[at], exact);
          }
        }
      }
    }
    std::size_t kept = 0;
    for (std::size_t c = 0; c < candidates.slots.size(); ++c) {
      if (candidates.hitsOf(c)[lastTerm] != 0) candidates.move(c, kept++);
    }
    candidates.truncate(kept);
  }
  if (candidates.slots.empty()) return {};

  struct Scored {
    double score;
    Slot slot;
    std::uint8_t fields;
  };
  std::vector<Scored> scored;
  scored.reserve(candidates.slots.size());
  std::optional<Date> now;  // read once, when the first card with a last use needs it
  for (std::size_t c = 0; c < candidates.slots.size(); ++c) {
    const Slot slot = candidates.slots[c];
    if (!cards_[slot]) continue;
    // Whole terms weigh whole numbers, whose sum is exact in any order; the last term's part
    // comes last, as it does in the query.
    double textScore = 0;
    std::uint8_t fields = 0;
    const std::uint8_t* hits = candidates.hitsOf(c);
    for (std::size_t t = 0; t < lastTerm; ++t) {
      textScore +=
          static_cast<double>(occurrences[t]) * bestWeights[hits[t] & SearchTermTable::fieldMask];
      fields |= hits[t] & SearchTermTable::fieldMask;
    }
    const std::uint8_t lastHit = hits[lastTerm];
    const double exactness = (lastHit & exactBit) != 0 ? 1.0 : prefixExactness;
    textScore += exactness * bestWeights[lastHit & SearchTermTable::fieldMask];
    fields |= lastHit & SearchTermTable::fieldMask;
    const Boosts& boosts = boosts_[slot];
    double recencyBoost = 1.0;
    if (boosts.lastUsedAt) {
      if (!now) now = clock_->now();
      const double days = (*now - *boosts.lastUsedAt) / 86'400.0;
      recencyBoost = days >= 0 ? 1.0 + 0.3 * std::exp(-days / 14.0) : 1.3;
    }
    scored.push_back(Scored{textScore * boosts.use * recencyBoost, slot, fields});
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
    results.push_back(SearchResult{*cards_[scored[i].slot], scored[i].score, std::move(matched)});
  }
  return results;
}

// One byte per slot: for each card holding a word of `prefixTerms`, its fields, whether it
// holds the query term itself (a word of exactly `queryLength` bytes), and a presence bit.
std::vector<std::uint8_t> SearchIndex::prefixTable(std::span<const TermID> prefixTerms,
                                                   std::size_t queryLength) const {
  constexpr std::uint8_t present = 0x80;
  std::vector<std::uint8_t> table(cards_.size(), 0);
  for (const TermID id : prefixTerms) {
    const bool exact = terms_.text(id).size() == queryLength;
    for (const Posting posting : terms_.postings(id)) {
      table[SearchTermTable::slotOf(posting)] |= hitOf(posting, exact) | present;
    }
  }
  return table;
}

// Merges the lists of `prefixTerms` into one list of cards, each with the union of its fields
// and whether it holds a term of exactly `queryLength` bytes (the query term itself). A dense
// table serves when the lists are long, a sort when they are short.
void SearchIndex::mergePrefixHits(std::span<const TermID> prefixTerms, std::size_t queryLength,
                                  std::size_t total, std::vector<Posting>& merged,
                                  std::vector<std::uint8_t>& exact) const {
  merged.clear();
  exact.clear();
  merged.reserve(std::min(total, cards_.size()));
  exact.reserve(std::min(total, cards_.size()));
  const auto exactBitOf = [&](TermID id) {
    return terms_.text(id).size() == queryLength ? exactBit : std::uint8_t{0};
  };
  if (total * 16 >= cards_.size()) {
    const std::vector<std::uint8_t> table = prefixTable(prefixTerms, queryLength);
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
    const std::uint8_t exactness = exactBitOf(id);
    for (const Posting posting : terms_.postings(id)) {
      all.push_back(std::uint64_t{SearchTermTable::slotOf(posting)} << 8 | hitOf(posting, false) |
                    exactness);
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
