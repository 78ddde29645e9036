#pragma once

// The type picker of a project's card list: its choice, the filtering and counting of any
// items by it, the picker's options and its texts. The caller says how to read an item's type
// and, where links are told apart, hands in the link test (the system's is `isLink`).
//
//   const std::vector<SearchableCard> cards{SearchableCard({.content = "https://example.com"}),
//                                           SearchableCard({.type = CardType::image})};
//   const auto type = [](const SearchableCard& c) { return c.type(); };
//   const auto link = [](const SearchableCard& c) { return isLink(c.content()); };
//   const auto options = CardTypeFilter::options(CardTypeFilter::counts(cards, type, link));
//   const auto shown = CardTypeFilter(CardTypeFilter::Selection::links()).apply(cards, type, link);

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/model/CardType.hpp"

namespace kelvo {

enum class KelvoIcon;

class CardTypeFilter {
 public:
  /// One kind of card, every card, or the text cards that are links.
  class Selection {
   public:
    struct Type {
      CardType type;
      friend bool operator==(const Type&, const Type&) = default;
    };
    struct All {
      friend bool operator==(const All&, const All&) = default;
    };
    struct Links {
      friend bool operator==(const Links&, const Links&) = default;
    };
    using Case = std::variant<Type, All, Links>;

    Selection(Case value) : value_(value) {}
    static Selection type(CardType type) { return Selection(Type{type}); }
    static Selection all() { return Selection(All{}); }
    static Selection links() { return Selection(Links{}); }

    const Case& value() const { return value_; }
    /// "text", …, "fact", "all", "links".
    std::string identifier() const;
    KelvoIcon icon() const;
    /// The type's plural label, or the localised "All" or "Links".
    std::string label() const;
    /// None for `all`; `links` answers text, since links are text cards.
    std::optional<CardType> cardType() const;

    /// Text passes `type(text)` only when it is no link, and `links` only when it is one.
    bool matches(CardType type, bool isLink) const;

    friend bool operator==(const Selection&, const Selection&) = default;

   private:
    Case value_;
  };

  /// Items per card type (link items counted apart when a link test was given) and links.
  struct Counts {
    std::map<CardType, std::int64_t> types;
    std::int64_t links = 0;

    /// Every value added up, held at the 64-bit limits rather than overflowing.
    std::int64_t total() const;
    friend bool operator==(const Counts&, const Counts&) = default;
  };

  /// One row of the picker, identified by its selection.
  struct Option {
    Selection selection;
    std::string label;
    std::int64_t count = 0;
    bool isEnabled = false;

    const Selection& id() const { return selection; }
    friend bool operator==(const Option&, const Option&) = default;
  };

  explicit CardTypeFilter(Selection chosen) : selection(chosen) {}

  Selection selection;

  bool isNarrowing() const { return !std::holds_alternative<Selection::All>(selection.value()); }

  /// The passing items in order. Without a link test, `type(text)` and `links` both keep every
  /// text item; with `all` the type function is not called.
  template <class Item, class TypeOf>
  std::vector<Item> apply(const std::vector<Item>& items, TypeOf&& typeOf) const;
  /// The passing items in order; the link test runs for text items only. With `all` neither
  /// function is called.
  template <class Item, class TypeOf, class IsLink>
  std::vector<Item> apply(const std::vector<Item>& items, TypeOf&& typeOf, IsLink&& isLink) const;

  /// Items per card type; all five types are always present.
  template <class Item, class TypeOf>
  static std::map<CardType, std::int64_t> counts(const std::vector<Item>& items, TypeOf&& typeOf);
  /// As above, with text items that are links counted under `links` instead of text.
  template <class Item, class TypeOf, class IsLink>
  static Counts counts(const std::vector<Item>& items, TypeOf&& typeOf, IsLink&& isLink);

  /// All, text, links, images, files, docs and facts; a type missing from the counts shows 0.
  static std::vector<Option> options(const Counts& counts);
  /// All, text, images, files, docs and facts.
  static std::vector<Option> options(const std::map<CardType, std::int64_t>& counts);

  static std::string accessibilityLabel();
  /// The selection's label; "All types" for `all`.
  std::string accessibilityValue() const;
  /// None for `all`.
  std::optional<std::string> emptyTitle() const;
  std::optional<std::string> emptyDetail() const;
  static std::string clearActionTitle();

  friend bool operator==(const CardTypeFilter&, const CardTypeFilter&) = default;

 private:
  static std::map<CardType, std::int64_t> zeroCounts();
};

template <class Item, class TypeOf>
std::vector<Item> CardTypeFilter::apply(const std::vector<Item>& items, TypeOf&& typeOf) const {
  if (!isNarrowing()) return items;
  const CardType wanted = selection.cardType().value_or(CardType::text);
  std::vector<Item> kept;
  for (const Item& item : items) {
    if (typeOf(item) == wanted) kept.push_back(item);
  }
  return kept;
}

template <class Item, class TypeOf, class IsLink>
std::vector<Item> CardTypeFilter::apply(const std::vector<Item>& items, TypeOf&& typeOf,
                                        IsLink&& isLink) const {
  if (!isNarrowing()) return items;
  std::vector<Item> kept;
  for (const Item& item : items) {
    const CardType type = typeOf(item);
    if (selection.matches(type, type == CardType::text && isLink(item))) kept.push_back(item);
  }
  return kept;
}

template <class Item, class TypeOf>
std::map<CardType, std::int64_t> CardTypeFilter::counts(const std::vector<Item>& items,
                                                        TypeOf&& typeOf) {
  auto counted = zeroCounts();
  for (const Item& item : items) ++counted[typeOf(item)];
  return counted;
}

template <class Item, class TypeOf, class IsLink>
CardTypeFilter::Counts CardTypeFilter::counts(const std::vector<Item>& items, TypeOf&& typeOf,
                                              IsLink&& isLink) {
  Counts counted{zeroCounts(), 0};
  for (const Item& item : items) {
    const CardType type = typeOf(item);
    if (type == CardType::text && isLink(item)) {
      ++counted.links;
    } else {
      ++counted.types[type];
    }
  }
  return counted;
}

}  // namespace kelvo

template <>
struct std::hash<kelvo::CardTypeFilter::Selection> {
  size_t operator()(const kelvo::CardTypeFilter::Selection& selection) const noexcept;
};
template <>
struct std::hash<kelvo::CardTypeFilter::Counts> {
  size_t operator()(const kelvo::CardTypeFilter::Counts& counts) const noexcept;
};
template <>
struct std::hash<kelvo::CardTypeFilter::Option> {
  /// The option is identified by its selection; equal options have equal selections.
  size_t operator()(const kelvo::CardTypeFilter::Option& option) const noexcept {
    return std::hash<kelvo::CardTypeFilter::Selection>{}(option.selection) ^
           std::hash<std::int64_t>{}(option.count);
  }
};
template <>
struct std::hash<kelvo::CardTypeFilter> {
  size_t operator()(const kelvo::CardTypeFilter& filter) const noexcept {
    return std::hash<kelvo::CardTypeFilter::Selection>{}(filter.selection);
  }
};
