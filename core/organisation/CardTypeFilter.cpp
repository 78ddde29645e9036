#include "core/organisation/CardTypeFilter.hpp"

#include <limits>

#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Hash.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Overloaded.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

using Selection = CardTypeFilter::Selection;

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<std::int64_t>::max()
               : std::numeric_limits<std::int64_t>::min();
}

std::int64_t countOf(const std::map<CardType, std::int64_t>& counts, CardType type) {
  const auto found = counts.find(type);
  return found == counts.end() ? 0 : found->second;
}

CardTypeFilter::Option option(Selection selection, std::int64_t count) {
  return {selection, selection.label(), count, count > 0};
}

}  // namespace

std::string Selection::identifier() const {
  return std::visit(Overloaded{
                        [](const Type& c) { return std::string(rawValue(c.type)); },
                        [](const All&) { return std::string("all"); },
                        [](const Links&) { return std::string("links"); },
                    },
                    value_);
}

KelvoIcon Selection::icon() const {
  return std::visit(Overloaded{
                        [](const Type& c) { return kelvo::icon(c.type); },
                        [](const All&) { return KelvoIcon::allCards; },
                        [](const Links&) { return KelvoIcon::factURL; },
                    },
                    value_);
}

std::string Selection::label() const {
  return std::visit(Overloaded{
                        [](const Type& c) { return pluralLabel(c.type); },
                        [](const All&) { return localized("All"); },
                        [](const Links&) { return localized("Links"); },
                    },
                    value_);
}

std::optional<CardType> Selection::cardType() const {
  if (const auto* chosen = std::get_if<Type>(&value_)) return chosen->type;
  if (std::holds_alternative<Links>(value_)) return CardType::text;
  return std::nullopt;
}

bool Selection::matches(CardType type, bool isLink) const {
  return std::visit(
      Overloaded{
          [&](const Type& c) { return c.type == type && (type != CardType::text || !isLink); },
          [](const All&) { return true; },
          [&](const Links&) { return type == CardType::text && isLink; },
      },
      value_);
}

std::int64_t CardTypeFilter::Counts::total() const {
  std::int64_t sum = links;
  for (const auto& [type, count] : types) sum = saturatingAdd(sum, count);
  return sum;
}

std::vector<CardTypeFilter::Option> CardTypeFilter::options(const Counts& counts) {
  const auto& types = counts.types;
  return {
      {Selection::all(), Selection::all().label(), counts.total(), true},
      option(Selection::type(CardType::text), countOf(types, CardType::text)),
      option(Selection::links(), counts.links),
      option(Selection::type(CardType::image), countOf(types, CardType::image)),
      option(Selection::type(CardType::file), countOf(types, CardType::file)),
      option(Selection::type(CardType::document), countOf(types, CardType::document)),
      option(Selection::type(CardType::fact), countOf(types, CardType::fact)),
  };
}

std::vector<CardTypeFilter::Option> CardTypeFilter::options(
    const std::map<CardType, std::int64_t>& counts) {
  auto rows = options(Counts{counts, 0});
  rows.erase(rows.begin() + 2);
  return rows;
}

std::string CardTypeFilter::accessibilityLabel() { return localized("Filter by card type"); }

std::string CardTypeFilter::accessibilityValue() const {
  return isNarrowing() ? selection.label() : localized("All types");
}

std::optional<std::string> CardTypeFilter::emptyTitle() const {
  if (!isNarrowing()) return std::nullopt;
  if (std::holds_alternative<Selection::Links>(selection.value())) {
    return localized("No links here");
  }
  return localized("No %@ here", text::lowercased(selection.label()));
}

std::optional<std::string> CardTypeFilter::emptyDetail() const {
  if (!isNarrowing()) return std::nullopt;
  if (std::holds_alternative<Selection::Links>(selection.value())) {
    return localized(
        "Nothing here is a web address on its own. Keep or share a link and it appears.");
  }
  return localized("This project has nothing of type %@. Other kinds of card may still be here.",
                   text::lowercased(selection.label()));
}

std::string CardTypeFilter::clearActionTitle() { return localized("Show all types"); }

std::map<CardType, std::int64_t> CardTypeFilter::zeroCounts() {
  std::map<CardType, std::int64_t> counts;
  for (const CardType type : allCases<CardType>()) counts.emplace(type, 0);
  return counts;
}

}  // namespace kelvo

size_t std::hash<kelvo::CardTypeFilter::Selection>::operator()(
    const kelvo::CardTypeFilter::Selection& selection) const noexcept {
  std::size_t seed = selection.value().index();
  if (const auto cardType = selection.cardType()) {
    kelvo::hashCombine(seed, static_cast<std::size_t>(*cardType));
  }
  return seed;
}

size_t std::hash<kelvo::CardTypeFilter::Counts>::operator()(
    const kelvo::CardTypeFilter::Counts& counts) const noexcept {
  std::size_t seed = std::hash<std::int64_t>{}(counts.links);
  for (const auto& [type, count] : counts.types) {
    kelvo::hashCombine(seed, static_cast<std::size_t>(type));
    kelvo::hashCombine(seed, std::hash<std::int64_t>{}(count));
  }
  return seed;
}
