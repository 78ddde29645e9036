#include "core/search/internal/SearchPrefixWalk.hpp"

#include <algorithm>
#include <functional>

#include "core/search/SearchField.hpp"
#include "core/search/SearchTokenizer.hpp"
#include "core/search/internal/SearchBoostOrder.hpp"
#include "core/search/internal/SearchPrefixTable.hpp"
#include "core/search/internal/SearchQuery.hpp"

namespace kelvo::search_internal {
namespace {

// Room for rounding: boosts found by the walk and by the ranking may differ in the last bits.
constexpr double slack = 1 + 1e-12;

// A walk of fewer slots than this costs little either way.
constexpr std::size_t fewestSlots = 4'096;
// The term's own cards are visited whole when they are at most this share of the slots (and
// this many at least): then only a title holding a longer word, 6, bounds the cards left.
constexpr std::size_t wholeTermShare = 32;
constexpr std::size_t fewestWholeTerm = 4'096;
// A card whose texts pass this many bytes is looked up in the postings rather than split.
constexpr std::size_t longestTextsSplit = 4'096;

}  // namespace

SearchPrefixWalk::SearchPrefixWalk(const SearchIndexImpl& index, std::string_view prefix,
                                   std::span<const TermID> words, std::size_t postings)
    : index_(index), prefix_(prefix), words_(words), postings_(postings) {
  for (const TermID id : words_) {
    if (index_.terms().text(id).size() == prefix_.size()) exact_ = index_.terms().postings(id);
  }
  const std::size_t slots = index_.slotCount();
  termWhole_ =
      !exact_.empty() && exact_.size() <= std::max(fewestWholeTerm, slots / wholeTermShare);
}

// A visit costs about what scoring a thousand postings from a table does, so a walk is given
// up after a thousandth of the postings and slots the table would read.
std::size_t SearchPrefixWalk::visitBudget() const {
  return std::max<std::size_t>(256, (postings_ + index_.slotCount()) / 1'024);
}

// A walk is tried when it is expected to take half its budget at most. About one card in
// twelve of the slots a prefix's postings would fill holds it in its title, and `limit` of
// those settle the best; while the term itself may be held by cards not visited, only cards
// that also hold the term settle them.
bool SearchPrefixWalk::suits(std::uint64_t limit) const {
  const auto slots = static_cast<double>(index_.slotCount());
  const auto postings = static_cast<double>(postings_);
  if (slots < fewestSlots || postings * 8 < slots) return false;
  double expectedVisits = 12.0 * static_cast<double>(limit) * slots / postings;
  if (!exact_.empty() && !termWhole_) expectedVisits *= slots / static_cast<double>(exact_.size());
  return 2 * expectedVisits <= static_cast<double>(visitBudget());
}

// The term's postings are spread over the slots much as its cards are: the search starts where
// the slot's share of the slots puts it and gallops out from there, so that a term most cards
// hold is searched in a few reads rather than a binary search's many misses.
bool SearchPrefixWalk::holdsTerm(Slot slot) const {
  if (exact_.empty()) return false;
  const SearchTermTable::Posting key = SearchTermTable::posting(slot, 0);
  const std::size_t guess =
      static_cast<std::size_t>(static_cast<double>(slot) / static_cast<double>(index_.slotCount()) *
                               static_cast<double>(exact_.size() - 1));
  std::size_t low = guess;
  std::size_t high = guess + 1;
  for (std::size_t step = 1; low > 0 && exact_[low] >= key; step *= 2) {
    high = low + 1;
    low = low >= step ? low - step : 0;
  }
  for (std::size_t step = 1; high < exact_.size() && exact_[high - 1] < key; step *= 2) {
    low = high - 1;
    high = std::min(high + step, exact_.size());
  }
  const auto at = std::lower_bound(exact_.begin() + static_cast<std::ptrdiff_t>(low),
                                   exact_.begin() + static_cast<std::ptrdiff_t>(high), key);
  return at != exact_.end() && SearchTermTable::slotOf(*at) == slot;
}

bool SearchPrefixWalk::beginsAWordOf(std::string_view text) {
  bool found = false;
  SearchTokenizer::forEachTerm(text, memo_, [&](std::string_view term) {
    found = found || SearchQuery::beginsWith(term, prefix_);
  });
  return found;
}

double SearchPrefixWalk::limitth() const { return best_.size() < limit_ ? 0 : best_.front(); }

void SearchPrefixWalk::noteScore(double score) {
  if (best_.size() < limit_) {
    best_.push_back(score);
    std::push_heap(best_.begin(), best_.end(), std::greater<>());
  } else if (score > best_.front()) {
    std::pop_heap(best_.begin(), best_.end(), std::greater<>());
    best_.back() = score;
    std::push_heap(best_.begin(), best_.end(), std::greater<>());
  }
}

// The title (weight 10) and the fact label (8) are short: read them. A card holding the prefix
// in neither scores at most 5 and is kept with that bound, for `contenders`.
void SearchPrefixWalk::consider(Slot slot, double boost) {
  const double least = limitth();
  const double exactness = holdsTerm(slot) ? 1.0 : SearchQuery::prefixExactness;
  const auto canReach = [&](SearchField field) {
    return exactness * weight(field) * boost * slack >= least;
  };
  const auto keep = [&](double text, bool settled) {
    candidates_.push_back({slot, boost, text, settled});
    if (settled) noteScore(text * boost);
  };
  if (!canReach(SearchField::title)) return;
  const SearchableCard& card = *index_.card(slot);
  if (beginsAWordOf(card.title())) return keep(exactness * weight(SearchField::title), true);
  if (!canReach(SearchField::factLabel)) return;
  if (card.factLabel() && beginsAWordOf(*card.factLabel())) {
    return keep(exactness * weight(SearchField::factLabel), true);
  }
  if (canReach(SearchField::content)) keep(exactness * weight(SearchField::content), false);
}

std::optional<std::vector<SearchPrefixWalk::Scored>> SearchPrefixWalk::run(std::uint64_t limit,
                                                                           Date now) {
  limit_ = limit;
  now_ = now;
  const std::size_t budget = visitBudget();
  // The most any card not visited can score before its boost.
  const double textBound = weight(SearchField::title) *
                           (exact_.empty() || termWhole_ ? SearchQuery::prefixExactness : 1.0);
  SearchBoostOrder::Walk walk(index_.boostOrder(), index_.allBoosts(), now_);
  std::size_t visits = 0;
  Slot slot = 0;
  double boost = 0;
  // The first cards by boost, until `limit` scores are settled.
  std::vector<Slot> early;
  while (best_.size() < limit_ && walk.next(slot, boost)) {
    if (!index_.card(slot)) continue;
    if (++visits > budget) return std::nullopt;
    early.push_back(slot);
    consider(slot, boost);
  }
  if (termWhole_) considerTermsCards(early);
  while (best_.size() < limit_ || textBound * walk.bound() * slack >= limitth()) {
    if (!walk.next(slot, boost)) break;
    if (!index_.card(slot) || (termWhole_ && holdsTerm(slot))) continue;
    if (++visits > budget) return std::nullopt;
    consider(slot, boost);
  }
  return contenders();
}

// Every card holding the term itself that was not visited among the first: no card left
// then scores more than a title holding a longer word.
void SearchPrefixWalk::considerTermsCards(std::vector<Slot>& visited) {
  std::sort(visited.begin(), visited.end());
  constexpr std::size_t ahead = 16;
  for (std::size_t i = 0; i < exact_.size(); ++i) {
    // Cards far apart: their boosts and records are fetched ahead, so that misses overlap.
    if (i + ahead < exact_.size()) {
      const Slot later = SearchTermTable::slotOf(exact_[i + ahead]);
      __builtin_prefetch(&index_.boosts(later));
      __builtin_prefetch(&index_.card(later));
    }
    const Slot slot = SearchTermTable::slotOf(exact_[i]);
    if (!index_.card(slot) || std::binary_search(visited.begin(), visited.end(), slot)) continue;
    const SearchBoosts& boosts = index_.boosts(slot);
    consider(slot, boosts.use() * boosts.recency(now_));
  }
}

// The card's hit byte for the prefix: its texts split again, as the index split them, unless
// they are long; then its slot is looked up in each word's postings.
std::uint8_t SearchPrefixWalk::hitByte(Slot slot) {
  const SearchableCard& card = *index_.card(slot);
  std::size_t size = 0;
  SearchIndexImpl::forEachIndexedText(
      card, [&](std::string_view text, SearchField) { size += text.size(); });
  std::uint8_t hit = 0;
  if (size > longestTextsSplit) {
    SearchQuery::probe(index_.terms(), words_, prefix_.size(), std::span(&slot, 1), &hit, 1);
    return hit;
  }
  SearchIndexImpl::forEachIndexedText(card, [&](std::string_view text, SearchField field) {
    SearchTokenizer::forEachTerm(text, memo_, [&](std::string_view term) {
      if (!SearchQuery::beginsWith(term, prefix_)) return;
      hit |= static_cast<std::uint8_t>(1u << static_cast<unsigned>(field));
      if (term.size() == prefix_.size()) hit |= SearchPrefixTable::exactBit;
    });
  });
  return hit;
}

// The candidates that may be among the best, with their exact text scores and fields: cards
// kept with a bound are read where the bound could still rank, then every card that may rank
// (a settled title gives the score but not every field).
std::vector<SearchPrefixWalk::Scored> SearchPrefixWalk::contenders() {
  const double bounded = limitth();
  std::erase_if(candidates_, [&](const Candidate& candidate) {
    return !candidate.settled && candidate.text * candidate.boost * slack < bounded;
  });
  for (Candidate& candidate : candidates_) {
    if (candidate.settled) continue;
    candidate.hit = hitByte(candidate.slot);
    candidate.text = SearchQuery::lastTermScore(candidate.hit);
    candidate.settled = true;
    if (candidate.text > 0) noteScore(candidate.text * candidate.boost);
  }
  const double least = limitth() / (1 + 1e-6);
  std::vector<Scored> scored;
  for (Candidate& candidate : candidates_) {
    if (candidate.text == 0 || candidate.text * candidate.boost < least) continue;
    if (candidate.hit == 0) candidate.hit = hitByte(candidate.slot);
    scored.push_back(Scored{SearchQuery::lastTermScore(candidate.hit), candidate.slot,
                            static_cast<std::uint8_t>(candidate.hit & SearchTermTable::fieldMask)});
  }
  return scored;
}

}  // namespace kelvo::search_internal
