#include "core/search/SearchableCard.hpp"

#include <utility>

#include "core/model/VariableTemplate.hpp"
#include "core/search/SmartFilter.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

bool sameText(const std::string& a, const std::string& b) {
  return a == b || text::canonicallyEqual(a, b);
}

bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  if (!a || !b) return !a && !b;
  return sameText(*a, *b);
}

void combine(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2);
}

void combineText(std::size_t& seed, const std::optional<std::string>& value) {
  combine(seed, value ? text::canonicalHash(*value) : 0x5A5A5A5AULL);
  combine(seed, value.has_value());
}

}  // namespace

SearchableCard::SearchableCard(UUID id, CardType type, std::string title, std::string content,
                               std::string extractedText, std::vector<std::string> autoTags,
                               std::string shelfName, std::string projectName,
                               std::optional<std::string> factLabel,
                               std::optional<std::string> sourceApp, std::int64_t useCount,
                               std::optional<Date> lastUsedAt)
    : body_(std::make_shared<const Body>(
          Body{type, useCount, lastUsedAt, std::move(title), id, std::move(sourceApp),
               std::move(shelfName), std::move(content), std::move(extractedText),
               std::move(autoTags), std::move(projectName), std::move(factLabel)})) {}

bool SearchableCard::hasVariables() const {
  return type() == CardType::text && VariableTemplate(content()).hasVariables();
}

bool SearchableCard::isLink() const { return type() == CardType::text && kelvo::isLink(content()); }

bool operator==(const SearchableCard& a, const SearchableCard& b) {
  if (a.body_ == b.body_) return true;
  const auto& x = *a.body_;
  const auto& y = *b.body_;
  if (x.id != y.id || x.type != y.type || x.useCount != y.useCount ||
      x.lastUsedAt != y.lastUsedAt || x.autoTags.size() != y.autoTags.size()) {
    return false;
  }
  if (!sameText(x.title, y.title) || !sameText(x.content, y.content) ||
      !sameText(x.extractedText, y.extractedText) || !sameText(x.shelfName, y.shelfName) ||
      !sameText(x.projectName, y.projectName) || !sameText(x.factLabel, y.factLabel) ||
      !sameText(x.sourceApp, y.sourceApp)) {
    return false;
  }
  for (std::size_t i = 0; i < x.autoTags.size(); ++i) {
    if (!sameText(x.autoTags[i], y.autoTags[i])) return false;
  }
  return true;
}

}  // namespace kelvo

size_t std::hash<kelvo::SearchableCard>::operator()(
    const kelvo::SearchableCard& card) const noexcept {
  using kelvo::text::canonicalHash;
  const auto& body = *card.body_;
  std::size_t seed = std::hash<kelvo::UUID>{}(body.id);
  kelvo::combine(seed, static_cast<std::size_t>(body.type));
  for (const std::string* field :
       {&body.title, &body.content, &body.extractedText, &body.shelfName, &body.projectName}) {
    kelvo::combine(seed, canonicalHash(*field));
  }
  kelvo::combine(seed, body.autoTags.size());
  for (const std::string& tag : body.autoTags) kelvo::combine(seed, canonicalHash(tag));
  kelvo::combineText(seed, body.factLabel);
  kelvo::combineText(seed, body.sourceApp);
  kelvo::combine(seed, std::hash<std::int64_t>{}(body.useCount));
  kelvo::combine(seed, body.lastUsedAt ? std::hash<kelvo::Date>{}(*body.lastUsedAt) : 0x33);
  return seed;
}
