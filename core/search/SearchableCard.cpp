#include "core/search/SearchableCard.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/VariableTemplate.hpp"
#include "core/search/SmartFilter.hpp"
#include "core/search/internal/CardBody.hpp"
#include "platform/foundation/Hash.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

bool sameText(std::string_view a, std::string_view b) {
  return a == b || text::canonicallyEqual(a, b);
}

bool sameText(std::optional<std::string_view> a, std::optional<std::string_view> b) {
  if (!a || !b) return !a && !b;
  return sameText(*a, *b);
}

void combineText(std::size_t& seed, std::optional<std::string_view> value) {
  hashCombine(seed, value ? text::canonicalHash(*value) : 0x5A5A5A5AULL);
  hashCombine(seed, value.has_value());
}

}  // namespace

using search_internal::CardBody;

SearchableCard::SearchableCard(UUID id, CardType type, std::string_view title,
                               std::string_view content, std::string_view extractedText,
                               const std::vector<std::string>& autoTags, std::string_view shelfName,
                               std::string_view projectName,
                               std::optional<std::string_view> factLabel,
                               std::optional<std::string_view> sourceApp, std::int64_t useCount,
                               std::optional<Date> lastUsedAt)
    : pieces_(CardBody::make({.id = id,
                              .type = type,
                              .shortTexts = {title, shelfName, projectName, factLabel, sourceApp},
                              .content = content,
                              .extractedText = extractedText,
                              .tags = autoTags,
                              .useCount = useCount,
                              .lastUsedAt = lastUsedAt})) {}

SearchableCard::SearchableCard(const SearchableCard& other) noexcept : pieces_(other.pieces_) {
  if (pieces_ != nullptr) pieces_->retain();
}

void SearchableCard::release() noexcept { pieces_->release(); }

std::string_view SearchableCard::content() const { return pieces_->text(CardBody::content); }

std::string_view SearchableCard::extractedText() const {
  return pieces_->text(CardBody::extractedText);
}

std::string_view SearchableCard::tag(const CardBody* pieces, std::uint32_t i) {
  return pieces->text(CardBody::firstTag + i);
}

bool SearchableCard::hasVariables() const {
  return type() == CardType::text && VariableTemplate(std::string(content())).hasVariables();
}

bool SearchableCard::isLink() const { return type() == CardType::text && kelvo::isLink(content()); }

bool operator==(const SearchableCard& a, const SearchableCard& b) {
  if (a.pieces_ == b.pieces_) return true;
  if (a.id() != b.id() || a.type() != b.type() || a.useCount() != b.useCount() ||
      a.lastUsedAt() != b.lastUsedAt() || a.head().tagCount != b.head().tagCount) {
    return false;
  }
  if (!sameText(a.title(), b.title()) || !sameText(a.content(), b.content()) ||
      !sameText(a.extractedText(), b.extractedText()) || !sameText(a.shelfName(), b.shelfName()) ||
      !sameText(a.projectName(), b.projectName()) || !sameText(a.factLabel(), b.factLabel()) ||
      !sameText(a.sourceApp(), b.sourceApp())) {
    return false;
  }
  const SearchableCard::Tags x = a.autoTags();
  const SearchableCard::Tags y = b.autoTags();
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!sameText(x[i], y[i])) return false;
  }
  return true;
}

}  // namespace kelvo

size_t std::hash<kelvo::SearchableCard>::operator()(
    const kelvo::SearchableCard& card) const noexcept {
  using kelvo::text::canonicalHash;
  std::size_t seed = std::hash<kelvo::UUID>{}(card.id());
  kelvo::hashCombine(seed, static_cast<std::size_t>(card.type()));
  for (const std::string_view field :
       {card.title(), card.content(), card.extractedText(), card.shelfName(), card.projectName()}) {
    kelvo::hashCombine(seed, canonicalHash(field));
  }
  const kelvo::SearchableCard::Tags tags = card.autoTags();
  kelvo::hashCombine(seed, tags.size());
  for (const std::string_view tag : tags) kelvo::hashCombine(seed, canonicalHash(tag));
  kelvo::combineText(seed, card.factLabel());
  kelvo::combineText(seed, card.sourceApp());
  kelvo::hashCombine(seed, std::hash<std::int64_t>{}(card.useCount()));
  const std::optional<kelvo::Date> lastUsedAt = card.lastUsedAt();
  kelvo::hashCombine(seed, lastUsedAt ? std::hash<kelvo::Date>{}(*lastUsedAt) : 0x33);
  return seed;
}
