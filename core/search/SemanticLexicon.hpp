#pragma once

// Where meaning-aware search gets the other words a user may have meant by a query term.
//
//   std::shared_ptr<const SemanticLexicon> lexicon = StaticLexicon::officeVocabulary();
//   lexicon->prewarm();
//   for (const TermVariant& variant : lexicon->variants("invoice", 3)) use(variant.term);
//
// Lexicons are held as `std::shared_ptr<const SemanticLexicon>`, so that every copy of a search
// shares one lexicon; one that keeps state (a cache) keeps it `mutable` behind its own lock.

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/search/TermVariant.hpp"

namespace kelvo {

class SemanticLexicon {
 public:
  virtual ~SemanticLexicon() = default;

  /// At most `limit` words that may stand for `term` (in tokenized form), each with its
  /// relation; a `limit` of 0 or below gives none.
  virtual std::vector<TermVariant> variants(std::string_view term, std::int64_t limit) const = 0;
  /// Prepares whatever would make the first `variants` slow; by default nothing.
  virtual void prewarm() const {}
};

}  // namespace kelvo
