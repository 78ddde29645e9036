#include "core/search/SemanticSearch.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/search/internal/SearchIDBuckets.hpp"
#include "platform/foundation/TextCompare.hpp"

namespace kelvo {
namespace {

// Identifiers are random or at least spread, so folding their two halves is hash enough.
struct IDHash {
  std::size_t operator()(const UUID& id) const noexcept {
    std::uint64_t halves[2];
    std::memcpy(halves, id.bytes().data(), sizeof halves);
    return static_cast<std::size_t>((halves[0] ^ (halves[1] * 0x9E3779B97F4A7C15ULL)) *
                                    0xBF58476D1CE4E5B9ULL);
  }
};

// Fields as a bit set while a call runs: merging them stays cheap.
using FieldBits = std::uint8_t;

FieldBits bitsOf(const SearchFields& fields) {
  FieldBits bits = 0;
  for (const SearchField field : fields)
    bits |= static_cast<FieldBits>(1u << static_cast<unsigned>(field));
  return bits;
}

SearchFields fieldsOf(FieldBits bits) {
  SearchFields fields;
  for (const SearchField field : allCases<SearchField>()) {
    if ((bits & (1u << static_cast<unsigned>(field))) != 0) fields.insert(field);
  }
  return fields;
}

// The best way one card covers one query term. The matched term points into the call's terms
// and variants, which outlive it; none means the card does not cover the term.
struct Coverage {
  double score = 0;
  TermRelation relation = TermRelation::exact;
  const std::string* matchedTerm = nullptr;
  FieldBits fields = 0;
};
// By the number the call gave the card; cards past the end do not cover the term.
using Coverages = std::vector<Coverage>;

// A weaker relation never replaces a stronger one; among equals the first best score stays.
void keep(Coverages& coverages, std::uint32_t card, const Coverage& coverage) {
  if (card >= coverages.size()) coverages.resize(card + 1);
  Coverage& held = coverages[card];
  if (held.matchedTerm == nullptr || isStronger(coverage.relation, held.relation) ||
      (coverage.relation == held.relation && coverage.score > held.score)) {
    held = coverage;
  }
}

bool covers(const Coverages& coverages, std::uint32_t card) {
  return card < coverages.size() && coverages[card].matchedTerm != nullptr;
}

// The cards one call meets, numbered in the order met, so that what the call learns of each
// sits in flat arrays.
class CardNumbers {
 public:
  std::uint32_t numberOf(const UUID& id) {
    const std::size_t hash = IDHash{}(id);
    if (const auto found = find(id, hash)) return *found;
    const auto number = static_cast<std::uint32_t>(ids_.size());
    ids_.push_back(id);
    buckets_.insert(hash, number, [this](std::uint32_t other) { return IDHash{}(ids_[other]); });
    return number;
  }
  std::optional<std::uint32_t> find(const UUID& id) const { return find(id, IDHash{}(id)); }
  std::size_t size() const { return ids_.size(); }

 private:
  std::optional<std::uint32_t> find(const UUID& id, std::size_t hash) const {
    return buckets_.find(hash, [&](std::uint32_t number) { return ids_[number] == id; });
  }

  std::vector<UUID> ids_;
  search_internal::SearchIDBuckets buckets_;
};

std::vector<SemanticSearchResult> literalAnswer(const std::vector<SearchResult>& literal) {
  std::vector<SemanticSearchResult> answer;
  answer.reserve(literal.size());
  for (const SearchResult& result : literal) {
    answer.push_back(
        SemanticSearchResult{result.card, result.score, result.score, 0, result.matchedFields, {}});
  }
  return answer;
}

// Higher score first; a score that is not a number last; equal scores by title as people sort.
bool ranksBefore(const SemanticSearchResult& a, const SemanticSearchResult& b) {
  const bool aIsNumber = !std::isnan(a.score);
  const bool bIsNumber = !std::isnan(b.score);
  if (aIsNumber != bIsNumber) return aIsNumber;
  if (aIsNumber && a.score != b.score) return a.score > b.score;
  return text::localizedCompare(a.card.title(), b.card.title()) < 0;
}

// What the call has seen of one card: its record as last returned, and every field any word
// matched in it.
struct CardSeen {
  const SearchableCard* card = nullptr;
  FieldBits fields = 0;
};

// The results of one word search, with the number of each result's card.
struct WordHits {
  std::vector<SearchResult> results;
  std::vector<std::uint32_t> cards;
};

// The working state of one call, dropped when it returns. A step that must give the widening
// up answers nothing, and the caller falls back to the literal answer.
class Expansion {
 public:
  Expansion(const SemanticSearch::Options& options, const Clock& clock, const SearchIndex& index,
            TimeInterval start)
      : options_(options),
        clock_(clock),
        index_(index),
        start_(start),
        queriesLeft_(options.maxIndexQueries) {}

