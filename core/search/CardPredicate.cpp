#include "core/search/CardPredicate.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include <nlohmann/json.hpp>

#include "platform/foundation/Error.hpp"
#include "platform/foundation/Hash.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Overloaded.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// The case names of the keyed form, in the order of the variant's alternatives.
constexpr std::array<std::string_view, 13> caseNames = {
    "all",     "type",          "shelf",
    "project", "usedWithin",    "neverUsed",
    "stale",   "hasAttachment", "hasUnfilledFields",
    "locked",  "and",           "or",
    "not"};
static_assert(caseNames.size() == std::variant_size_v<CardPredicate::Case>);

using Kind = CardPredicate::Kind;
template <Kind kind, class C>
constexpr bool isKindOf = variantIndex<CardPredicate::Case, C> == static_cast<std::size_t>(kind);
static_assert(isKindOf<Kind::all, CardPredicate::All> &&
              isKindOf<Kind::type, CardPredicate::Type> &&
              isKindOf<Kind::shelf, CardPredicate::Shelf> &&
              isKindOf<Kind::project, CardPredicate::Project> &&
              isKindOf<Kind::usedWithin, CardPredicate::UsedWithin> &&
              isKindOf<Kind::neverUsed, CardPredicate::NeverUsed> &&
              isKindOf<Kind::stale, CardPredicate::Stale> &&
              isKindOf<Kind::hasAttachment, CardPredicate::HasAttachment> &&
              isKindOf<Kind::hasUnfilledFields, CardPredicate::HasUnfilledFields> &&
              isKindOf<Kind::locked, CardPredicate::Locked> &&
              isKindOf<Kind::and_, CardPredicate::And> && isKindOf<Kind::or_, CardPredicate::Or> &&
              isKindOf<Kind::not_, CardPredicate::Not> &&
              std::variant_size_v<CardPredicate::Case> == std::size_t(Kind::not_) + 1);

constexpr double secondsPerDay = 86'400;

// Real days since the card's last use, a future use counting as 0. NaN for a card never used
// and for a date that is not a number, which no age test matches. No optional on the way: one
// went through memory, a stall on every card of a pass.
double daysSinceUse(const SearchableCard& card, Date now) {
  if (!card.lastUsedAt()) return std::numeric_limits<double>::quiet_NaN();
  return std::max(now - *card.lastUsedAt(), 0.0) / secondsPerDay;
}

// The same, none for NaN.
std::optional<double> elapsedDays(const SearchableCard& card, Date now) {
  const double days = daysSinceUse(card, now);
  if (std::isnan(days)) return std::nullopt;
  return days;
}

bool sameName(std::string_view card, std::string_view wanted) {
  return text::localizedCaseInsensitiveCompare(card, wanted) == std::weak_ordering::equivalent;
}

// Reading the content as a template is the one costly test; without a "{" it names no blank.
// Kept out of the evaluation loop, which it would crowd.
[[gnu::noinline]] bool hasUnfilledFields(const SearchableCard& card) {
  return card.type() == CardType::text && card.content().find('{') != std::string::npos &&
         card.hasVariables();
}

std::string joinedNames(const std::vector<CardPredicate>& members, std::string_view separator) {
  std::string joined;
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (i > 0) joined += separator;
    joined += members[i].name();
  }
  return joined;
}

std::string usedWithinName(std::int64_t days) {
  if (days <= 0) return localized("Used today");
  if (days == 1) return localized("Used since yesterday");
  if (days <= 7) return localized("Used this week");
  if (days <= 31) return localized("Used this month");
  return localized("Used in the last %lld days", days);
}

