#pragma once

// The lexicon of a word's dictionary form and of words near it in meaning: the lemma tagger's
// lemma as an inflection, then the word embedding's nearest neighbours as related words. The
// embedding is consulted only once `prewarm()` has loaded it; answers that used it are cached.
//
//   auto lexicon = WordEmbeddingLexicon::standard();   // office words, then English
//   lexicon->prewarm();                                 // reads and checks the neighbour table
//   SemanticSearch search(lexicon, options);

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/search/SemanticLexicon.hpp"
#include "platform/language/LemmaTagger.hpp"
#include "platform/language/WordEmbedding.hpp"

namespace kelvo {

/// Shared by every holder; every operation holds one lock for its whole run.
class WordEmbeddingLexicon final : public SemanticLexicon {
 public:
  static constexpr std::int64_t neighbourCount = 12;
  static constexpr double distanceCut = 1.05;
  /// A neighbour whose first word has fewer characters is never a variant, so the rule runs one
  /// way: "car" widens to "automobile", but "automobile" never to "car". A lemma has no shortest
  /// length ("cars" still gives "car").
  static constexpr std::size_t shortestRelatedWord = 4;
  static constexpr std::size_t cacheCapacity = 2000;
  static constexpr const char* warmUpWord = "the";

  /// The lemma tagger, and with `useEmbedding` the embedding of `language` ("en"), if any.
  WordEmbeddingLexicon(std::string_view language, bool useEmbedding);
  /// Either may be null: no embedding, or no lemmas.
  WordEmbeddingLexicon(std::shared_ptr<const language::WordEmbedding> embedding,
                       std::shared_ptr<const language::LemmaTagger> tagger);

  /// The office vocabulary, then a new English word-embedding lexicon.
  static std::shared_ptr<const SemanticLexicon> standard();

  bool isEmbeddingAvailable() const;
  /// Whether `prewarm()` has loaded an embedding; false for ever without one.
  bool isReady() const;
  /// Sends the embedding its first query, once.
  void prewarm() const override;
  /// The lemma (inflection) first, then up to 12 neighbours (related) nearest first, each text
  /// once and never `term`; cut to `limit`.
  std::vector<TermVariant> variants(std::string_view term, std::int64_t limit) const override;

  /// How many terms the cache holds.
  std::size_t cachedTermCount() const;

 private:
  std::optional<std::string> lemmaVariant(std::string_view term) const;
  void addNeighbours(std::string_view term, std::vector<std::string>& seen,
                     std::vector<TermVariant>& result) const;

  mutable std::mutex mutex_;
  std::shared_ptr<const language::WordEmbedding> embedding_;
  std::shared_ptr<const language::LemmaTagger> tagger_;
  mutable std::unordered_map<std::string, std::vector<TermVariant>> cache_;
  mutable bool isWarm_ = false;
};

}  // namespace kelvo