  // The single term's own hits are the literal results: it is never searched again.
  void seedWithLiteral(const std::string& term, const std::vector<SearchResult>& literal) {
    note(hitsByWord_.emplace(term, WordHits{literal, {}}).first->second);
  }

  // The coverage of every card for `term`, through itself and its variants; none when the
  // widening has to be given up.
  std::optional<Coverages> cover(const std::string& term,
                                 const std::vector<TermVariant>& variants) {
    Coverages coverages;
    const WordHits* own = hitsOf(term);
    if (own == nullptr) return std::nullopt;
    add(coverages, *own, term, TermRelation::exact);
    for (const TermVariant& variant : variants) {
      const WordHits* hits = hitsOf(variant.term);
      if (hits == nullptr) return std::nullopt;
      add(coverages, *hits, variant.term, variant.relation);
    }
    return coverages;
  }

  const CardNumbers& cards() const { return cards_; }
  // A card's latest record and the fields of every hit of it, for any word.
  const CardSeen& seen(std::uint32_t card) const { return seen_[card]; }

 private:
  static void add(Coverages& coverages, const WordHits& hits, const std::string& word,
                  TermRelation relation) {
    for (std::size_t i = 0; i < hits.results.size(); ++i) {
      const SearchResult& hit = hits.results[i];
      keep(coverages, hits.cards[i],
           Coverage{hit.score * strength(relation), relation, &word, bitsOf(hit.matchedFields)});
    }
  }

  // Numbers the cards of a word's hits, in the order the words were searched: a later copy of
  // a card replaces an earlier.
  void note(WordHits& hits) {
    hits.cards.reserve(hits.results.size());
    for (const SearchResult& hit : hits.results) {
      const std::uint32_t card = cards_.numberOf(hit.id());
      if (card >= seen_.size()) seen_.resize(card + 1);
      seen_[card].card = &hit.card;
      seen_[card].fields |= bitsOf(hit.matchedFields);
      hits.cards.push_back(card);
    }
  }

  // The hits of one word, searched at most once per call; null when the allowance is spent or
  // the search is predicted to end past the budget.
  const WordHits* hitsOf(const std::string& word) {
    if (const auto cached = hitsByWord_.find(word); cached != hitsByWord_.end()) {
      return &cached->second;
    }
    if (queriesLeft_ <= 0) return nullptr;
    if (clock_.continuousNow() - start_ + slowest_ >= options_.expansionBudget) return nullptr;
    const TimeInterval queryStart = clock_.continuousNow();
    std::vector<SearchResult> found = index_.search(word, options_.limit);
    --queriesLeft_;
    slowest_ = std::max(slowest_, clock_.continuousNow() - queryStart);
    WordHits& hits = hitsByWord_.emplace(word, WordHits{std::move(found), {}}).first->second;
    note(hits);
    return &hits;
  }

