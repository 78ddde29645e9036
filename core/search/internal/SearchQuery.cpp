#include "core/search/internal/SearchQuery.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/search/SearchField.hpp"
#include "core/search/internal/SearchPrefixTable.hpp"
#include "core/search/internal/SearchPrefixWalk.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::search_internal {
namespace {

using Posting = SearchTermTable::Posting;
using Slot = SearchTermTable::Slot;

// A hit byte: the fields of the card that matched (low six bits) and whether the card holds
// the query term itself rather than only longer words beginning with it.
constexpr std::uint8_t exactBit = SearchPrefixTable::exactBit;

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

double SearchQuery::lastTermScore(std::uint8_t hit) {
  if (hit == 0) return 0;
  const double exactness = (hit & exactBit) != 0 ? 1.0 : prefixExactness;
  return exactness * bestWeights[hit & SearchTermTable::fieldMask];
}

bool SearchQuery::beginsWith(std::string_view term, std::string_view query) {
  return term.starts_with(query) && endsOnCharacter(term, query);
}

// The cards of one query term, ascending by slot, with exactness per hit when `exact` is set
// and the same for all otherwise.
struct SearchQuery::HitList {
  std::span<const Posting> postings;
  const std::uint8_t* exact = nullptr;
  bool allExact = true;
  std::size_t term = 0;  // position in the query