bool sameMembers(const std::vector<CardPredicate>& a, const std::vector<CardPredicate>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace

CardPredicate::CardPredicate() : CardPredicate(All{}) {}

CardPredicate CardPredicate::type(CardType type) { return Type{type}; }
CardPredicate CardPredicate::shelf(std::string name) { return Shelf{std::move(name)}; }
CardPredicate CardPredicate::project(std::string name) { return Project{std::move(name)}; }
CardPredicate CardPredicate::usedWithin(std::int64_t days) { return UsedWithin{days}; }
CardPredicate CardPredicate::neverUsed() { return NeverUsed{}; }
CardPredicate CardPredicate::stale(std::int64_t days) { return Stale{days}; }
CardPredicate CardPredicate::hasAttachment() { return HasAttachment{}; }
CardPredicate CardPredicate::hasUnfilledFields() { return HasUnfilledFields{}; }
CardPredicate CardPredicate::locked() { return Locked{}; }

CardPredicate CardPredicate::and_(const CardPredicate& other) const { return And{{*this, other}}; }
CardPredicate CardPredicate::or_(const CardPredicate& other) const { return Or{{*this, other}}; }
CardPredicate CardPredicate::negated() const { return Not{*this}; }

bool CardPredicate::matches(const SearchableCard& card, Date now) const {
  // A switch over the case rather than a visit: this runs once per card and node, and the
  // compiler inlines it.
  const Case& node = value();
  switch (kind()) {
    case Kind::all:
      return true;
    case Kind::type:
      return card.type() == std::get_if<Type>(&node)->type;
    case Kind::shelf:
      return sameName(card.shelfName(), std::get_if<Shelf>(&node)->name);
    case Kind::project:
      return sameName(card.projectName(), std::get_if<Project>(&node)->name);
    case Kind::usedWithin: {
      const auto days = elapsedDays(card, now);
      return days && *days <= static_cast<double>(std::get_if<UsedWithin>(&node)->days);
    }
    case Kind::neverUsed:
      return card.useCount() == 0 && !card.lastUsedAt();
    case Kind::stale: {
      const auto days = elapsedDays(card, now);
      return days && *days > static_cast<double>(std::get_if<Stale>(&node)->days);
    }
    case Kind::hasAttachment:
      return carriesBytes(card.type());
    case Kind::hasUnfilledFields:
      return kelvo::hasUnfilledFields(card);
    case Kind::locked:
      return false;
    case Kind::and_:
      return !matchesMembers(std::get_if<And>(&node)->members, card, now, false);
    case Kind::or_:
      return matchesMembers(std::get_if<Or>(&node)->members, card, now, true);
    case Kind::not_:
      return !std::get_if<Not>(&node)->member.matches(card, now);
  }
  fatal("a card predicate of no known case");
}

// Whether some member's answer is `wanted`, trying the members that read only fields first.
bool CardPredicate::matchesMembers(const std::vector<CardPredicate>& members,
                                   const SearchableCard& card, Date now, bool wanted) const {
  for (const bool costly : {false, true}) {
    if (costly && !readsText_) break;
    for (const CardPredicate& member : members) {
      if (member.readsText_ == costly && member.matches(card, now) == wanted) return true;
    }
  }
  return false;
}

bool CardPredicate::readsText() const {
  const auto anyReads = [](const std::vector<CardPredicate>& members) {
    return std::any_of(members.begin(), members.end(),
                       [](const CardPredicate& member) { return member.readsText_; });
  };
  const Case& node = value();
  if (std::holds_alternative<Shelf>(node) || std::holds_alternative<Project>(node) ||
      std::holds_alternative<HasUnfilledFields>(node)) {
    return true;
  }
  if (const auto* all = std::get_if<And>(&node)) return anyReads(all->members);
  if (const auto* any = std::get_if<Or>(&node)) return anyReads(any->members);
  if (const auto* inverse = std::get_if<Not>(&node)) return inverse->member.readsText_;
  return false;
}

// A predicate laid out flat for a pass over many cards: one step per node, in depth-first
// order with each composite's fields-only members first (the order `matches` tries them), so
// that evaluating reads a small array instead of following shared nodes through the variant.
class FlatCardPredicate {
 public:
  explicit FlatCardPredicate(const CardPredicate& root) { append(root); }

  bool matches(const SearchableCard& card, Date now) const {
    return evaluate(0, card, daysSinceUse(card, now));
  }

 private:
  struct Step {
    Kind kind;
    std::uint32_t end;  // the step after this node's members
    CardType type;
    double days;
    const std::string* name;
  };

  void append(const CardPredicate& predicate) {
    const CardPredicate::Case& node = predicate.value();
    const std::size_t at = steps_.size();
    steps_.push_back({predicate.kind(), 0, CardType::text, 0, nullptr});
    if (const auto* c = std::get_if<CardPredicate::Type>(&node)) steps_[at].type = c->type;
    if (const auto* c = std::get_if<CardPredicate::Shelf>(&node)) steps_[at].name = &c->name;
    if (const auto* c = std::get_if<CardPredicate::Project>(&node)) steps_[at].name = &c->name;
    if (const auto* c = std::get_if<CardPredicate::UsedWithin>(&node)) {
      steps_[at].days = static_cast<double>(c->days);
    }
    if (const auto* c = std::get_if<CardPredicate::Stale>(&node)) {
      steps_[at].days = static_cast<double>(c->days);
    }
    if (const auto* c = std::get_if<CardPredicate::And>(&node)) appendMembers(c->members);
    if (const auto* c = std::get_if<CardPredicate::Or>(&node)) appendMembers(c->members);
    if (const auto* c = std::get_if<CardPredicate::Not>(&node)) append(c->member);
    steps_[at].end = static_cast<std::uint32_t>(steps_.size());
  }

  void appendMembers(const std::vector<CardPredicate>& members) {
    for (const bool costly : {false, true}) {
      for (const CardPredicate& member : members) {
        if (member.readsText_ == costly) append(member);
      }
    }
  }

  bool evaluate(std::uint32_t at, const SearchableCard& card, double age) const {
    const Step& step = steps_[at];
    switch (step.kind) {
      case Kind::all:
        return true;
      case Kind::type:
        return card.type() == step.type;
      case Kind::shelf:
        return sameName(card.shelfName(), *step.name);
      case Kind::project:
        return sameName(card.projectName(), *step.name);
      case Kind::usedWithin:
        return age <= step.days;
      case Kind::neverUsed:
        return card.useCount() == 0 && !card.lastUsedAt();
      case Kind::stale:
        return age > step.days;
      case Kind::hasAttachment:
        return carriesBytes(card.type());
      case Kind::hasUnfilledFields:
        return kelvo::hasUnfilledFields(card);
      case Kind::locked:
        return false;
      case Kind::and_:
        return !anyMember(at, card, age, false);
      case Kind::or_:
        return anyMember(at, card, age, true);
      case Kind::not_:
        return !evaluate(at + 1, card, age);
    }
    fatal("a card predicate step of no known case");
  }

  bool anyMember(std::uint32_t at, const SearchableCard& card, double age, bool wanted) const {
    for (std::uint32_t member = at + 1; member < steps_[at].end; member = steps_[member].end) {
      if (evaluate(member, card, age) == wanted) return true;
    }
    return false;
  }

  std::vector<Step> steps_;
};

// How many cards ahead the loops below ask for a card's body: enough to overlap the misses.
constexpr std::size_t prefetchDistance = 16;

std::vector<SearchableCard> CardPredicate::filter(const std::vector<SearchableCard>& cards,
                                                  Date now) const {
  const FlatCardPredicate flat(*this);
  std::vector<SearchableCard> kept;
  kept.reserve(cards.size());
  for (std::size_t i = 0; i < cards.size(); ++i) {
    if (i + prefetchDistance < cards.size()) cards[i + prefetchDistance].prefetch();
    if (flat.matches(cards[i], now)) kept.push_back(cards[i]);
  }
  kept.shrink_to_fit();
  return kept;
}

std::int64_t CardPredicate::count(const std::vector<SearchableCard>& cards, Date now) const {
  const FlatCardPredicate flat(*this);
  std::int64_t matched = 0;
  for (std::size_t i = 0; i < cards.size(); ++i) {
    if (i + prefetchDistance < cards.size()) cards[i + prefetchDistance].prefetch();
    matched += flat.matches(cards[i], now) ? 1 : 0;
  }
  return matched;
}

std::string CardPredicate::name() const {
  return std::visit(
      Overloaded{
          [](const All&) { return localized("All cards"); },
          [](const Type& c) { return pluralLabel(c.type); },
          [](const Shelf& c) { return c.name; },
          [](const Project& c) { return localized("In %@", c.name); },
          [](const UsedWithin& c) { return usedWithinName(c.days); },
          [](const NeverUsed&) { return localized("Never used"); },
          [](const Stale& c) { return localized("Stale (%lld days)", c.days); },
          [](const HasAttachment&) { return localized("Has a file"); },
          [](const HasUnfilledFields&) { return localized("Has unfilled fields"); },
          [](const Locked&) { return localized("Locked"); },
          [](const And& c) { return joinedNames(c.members, " + "); },
          [](const Or& c) { return joinedNames(c.members, localized(" or ")); },
          [](const Not& c) { return localized("Not %@", text::lowercased(c.member.name())); },
      },
      value());
}

void CardPredicate::encode(Json& json) const {
  Json payload = Json::object();
  const auto encodeMembers = [&](const std::vector<CardPredicate>& members) {
    Json& list = payload["_0"] = Json::array();
    for (const CardPredicate& member : members) member.encode(list.emplace_back());
  };
  std::visit(Overloaded{
                 [&](const Type& c) { payload["_0"] = std::string(rawValue(c.type)); },
                 [&](const Shelf& c) { payload["_0"] = c.name; },
                 [&](const Project& c) { payload["_0"] = c.name; },
                 [&](const UsedWithin& c) { payload["days"] = c.days; },
                 [&](const Stale& c) { payload["days"] = c.days; },
                 [&](const And& c) { encodeMembers(c.members); },
                 [&](const Or& c) { encodeMembers(c.members); },
                 [&](const Not& c) { c.member.encode(payload["_0"]); },
                 [](const auto&) {},
             },
             value());
  json = Json::object();
  json[std::string(caseNames[value().index()])] = std::move(payload);
}

CardPredicate CardPredicate::decode(const JSONReader& reader) {
  const JSONCase chosen = reader.singleKeyCase(caseNames, "CardPredicate");
  const JSONReader& payload = chosen.payload;
  const auto index = static_cast<std::size_t>(
      std::find(caseNames.begin(), caseNames.end(), chosen.name) - caseNames.begin());
  const auto members = [&] { return payload["_0"].map(&CardPredicate::decode); };
  // The indices of `caseNames`, which follow the variant.
  switch (static_cast<Kind>(index)) {
    case Kind::all:
      return All{};
    case Kind::type:
      return Type{payload["_0"].rawValue(RawValues<CardType>::table, "CardType")};
    case Kind::shelf:
      return Shelf{payload["_0"].string()};
    case Kind::project:
      return Project{payload["_0"].string()};
    case Kind::usedWithin:
      return UsedWithin{payload["days"].integer()};
    case Kind::neverUsed:
      return NeverUsed{};
    case Kind::stale:
      return Stale{payload["days"].integer()};
    case Kind::hasAttachment:
      return HasAttachment{};
    case Kind::hasUnfilledFields:
      return HasUnfilledFields{};
    case Kind::locked:
      return Locked{};
    case Kind::and_:
      return And{members()};
    case Kind::or_:
      return Or{members()};
    case Kind::not_:
      return Not{decode(payload["_0"])};
  }
  fatal("a card predicate of no known case");
}

bool operator==(const CardPredicate& a, const CardPredicate& b) {
  if (a.node_ == b.node_) return true;
  if (a.value().index() != b.value().index()) return false;
  using P = CardPredicate;
  return std::visit(
      Overloaded{
          [&](const P::Type& c) { return c.type == std::get<P::Type>(b.value()).type; },
          [&](const P::Shelf& c) {
            return text::canonicallyEqual(c.name, std::get<P::Shelf>(b.value()).name);
          },
          [&](const P::Project& c) {
            return text::canonicallyEqual(c.name, std::get<P::Project>(b.value()).name);
          },
          [&](const P::UsedWithin& c) { return c.days == std::get<P::UsedWithin>(b.value()).days; },
          [&](const P::Stale& c) { return c.days == std::get<P::Stale>(b.value()).days; },
          [&](const P::And& c) {
            return sameMembers(c.members, std::get<P::And>(b.value()).members);
          },
          [&](const P::Or& c) {
            return sameMembers(c.members, std::get<P::Or>(b.value()).members);
          },
          [&](const P::Not& c) { return c.member == std::get<P::Not>(b.value()).member; },
          [](const auto&) { return true; },
      },
      a.value());
}

}  // namespace kelvo

