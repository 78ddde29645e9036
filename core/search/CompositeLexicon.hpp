#pragma once

// A lexicon made of others: each member is asked in turn and the answers merged, a word
// keeping the relation of the first member that offers it, stronger relations first.
//
//   auto lexicon = std::make_shared<const CompositeLexicon>(
//       std::vector<std::shared_ptr<const SemanticLexicon>>{StaticLexicon::officeVocabulary(),
//       mine});

#include <memory>
#include <vector>

#include "core/search/SemanticLexicon.hpp"

namespace kelvo {

class CompositeLexicon final : public SemanticLexicon {
 public:
  explicit CompositeLexicon(std::vector<std::shared_ptr<const SemanticLexicon>> lexicons)
      : lexicons_(std::move(lexicons)) {}

  /// The members' variants, each word once and never `term` itself, stronger relations first
  /// (gathered order among equals), cut to `limit`.
  std::vector<TermVariant> variants(std::string_view term, std::int64_t limit) const override;
  /// Prewarms every member, in order.
  void prewarm() const override;

  const std::vector<std::shared_ptr<const SemanticLexicon>>& lexicons() const { return lexicons_; }

 private:
  std::vector<std::shared_ptr<const SemanticLexicon>> lexicons_;
};

}  // namespace kelvo
