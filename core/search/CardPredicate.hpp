#pragma once

// The filter language of the library: a small recursive value that says whether a searchable
// card belongs at a given moment, shown to the user through its name and stored as JSON.
//
//   const auto attention = CardPredicate::stale(90).or_(
//       CardPredicate::hasUnfilledFields().and_(CardPredicate::neverUsed()));
//   const auto cards = attention.filter(library, now);
//   attention.name();  // "Stale (90 days) or Has unfilled fields + Never used"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "core/model/CardType.hpp"
#include "core/search/SearchableCard.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo {

class JSONReader;

/// A card filter. Copies share their immutable nodes, so a predicate is cheap to copy and may be
/// evaluated from any thread. Equality and hashing are structural: the same case with equal
/// payloads, list order counting, texts compared by canonical equivalence (case-sensitively).
/// Nothing is ever simplified.
class CardPredicate {
 public:
  struct All {};
  struct Type {
    CardType type;
  };
  struct Shelf {
    std::string name;
  };
  struct Project {
    std::string name;
  };
  struct UsedWithin {
    std::int64_t days;
  };
  struct NeverUsed {};
  struct Stale {
    std::int64_t days;
  };
  struct HasAttachment {};
  struct HasUnfilledFields {};
  /// Cards carry no lock state: this case never matches.
  struct Locked {};
  struct And;
  struct Or;
  struct Not;

  using Case = std::variant<All, Type, Shelf, Project, UsedWithin, NeverUsed, Stale, HasAttachment,
                            HasUnfilledFields, Locked, And, Or, Not>;
  /// The cases by name, in the order of `Case`. Switches over it name every case and have no
  /// default, so that a new case fails to compile until each of them handles it.
  enum class Kind : std::uint8_t {
    all,
    type,
    shelf,
    project,
    usedWithin,
    neverUsed,
    stale,
    hasAttachment,
    hasUnfilledFields,
    locked,
    and_,
    or_,
    not_,
  };
  template <class C, class Variant = Case>
  struct IsCase;
  template <class C, class... Cs>
  struct IsCase<C, std::variant<Cs...>> : std::bool_constant<(std::is_same_v<C, Cs> || ...)> {};

  /// `all`.
  CardPredicate();
  /// A predicate of one case: `CardPredicate(CardPredicate::Stale{90})`.
  template <class C>
  requires IsCase<std::remove_cvref_t<C>>::value CardPredicate(C&& value)
      : node_(std::make_shared<const Case>(std::forward<C>(value))), readsText_(readsText()) {}

  static CardPredicate all() { return {}; }
  static CardPredicate type(CardType type);
  static CardPredicate shelf(std::string name);
  static CardPredicate project(std::string name);
  static CardPredicate usedWithin(std::int64_t days);
  static CardPredicate neverUsed();
  static CardPredicate stale(std::int64_t days);
  static CardPredicate hasAttachment();
  static CardPredicate hasUnfilledFields();
  static CardPredicate locked();
  // The three composite cases are built from their structs, as in
  // `CardPredicate(CardPredicate::And{{a, b}})`: an empty `And` matches every card, an empty
  // `Or` none.

  const Case& value() const;
  Kind kind() const;

  /// `and` over [this, other], in that order.
  CardPredicate and_(const CardPredicate& other) const;
  /// `or` over [this, other], in that order.
  CardPredicate or_(const CardPredicate& other) const;
  /// `not` over this.
  CardPredicate negated() const;

  /// Ages are real days, (now − last use) / 86,400, a future use counting as 0. `and` and `or`
  /// stop at the first member that decides.
  bool matches(const SearchableCard& card, Date now) const;
  /// The matching cards in input order.
  std::vector<SearchableCard> filter(const std::vector<SearchableCard>& cards, Date now) const;
  std::int64_t count(const std::vector<SearchableCard>& cards, Date now) const;

  /// The short display text, localised.
  std::string name() const;

  /// Writes the keyed form (one key, the case's name) into `json`, replacing what it held.
  void encode(Json& json) const;
  /// Reads the keyed form. Throws `DecodingError`: a type mismatch "Invalid number of keys found,
  /// expected one." for none or several case keys, the reader's own errors for a missing or
  /// ill-typed payload or an unknown card type, anywhere in the tree.
  static CardPredicate decode(const JSONReader& reader);

  friend bool operator==(const CardPredicate& a, const CardPredicate& b);

 private:
  // Whether the node compares or parses the card's texts. `and` and `or` try their other
  // members first: evaluation is pure, so only the cost changes.
  bool readsText() const;
  bool matchesMembers(const std::vector<CardPredicate>& members, const SearchableCard& card,
                      Date now, bool wanted) const;
  friend class FlatCardPredicate;

  std::shared_ptr<const Case> node_;
  bool readsText_ = false;
};

struct CardPredicate::And {
  std::vector<CardPredicate> members;
};
struct CardPredicate::Or {
  std::vector<CardPredicate> members;
};
struct CardPredicate::Not {
  CardPredicate member;
};

inline const CardPredicate::Case& CardPredicate::value() const { return *node_; }
inline CardPredicate::Kind CardPredicate::kind() const { return static_cast<Kind>(node_->index()); }

}  // namespace kelvo

template <>
struct std::hash<kelvo::CardPredicate> {
  /// Agrees with structural, canonical equality.
  size_t operator()(const kelvo::CardPredicate& predicate) const noexcept;
};