size_t std::hash<kelvo::CardPredicate>::operator()(
    const kelvo::CardPredicate& predicate) const noexcept {
  using P = kelvo::CardPredicate;
  std::size_t seed = predicate.value().index();
  const auto hashMembers = [&](const std::vector<P>& members) {
    kelvo::hashCombine(seed, members.size());
    for (const P& member : members) kelvo::hashCombine(seed, (*this)(member));
  };
  std::visit(
      kelvo::Overloaded{
          [&](const P::Type& c) { kelvo::hashCombine(seed, static_cast<std::size_t>(c.type)); },
          [&](const P::Shelf& c) { kelvo::hashCombine(seed, kelvo::text::canonicalHash(c.name)); },
          [&](const P::Project& c) {
            kelvo::hashCombine(seed, kelvo::text::canonicalHash(c.name));
          },
          [&](const P::UsedWithin& c) {
            kelvo::hashCombine(seed, std::hash<std::int64_t>{}(c.days));
          },
          [&](const P::Stale& c) { kelvo::hashCombine(seed, std::hash<std::int64_t>{}(c.days)); },
          [&](const P::And& c) { hashMembers(c.members); },
          [&](const P::Or& c) { hashMembers(c.members); },
          [&](const P::Not& c) { kelvo::hashCombine(seed, (*this)(c.member)); },
          [](const auto&) {},
      },
      predicate.value());
  return seed;
}