  std::uint8_t hitAt(std::size_t i) const {
    return hitOf(postings[i], exact != nullptr ? exact[i] != 0 : allExact);
  }
};

// The cards still in the running, ascending, with one hit byte per query term each.
struct SearchQuery::Candidates {
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

namespace {

SearchQuery::Candidates startFrom(const SearchQuery::HitList& driver, std::size_t width) {
  SearchQuery::Candidates candidates;
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
void narrow(SearchQuery::Candidates& candidates, const SearchQuery::HitList& list) {
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

}  // namespace

SearchQuery::SearchQuery(const SearchIndexImpl& index, std::vector<std::string> queryTerms)
    : index_(index), terms_(index.terms()), queryTerms_(std::move(queryTerms)) {}

SearchQuery::~SearchQuery() = default;

std::vector<SearchResult> SearchQuery::run(std::uint64_t limit) {
  if (queryTerms_.empty() || limit == 0) return {};
  if (!lookUpWholeTerms() || !findPrefixTerms()) return {};
  if (lastTerm_ == 0) {
    // One prefix held by much of the library: its best cards are found by boost.
    SearchPrefixWalk walk(index_, queryTerms_.back(), prefixTerms_, prefixPostings_);
    if (walk.suits(limit)) {
      const Date now = index_.clock().now();
      if (auto contenders = walk.run(limit, now)) {
        return SearchRanking(index_).best(std::move(*contenders), limit, now);
      }
    }
  }
  planPrefixTerms();
  std::vector<Scored> scored;
  if (lists_.empty()) {
    scored = scoreTable(limit);
  } else {
    Candidates candidates = intersect();
    if (plan_ == PrefixPlan::table) keepTableHits(candidates);
    if (plan_ == PrefixPlan::probe) probePrefixTerms(candidates);
    scored = scoreText(candidates);
  }
  return SearchRanking(index_).best(std::move(scored), limit);
}

// Every term but the last must be held whole. A repeated term is looked up once and counted as
// often as it occurs, so a long query costs no more than its distinct words.
bool SearchQuery::lookUpWholeTerms() {
  const std::size_t lastQueryTerm = queryTerms_.size() - 1;
  std::unordered_map<std::string_view, std::size_t> distinct;
  for (std::size_t i = 0; i < lastQueryTerm; ++i) {
    const auto [seen, isNew] = distinct.try_emplace(queryTerms_[i], lists_.size());
    if (!isNew) {
      ++occurrences_[seen->second];
      continue;
    }
    const auto id = terms_.find(queryTerms_[i]);
    if (!id) return false;
    lists_.push_back(HitList{terms_.postings(*id), nullptr, true, lists_.size()});
    occurrences_.push_back(1);
    smallestExact_ = std::min(smallestExact_, lists_.back().postings.size());
  }
  // Hit bytes per candidate: one for each distinct whole term, then one for the last term.
  lastTerm_ = lists_.size();
  return true;
}

// The last term: every indexed term that begins with it. Those that begin with its bytes sit
// together in the sorted list; of them, only those that also begin with it character by
// character count ("क" does not begin "कि", whose first character is "कि").
bool SearchQuery::findPrefixTerms() {
  const std::string& last = queryTerms_.back();
  const auto [first, end] = terms_.prefixRange(last);
  prefixTerms_.reserve(end - first);
  for (std::size_t p = first; p < end; ++p) {
    const TermID id = terms_.sortedAt(p);
    if (!endsOnCharacter(terms_.text(id), last)) continue;
    prefixTerms_.push_back(id);
    prefixPostings_ += terms_.postings(id).size();
  }
  return !prefixTerms_.empty();
}

bool SearchQuery::isExact(TermID id) const {
  return terms_.text(id).size() == queryTerms_.back().size();
}

// Several words may begin with the last term. A short union of their lists is merged into one
// list, which may then lead; a long one is either laid out as a table over all slots, which the
// candidates are looked up in, or, when the candidates are few, each word's list is matched
// against them.
void SearchQuery::planPrefixTerms() {
  if (prefixTerms_.size() > 1 && lastTerm_ > 0 && prefixPostings_ >= smallestExact_) {
    std::size_t probeCost = 0;
    for (const TermID id : prefixTerms_) {
      probeCost += std::min(terms_.postings(id).size(), smallestExact_);
    }
    plan_ = probeCost * 4 < prefixPostings_ ? PrefixPlan::probe : PrefixPlan::table;
  }
  // Alone, many long lists are scored straight from their table.
  if (prefixTerms_.size() > 1 && lastTerm_ == 0 && prefixPostings_ * 16 >= index_.slotCount()) {
    plan_ = PrefixPlan::table;
  }
  if (prefixTerms_.size() == 1) {
    const TermID id = prefixTerms_.front();
    lists_.push_back(HitList{terms_.postings(id), nullptr, isExact(id), lastTerm_});
  } else if (plan_ == PrefixPlan::list) {
    mergePrefixHits();
    lists_.push_back(HitList{merged_, mergedExact_.data(), false, lastTerm_});
  } else if (plan_ == PrefixPlan::table) {
    table_ = prefixTable();
  }
}

// Candidates start from the smallest list and are narrowed by the others.
SearchQuery::Candidates SearchQuery::intersect() const {
  if (lists_.size() == 1) return startFrom(lists_.front(), lastTerm_ + 1);
  std::vector<const HitList*> bySize;
  bySize.reserve(lists_.size());
  for (const HitList& list : lists_) bySize.push_back(&list);
  std::stable_sort(bySize.begin(), bySize.end(), [](const HitList* a, const HitList* b) {
    return a->postings.size() < b->postings.size();
  });
  Candidates candidates = startFrom(*bySize.front(), lastTerm_ + 1);
  for (std::size_t l = 1; l < bySize.size() && !candidates.slots.empty(); ++l) {
    narrow(candidates, *bySize[l]);
  }
  return candidates;
}

void SearchQuery::keepTableHits(Candidates& candidates) const {
  std::size_t kept = 0;
  for (std::size_t c = 0; c < candidates.slots.size(); ++c) {
    const std::uint8_t hit = table_.at(candidates.slots[c]);
    if (hit == 0) continue;
    candidates.move(c, kept);
    candidates.hitsOf(kept++)[lastTerm_] = hit & (exactBit | SearchTermTable::fieldMask);
  }
  candidates.truncate(kept);
}

void SearchQuery::probe(const SearchTermTable& terms, std::span<const TermID> words,
                        std::size_t termSize, std::span<const Slot> slots, std::uint8_t* hits,
                        std::size_t stride) {
  for (const TermID id : words) {
    const auto postings = terms.postings(id);
    const bool exact = terms.text(id).size() == termSize;
    // Walk the shorter of the two lists, galloping through the longer.
    if (postings.size() < slots.size()) {
      std::size_t at = 0;
      for (const Posting posting : postings) {
        at = seek(slots, at, SearchTermTable::slotOf(posting));
        if (at == slots.size()) break;
        if (slots[at] == SearchTermTable::slotOf(posting))
          hits[at * stride] |= hitOf(posting, exact);
      }
    } else {
      std::size_t at = 0;
      for (std::size_t c = 0; c < slots.size(); ++c) {
        at = seek(postings, at, SearchTermTable::posting(slots[c], 0));
        if (at == postings.size()) break;
        if (SearchTermTable::slotOf(postings[at]) == slots[c]) {
          hits[c * stride] |= hitOf(postings[at], exact);
        }
      }
    }
  }
}

void SearchQuery::probePrefixTerms(Candidates& candidates) const {
  probe(terms_, prefixTerms_, queryTerms_.back().size(), candidates.slots,
        candidates.hits.data() + lastTerm_, candidates.width);
  std::size_t kept = 0;
  for (std::size_t c = 0; c < candidates.slots.size(); ++c) {
    if (candidates.hitsOf(c)[lastTerm_] != 0) candidates.move(c, kept++);
  }
  candidates.truncate(kept);
}

// How well each card's fields match the words, before its use and recency are counted. Cards
// that left are still among them: most never rank, so they are told apart only once fewer are
// left (see `keepThoseThatCanRank`).
std::vector<SearchQuery::Scored> SearchQuery::scoreText(Candidates& candidates) const {
  std::vector<Scored> scored(candidates.slots.size());
  for (std::size_t c = 0; c < candidates.slots.size(); ++c) {
    // Whole terms weigh whole numbers, whose sum is exact in any order; the last term's part
    // comes last, as it does in the query.
    double textScore = 0;
    std::uint8_t fields = 0;
    const std::uint8_t* hits = candidates.hitsOf(c);
    for (std::size_t t = 0; t < lastTerm_; ++t) {
      textScore +=
          static_cast<double>(occurrences_[t]) * bestWeights[hits[t] & SearchTermTable::fieldMask];
      fields |= hits[t] & SearchTermTable::fieldMask;
    }
    const std::uint8_t lastHit = hits[lastTerm_];
    const double exactness = (lastHit & exactBit) != 0 ? 1.0 : prefixExactness;
    textScore += exactness * bestWeights[lastHit & SearchTermTable::fieldMask];
    fields |= lastHit & SearchTermTable::fieldMask;
    scored[c] = Scored{textScore, candidates.slots[c], fields};
  }
  return scored;
}

// The last term alone, its words' cards laid out as a table: a card's text score follows from
// its byte, so the counts of the bytes give the limit-th best score before any card is listed,
// and only the cards that can rank are. When too many of those have left, all are listed.
std::vector<SearchQuery::Scored> SearchQuery::scoreTable(std::uint64_t limit) {
  std::array<double, 256> scoreOf{};
  for (unsigned hit = 1; hit < 256; ++hit)
    scoreOf[hit] = lastTermScore(static_cast<std::uint8_t>(hit));
  const std::array<std::size_t, 256> counts = table_.counts();
  std::array<std::uint8_t, 256> byScore{};
  std::iota(byScore.begin(), byScore.end(), std::uint8_t{0});
  std::stable_sort(byScore.begin(), byScore.end(),
                   [&](std::uint8_t a, std::uint8_t b) { return scoreOf[a] > scoreOf[b]; });
  double kth = 0;
  std::uint64_t reached = 0;
  for (const std::uint8_t hit : byScore) {
    reached += counts[hit];
    if (counts[hit] != 0 && reached >= limit) {
      kth = scoreOf[hit];
      break;
    }
  }
  const auto list = [&](double floor) {
    std::array<std::uint8_t, 256> listed{};
    std::size_t count = 0;
    for (unsigned hit = 1; hit < 256; ++hit) {
      listed[hit] = counts[hit] != 0 && scoreOf[hit] >= floor ? 1 : 0;
      count += listed[hit] * counts[hit];
    }
    const std::vector<Slot> slots = table_.list(listed, count);
    std::vector<Scored> scored(slots.size());
    for (std::size_t i = 0; i < slots.size(); ++i) {
      const std::uint8_t hit = table_.at(slots[i]);
      scored[i] = Scored{scoreOf[hit], slots[i],
                         static_cast<std::uint8_t>(hit & SearchTermTable::fieldMask)};
    }
    return scored;
  };
  std::vector<Scored> scored = list(kth / (SearchIndexImpl::greatestBoost * (1 + 1e-9)));
  if (kth > 0 && !SearchRanking(index_).holdAtLeast(scored, kth, limit)) scored = list(0);
  return scored;
}

SearchPrefixTable SearchQuery::prefixTable() const {
  return SearchPrefixTable(terms_, prefixTerms_, queryTerms_.back().size(), index_.slotCount());
}

// Merges the lists of the words that begin with the last term into one list of cards, each with
// the union of its fields and whether it holds the last term itself. A dense table serves when
// the lists are long, a sort when they are short.
void SearchQuery::mergePrefixHits() {
  const std::size_t total = prefixPostings_;
  const std::size_t slotCount = index_.slotCount();
  merged_.reserve(std::min(total, slotCount));
  mergedExact_.reserve(std::min(total, slotCount));
  if (total * 16 >= slotCount) {
    const SearchPrefixTable table = prefixTable();
    // Written whether or not the card is present, and kept when it is: no branch to mispredict.
    merged_.resize(std::min(total, slotCount) + 1);
    mergedExact_.resize(merged_.size());
    std::size_t count = 0;
    for (Slot slot = 0; slot < table.size() && count < merged_.size() - 1; ++slot) {
      const std::uint8_t hit = table.at(slot);
      merged_[count] = SearchTermTable::posting(slot, hit & SearchTermTable::fieldMask);
      mergedExact_[count] = hit & exactBit;
      count += hit != 0 ? 1 : 0;
    }
    merged_.resize(count);
    mergedExact_.resize(count);
    return;
  }
  std::vector<std::uint64_t> all;
  all.reserve(total);
  for (const TermID id : prefixTerms_) {
    const std::uint8_t exactness = isExact(id) ? exactBit : std::uint8_t{0};
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
    merged_.push_back(
        SearchTermTable::posting(static_cast<Slot>(slot), hit & SearchTermTable::fieldMask));
    mergedExact_.push_back(hit & exactBit);
  }
}

}  // namespace kelvo::search_internal