  const SemanticSearch::Options& options_;
  const Clock& clock_;
  const SearchIndex& index_;
  const TimeInterval start_;
  std::int64_t queriesLeft_;
  TimeInterval slowest_ = 0;
  // Node-based: the results keep their addresses while more words are added.
  std::unordered_map<std::string, WordHits> hitsByWord_;
  CardNumbers cards_;
  std::vector<CardSeen> seen_;  // by card number
};

// The tokens at their first occurrence, in order.
std::vector<std::string> distinctTerms(std::string_view query) {
  std::vector<std::string> terms;
  std::unordered_set<std::string> seen;
  for (std::string& token : SearchIndex::tokenize(query)) {
    if (seen.insert(token).second) terms.push_back(std::move(token));
  }
  return terms;
}

// The cards that cover every term, in the order they were first met.
std::vector<std::uint32_t> candidates(const std::vector<Coverages>& coverageByTerm) {
  std::vector<std::uint32_t> cards;
  const Coverages& first = coverageByTerm.front();
  for (std::uint32_t card = 0; card < first.size(); ++card) {
    const bool coversAll =
        std::all_of(coverageByTerm.begin(), coverageByTerm.end(),
                    [card](const Coverages& coverages) { return covers(coverages, card); });
    if (coversAll) cards.push_back(card);
  }
  return cards;
}

// One result per card covering every term, ordered by score, then title.
std::vector<SemanticSearchResult> rank(const std::vector<std::string>& terms,
                                       const std::vector<Coverages>& coverageByTerm,
                                       const Expansion& expansion,
                                       const std::vector<SearchResult>& literal,
                                       const SemanticSearch::Options& options) {
  std::vector<const SearchResult*> literalByCard(expansion.cards().size(), nullptr);
  for (const SearchResult& result : literal) {
    const auto card = expansion.cards().find(result.id());
    if (card && literalByCard[*card] == nullptr) literalByCard[*card] = &result;
  }
  std::vector<SemanticSearchResult> results;
  for (const std::uint32_t card : candidates(coverageByTerm)) {
    const SearchResult* literalResult = literalByCard[card];
    const CardSeen& seen = expansion.seen(card);
    if (seen.card == nullptr && literalResult == nullptr) continue;
    SemanticSearchResult result{seen.card != nullptr ? *seen.card : literalResult->card,
                                0,
                                0,
                                0,
                                fieldsOf(seen.fields),
                                {}};
    double semanticSum = 0;
    for (std::size_t i = 0; i < terms.size(); ++i) {
      const Coverage& coverage = coverageByTerm[i][card];
      if (coverage.relation == TermRelation::exact) continue;
      semanticSum += coverage.score;
      result.explanations.push_back(MatchExplanation{terms[i], *coverage.matchedTerm,
                                                     coverage.relation, fieldsOf(coverage.fields)});
    }
    if (literalResult != nullptr) {
      result.literalScore = literalResult->score;
      result.matchedFields.insert(literalResult->matchedFields.begin(),
                                  literalResult->matchedFields.end());
    }
    std::stable_sort(result.explanations.begin(), result.explanations.end(),
                     [](const MatchExplanation& a, const MatchExplanation& b) {
                       return isStronger(a.relation, b.relation);
                     });
    result.semanticScore = semanticSum * options.semanticWeight;
    result.score = result.literalScore + result.semanticScore;
    results.push_back(std::move(result));
  }
  std::stable_sort(results.begin(), results.end(), ranksBefore);
  const auto limit = static_cast<std::uint64_t>(std::max<std::int64_t>(options.limit, 0));
  if (results.size() > limit)
    results.erase(results.begin() + static_cast<std::ptrdiff_t>(limit), results.end());
  return results;
}

}  // namespace

const SemanticSearch::Options& SemanticSearch::Options::literalOnly() {
  static const Options options{.maxVariantsPerTerm = 0,
                               .maxIndexQueries = 8,
                               .maxTerms = 8,
                               .semanticWeight = 0.35,
                               .limit = 200,
                               .expansionBudget = 0.045,
                               .literalSufficiency = 50};
  return options;
}

SemanticSearch::SemanticSearch(std::shared_ptr<const SemanticLexicon> lexicon, Options options,
                               const Clock& clock)
    : lexicon_(std::move(lexicon)), options_(options), clock_(&clock) {}

std::vector<SemanticSearchResult> SemanticSearch::search(std::string_view query,
                                                         const SearchIndex& index) const {
  const TimeInterval start = clock_->continuousNow();
  std::vector<std::string> terms = distinctTerms(query);
  if (terms.empty()) return {};
  const std::size_t distinctCount = terms.size();
  const auto maxTerms = static_cast<std::uint64_t>(std::max<std::int64_t>(options_.maxTerms, 0));
  if (terms.size() > maxTerms) terms.resize(static_cast<std::size_t>(maxTerms));

  const std::vector<SearchResult> literal = index.search(query, options_.limit);
  if (options_.maxVariantsPerTerm <= 0 || lexicon_ == nullptr ||
      static_cast<std::int64_t>(literal.size()) >= options_.literalSufficiency) {
    return literalAnswer(literal);
  }

  std::vector<std::vector<TermVariant>> variantsByTerm;
  bool anyVariant = false;
  for (const std::string& term : terms) {
    std::vector<TermVariant> variants = lexicon_->variants(term, options_.maxVariantsPerTerm);
    std::erase_if(variants, [&](const TermVariant& variant) { return variant.term == term; });
    anyVariant = anyVariant || !variants.empty();
    variantsByTerm.push_back(std::move(variants));
  }
  if (!anyVariant) return literalAnswer(literal);

  Expansion expansion(options_, *clock_, index, start);
  // Only a query of one distinct word may stand in for that word's own search: once several
  // words were cut to one, the literal results hold only cards that have all of them.
  if (distinctCount == 1) expansion.seedWithLiteral(terms.front(), literal);
  std::vector<Coverages> coverageByTerm;
  for (std::size_t i = 0; i < terms.size(); ++i) {
    std::optional<Coverages> coverages = expansion.cover(terms[i], variantsByTerm[i]);
    if (!coverages) return literalAnswer(literal);
    if (std::none_of(coverages->begin(), coverages->end(),
                     [](const Coverage& coverage) { return coverage.matchedTerm != nullptr; })) {
      return {};
    }
    coverageByTerm.push_back(std::move(*coverages));
  }
  return rank(terms, coverageByTerm, expansion, literal, options_);
}

}  // namespace kelvo
