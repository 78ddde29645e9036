#include "core/search/SemanticSearch.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/foundation/TextCompare.hpp"

namespace kelvo {
namespace {

struct Hit {
  double score = 0;
  SearchFields fields;
};
using Hits = std::unordered_map<UUID, Hit>;

// The best way one card covers one query term.
struct Coverage {
  double score = 0;
  TermRelation relation = TermRelation::exact;
  std::string matchedTerm;
  SearchFields fields;
};
using Coverages = std::unordered_map<UUID, Coverage>;

// A weaker relation never replaces a stronger one; among equals the first best score stays.
void keep(Coverages& coverages, const UUID& id, Coverage coverage) {
  const auto [held, inserted] = coverages.try_emplace(id, coverage);
  if (inserted) return;
  if (isStronger(coverage.relation, held->second.relation) ||
      (coverage.relation == held->second.relation && coverage.score > held->second.score)) {
    held->second = std::move(coverage);
  }
}

std::vector<SemanticSearchResult> literalAnswer(const std::vector<SearchResult>& literal) {
  std::vector<SemanticSearchResult> answer;
  answer.reserve(literal.size());
  for (const SearchResult& result : literal) {
    answer.push_back(SemanticSearchResult{result.card, result.score, result.score, 0,
                                          result.matchedFields, {}});
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

// The working state of one call, dropped when it returns. Every step that must give the
// widening up answers `false`, and the caller falls back to the literal answer.
class Expansion {
 public:
  Expansion(const SemanticSearch::Options& options, const Clock& clock, const SearchIndex& index,
            TimeInterval start)
      : options_(options), clock_(clock), index_(index), start_(start),
        queriesLeft_(options.maxIndexQueries) {}

  // The single term's own hits are the literal results: it is never searched again.
  void seedWithLiteral(const std::string& term, const std::vector<SearchResult>& literal) {
    Hits hits;
    for (const SearchResult& result : literal) {
      hits[result.id()] = Hit{result.score, result.matchedFields};
      cardsById_.insert_or_assign(result.id(), result.card);
    }
    hitsByWord_.emplace(term, std::move(hits));
  }

  // The coverage of every card for `term`, through itself and its variants; none when the
  // widening has to be given up.
  std::optional<Coverages> cover(const std::string& term, const std::vector<TermVariant>& variants) {
    Coverages coverages;
    const Hits* own = hitsOf(term);
    if (own == nullptr) return std::nullopt;
    for (const auto& [id, hit] : *own) {
      fieldsByCard_[id].insert(hit.fields.begin(), hit.fields.end());
      keep(coverages, id, Coverage{hit.score, TermRelation::exact, term, hit.fields});
    }
    for (const TermVariant& variant : variants) {
      const Hits* hits = hitsOf(variant.term);
      if (hits == nullptr) return std::nullopt;
      for (const auto& [id, hit] : *hits) {
        fieldsByCard_[id].insert(hit.fields.begin(), hit.fields.end());
        keep(coverages, id,
             Coverage{hit.score * strength(variant.relation), variant.relation, variant.term,
                      hit.fields});
      }
    }
    return coverages;
  }

  const SearchableCard* card(const UUID& id) const {
    const auto found = cardsById_.find(id);
    return found == cardsById_.end() ? nullptr : &found->second;
  }
  SearchFields fields(const UUID& id) const {
    const auto found = fieldsByCard_.find(id);
    return found == fieldsByCard_.end() ? SearchFields{} : found->second;
  }

 private:
  // The hits of one word, searched at most once per call; null when the allowance is spent or
  // the search is predicted to end past the budget.
  const Hits* hitsOf(const std::string& word) {
    if (const auto cached = hitsByWord_.find(word); cached != hitsByWord_.end()) {
      return &cached->second;
    }
    if (queriesLeft_ <= 0) return nullptr;
    if (clock_.continuousNow() - start_ + slowest_ >= options_.expansionBudget) return nullptr;
    const TimeInterval queryStart = clock_.continuousNow();
    Hits hits;
    for (SearchResult& result : index_.search(word, options_.limit)) {
      hits[result.id()] = Hit{result.score, std::move(result.matchedFields)};
      cardsById_.insert_or_assign(result.id(), std::move(result.card));
    }
    --queriesLeft_;
    slowest_ = std::max(slowest_, clock_.continuousNow() - queryStart);
    return &hitsByWord_.emplace(word, std::move(hits)).first->second;
  }

  const SemanticSearch::Options& options_;
  const Clock& clock_;
  const SearchIndex& index_;
  const TimeInterval start_;
  std::int64_t queriesLeft_;
  TimeInterval slowest_ = 0;
  std::unordered_map<std::string, Hits> hitsByWord_;
  std::unordered_map<UUID, SearchableCard> cardsById_;
  std::unordered_map<UUID, SearchFields> fieldsByCard_;
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

// The cards that cover every term, in the order of the first term's map.
std::vector<UUID> candidates(const std::vector<Coverages>& coverageByTerm) {
  std::vector<UUID> ids;
  for (const auto& [id, coverage] : coverageByTerm.front()) {
    const bool coversAll = std::all_of(
        coverageByTerm.begin() + 1, coverageByTerm.end(),
        [&](const Coverages& coverages) { return coverages.contains(id); });
    if (coversAll) ids.push_back(id);
  }
  return ids;
}

// One result per card covering every term, ordered by score, then title.
std::vector<SemanticSearchResult> rank(const std::vector<std::string>& terms,
                                       const std::vector<Coverages>& coverageByTerm,
                                       const Expansion& expansion,
                                       const std::vector<SearchResult>& literal,
                                       const SemanticSearch::Options& options) {
  std::unordered_map<UUID, const SearchResult*> literalById;
  for (const SearchResult& result : literal) literalById.try_emplace(result.id(), &result);
  std::vector<SemanticSearchResult> results;
  for (const UUID& id : candidates(coverageByTerm)) {
    const auto literalHit = literalById.find(id);
    const SearchResult* literalResult = literalHit == literalById.end() ? nullptr : literalHit->second;
    const SearchableCard* card = expansion.card(id);
    if (card == nullptr && literalResult == nullptr) continue;
    SemanticSearchResult result{card != nullptr ? *card : literalResult->card, 0, 0, 0,
                                expansion.fields(id), {}};
    double semanticSum = 0;
    for (std::size_t i = 0; i < terms.size(); ++i) {
      const Coverage& coverage = coverageByTerm[i].at(id);
      if (coverage.relation == TermRelation::exact) continue;
      semanticSum += coverage.score;
      result.explanations.push_back(
          MatchExplanation{terms[i], coverage.matchedTerm, coverage.relation, coverage.fields});
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
  if (results.size() > limit) results.erase(results.begin() + static_cast<std::ptrdiff_t>(limit), results.end());
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
    if (coverages->empty()) return {};
    coverageByTerm.push_back(std::move(*coverages));
  }
  return rank(terms, coverageByTerm, expansion, literal, options_);
}

}  // namespace kelvo
