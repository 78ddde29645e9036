// Internal to core/search: include "core/search/SearchIndex.hpp" instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/SearchResult.hpp"
#include "core/search/internal/SearchIndexImpl.hpp"
#include "core/search/internal/SearchPrefixTable.hpp"
#include "core/search/internal/SearchRanking.hpp"
#include "core/search/internal/SearchTermTable.hpp"

namespace kelvo::search_internal {

/// One answer of a `SearchIndex`: look each term up, intersect the card sets starting from the
/// smallest, score the survivors and keep the best. Every word but the last must be held
/// whole; the last may begin a longer word. Lives for one query.
class SearchQuery {
 public:
  SearchQuery(const SearchIndexImpl& index, std::vector<std::string> queryTerms);
  ~SearchQuery();
  SearchQuery(const SearchQuery&) = delete;
  SearchQuery& operator=(const SearchQuery&) = delete;

  /// At most `limit` results, best first.
  std::vector<SearchResult> run(std::uint64_t limit);

  /// What a last term held only as the beginning of longer words weighs, beside 1 for the term
  /// itself.
  static constexpr double prefixExactness = 0.6;
  /// The text score of a card whose hit byte for the last term is `hit`; 0 when it holds none.
  static double lastTermScore(std::uint8_t hit);
  /// Whether `term` begins with `query` character by character, not only byte by byte.
  static bool beginsWith(std::string_view term, std::string_view query);
  /// ORs into `hits[i * stride]` the hit byte of `slots[i]` (ascending) for `words`, the terms
  /// beginning with a query's last term, of which those `termSize` bytes long are the term.
  static void probe(const SearchTermTable& terms, std::span<const SearchTermTable::TermID> words,
                    std::size_t termSize, std::span<const SearchTermTable::Slot> slots,
                    std::uint8_t* hits, std::size_t stride);

  // The cards of one query term, and the cards still in the running.
  struct HitList;
  struct Candidates;

 private:
  using Posting = SearchTermTable::Posting;
  using Slot = SearchTermTable::Slot;
  using TermID = SearchTermTable::TermID;
  using Scored = SearchRanking::Scored;
  // How the words that begin with the last term meet the candidates: merged into one list,
  // laid out as a table over all slots, or each matched against the candidates.
  enum class PrefixPlan { list, table, probe };

  bool lookUpWholeTerms();
  bool findPrefixTerms();
  void planPrefixTerms();
  Candidates intersect() const;
  void keepTableHits(Candidates& candidates) const;
  void probePrefixTerms(Candidates& candidates) const;
  std::vector<Scored> scoreText(Candidates& candidates) const;
  std::vector<Scored> scoreTable(std::uint64_t limit);
  SearchPrefixTable prefixTable() const;
  void mergePrefixHits();
  bool isExact(TermID id) const;

  const SearchIndexImpl& index_;
  const SearchTermTable& terms_;
  std::vector<std::string> queryTerms_;
  std::vector<HitList> lists_;
  std::vector<std::size_t> occurrences_;  // per distinct whole term
  std::size_t smallestExact_ = SIZE_MAX;
  std::size_t lastTerm_ = 0;  // the last term's position among the hit bytes
  std::vector<TermID> prefixTerms_;
  std::size_t prefixPostings_ = 0;
  PrefixPlan plan_ = PrefixPlan::list;
  std::vector<Posting> merged_;
  std::vector<std::uint8_t> mergedExact_;
  SearchPrefixTable table_;
};

}  // namespace kelvo::search_internal
