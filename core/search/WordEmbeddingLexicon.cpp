#include "core/search/WordEmbeddingLexicon.hpp"

#include <algorithm>
#include <cmath>

#include "core/search/CompositeLexicon.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/StaticLexicon.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

std::vector<TermVariant> firstOf(const std::vector<TermVariant>& variants, std::int64_t limit) {
  const auto count = std::min<std::size_t>(variants.size(), static_cast<std::uint64_t>(limit));
  return {variants.begin(), variants.begin() + static_cast<std::ptrdiff_t>(count)};
}

bool contains(const std::vector<std::string>& seen, std::string_view text) {
  return std::find(seen.begin(), seen.end(), text) != seen.end();
}

}  // namespace

WordEmbeddingLexicon::WordEmbeddingLexicon(std::string_view language, bool useEmbedding)
    : WordEmbeddingLexicon(useEmbedding ? language::WordEmbedding::forLanguage(language) : nullptr,
                           language::LemmaTagger::standard()) {}

WordEmbeddingLexicon::WordEmbeddingLexicon(std::shared_ptr<const language::WordEmbedding> embedding,
                                           std::shared_ptr<const language::LemmaTagger> tagger)
    : embedding_(std::move(embedding)), tagger_(std::move(tagger)) {}

std::shared_ptr<const SemanticLexicon> WordEmbeddingLexicon::standard() {
  return std::make_shared<const CompositeLexicon>(
      std::vector<std::shared_ptr<const SemanticLexicon>>{
          StaticLexicon::officeVocabulary(),
          std::make_shared<const WordEmbeddingLexicon>("en", true)});
}

bool WordEmbeddingLexicon::isEmbeddingAvailable() const {
  const std::lock_guard lock(mutex_);
  return embedding_ != nullptr;
}

bool WordEmbeddingLexicon::isReady() const {
  const std::lock_guard lock(mutex_);
  return isWarm_;
}

std::size_t WordEmbeddingLexicon::cachedTermCount() const {
  const std::lock_guard lock(mutex_);
  return cache_.size();
}

void WordEmbeddingLexicon::prewarm() const {
  const std::lock_guard lock(mutex_);
  if (isWarm_ || embedding_ == nullptr) return;
  embedding_->neighbours(warmUpWord, 1);
  isWarm_ = true;
}

std::optional<std::string> WordEmbeddingLexicon::lemmaVariant(std::string_view term) const {
  if (tagger_ == nullptr) return std::nullopt;
  const std::optional<std::string> lemma = tagger_->lemma(term);
  if (!lemma) return std::nullopt;
  const std::string lowered = text::lowercased(*lemma);
  if (lowered == term) return std::nullopt;
  std::vector<std::string> tokens = SearchIndex::tokenize(lowered);
  if (tokens.empty()) return std::nullopt;
  return std::move(tokens.front());
}

void WordEmbeddingLexicon::addNeighbours(std::string_view term, std::vector<std::string>& seen,
                                         std::vector<TermVariant>& result) const {
  for (const language::Neighbour& neighbour : embedding_->neighbours(term, neighbourCount)) {
    // Not-a-number fails this test too and ends the walk.
    if (!(neighbour.distance <= distanceCut)) break;
    std::vector<std::string> tokens = SearchIndex::tokenize(neighbour.word);
    if (tokens.empty()) continue;
    std::string& token = tokens.front();
    if (text::characterCount(token) < shortestRelatedWord || contains(seen, token)) continue;
    seen.push_back(token);
    result.push_back(TermVariant{std::move(token), TermRelation::related});
  }
}

std::vector<TermVariant> WordEmbeddingLexicon::variants(std::string_view term,
                                                        std::int64_t limit) const {
  if (limit <= 0 || term.empty()) return {};
  const std::lock_guard lock(mutex_);
  if (const auto cached = cache_.find(std::string(term)); cached != cache_.end()) {
    return firstOf(cached->second, limit);
  }
  std::vector<std::string> seen{std::string(term)};
  std::vector<TermVariant> result;
  if (std::optional<std::string> lemma = lemmaVariant(term); lemma && !contains(seen, *lemma)) {
    seen.push_back(*lemma);
    result.push_back(TermVariant{std::move(*lemma), TermRelation::inflection});
  }
  if (!isWarm_ || embedding_ == nullptr) return firstOf(result, limit);
  addNeighbours(term, seen, result);
  // Emptied whole when full, keeping its buckets: bounded without tracking use.
  if (cache_.size() >= cacheCapacity) cache_.clear();
  const auto& stored = cache_.insert_or_assign(std::string(term), std::move(result)).first->second;
  return firstOf(stored, limit);
}

}  // namespace kelvo
