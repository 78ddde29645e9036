#include "core/search/SearchIndex.hpp"

#include <utility>

#include "core/search/SearchTokenizer.hpp"
#include "core/search/internal/SearchIndexImpl.hpp"
#include "core/search/internal/SearchQuery.hpp"

namespace kelvo {

SearchIndex::SearchIndex(std::span<const SearchableCard> cards, const Clock& clock)
    : impl_(std::make_unique<search_internal::SearchIndexImpl>(clock)) {
  impl_->insert(cards);
}

SearchIndex::SearchIndex(const SearchIndex& other)
    : impl_(std::make_unique<search_internal::SearchIndexImpl>(*other.impl_)) {}

SearchIndex& SearchIndex::operator=(const SearchIndex& other) {
  if (this != &other) impl_ = std::make_unique<search_internal::SearchIndexImpl>(*other.impl_);
  return *this;
}

SearchIndex::SearchIndex(SearchIndex&& other) noexcept = default;
SearchIndex& SearchIndex::operator=(SearchIndex&& other) noexcept = default;
SearchIndex::~SearchIndex() = default;

std::vector<std::string> SearchIndex::tokenize(std::string_view text) {
  return SearchTokenizer::terms(text);
}

void SearchIndex::insert(const SearchableCard& card) { impl_->insertCard(card, false); }

void SearchIndex::insert(std::span<const SearchableCard> cards) { impl_->insert(cards); }

void SearchIndex::remove(const UUID& id) { impl_->removeCard(id, false); }

std::vector<SearchResult> SearchIndex::search(std::string_view query, std::int64_t limit) const {
  if (limit <= 0) return {};
  return search_internal::SearchQuery(*impl_, tokenize(query))
      .run(static_cast<std::uint64_t>(limit));
}

std::size_t SearchIndex::cardCount() const { return impl_->cardCount(); }

std::size_t SearchIndex::termCount() const { return impl_->terms().count(); }

std::size_t SearchIndex::memoryUsage() const { return impl_->memoryUsage(); }

}  // namespace kelvo
