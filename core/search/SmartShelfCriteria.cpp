#include "core/search/SmartShelfCriteria.hpp"

#include <nlohmann/json.hpp>

#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/model/SmartShelf.hpp"
#include "core/search/CardFilterPresets.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/SmartShelfScope.hpp"
#include "platform/foundation/Hash.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// A predicate that is a preset shows the preset's icon; others, a telling member's or their own.
KelvoIcon iconAmong(const std::vector<SavedSearch>& presets, const CardPredicate& predicate) {
  using P = CardPredicate;
  for (const SavedSearch& preset : presets) {
    if (preset.predicate() == predicate) return preset.icon();
  }
  const auto firstTelling = [&](const std::vector<P>& members) {
    for (const P& member : members) {
      const KelvoIcon found = iconAmong(presets, member);
      if (found != KelvoIcon::smartShelf) return found;
    }
    return KelvoIcon::smartShelf;
  };
  const P::Case& node = predicate.value();
  if (const auto* type = std::get_if<P::Type>(&node)) return icon(type->type);
  if (const auto* all = std::get_if<P::And>(&node)) return firstTelling(all->members);
  if (const auto* any = std::get_if<P::Or>(&node)) return firstTelling(any->members);
  if (std::holds_alternative<P::Shelf>(node) || std::holds_alternative<P::Project>(node)) {
    return KelvoIcon::project;
  }
  if (std::holds_alternative<P::UsedWithin>(node)) return KelvoIcon::recentlyUsed;
  if (std::holds_alternative<P::Stale>(node)) return KelvoIcon::stale;
  if (std::holds_alternative<P::NeverUsed>(node)) return KelvoIcon::neverUsed;
  if (std::holds_alternative<P::HasAttachment>(node)) return KelvoIcon::fileCard;
  if (std::holds_alternative<P::HasUnfilledFields>(node)) return KelvoIcon::variables;
  return KelvoIcon::smartShelf;  // all, not, locked
}

SmartShelfCriteria read(const JSONReader& reader) {
  const std::int64_t version = reader["version"].integer();
  std::optional<std::string> query;
  if (const auto value = reader.optional("query")) query = value->string();
  CardPredicate predicate = CardPredicate::decode(reader["predicate"]);
  const CardSort sort = reader["sort"].rawValue(RawValues<CardSort>::table, "CardSort");
  SmartShelfCriteria criteria(version, std::move(query), std::move(predicate), sort);
  if (const auto value = reader.optional("systemImage"))
    criteria.legacySymbolName = value->string();
  return criteria;
}

}  // namespace

SmartShelfCriteria::SmartShelfCriteria(std::int64_t formatVersion,
                                       std::optional<std::string> queryText, CardPredicate filter,
                                       CardSort order)
    : version(formatVersion),
      query(std::move(queryText)),
      predicate(std::move(filter)),
      sort(order) {}

SmartShelfCriteria::SmartShelfCriteria(const SavedSearch& search)
    : SmartShelfCriteria(currentVersion, search.query(), search.predicate(), search.sort()) {}

std::optional<std::string> SmartShelfCriteria::encoded() const {
  Json json = Json::object();
  predicate.encode(json["predicate"]);
  if (query) json["query"] = *query;
  json["sort"] = std::string(rawValue(sort));
  json["systemImage"] = legacySymbolName;
  json["version"] = version;
  try {
    return json::write(json);
  } catch (const EncodingError&) {
    return std::nullopt;
  }
}

std::optional<SmartShelfCriteria> SmartShelfCriteria::decode(std::string_view text) {
  if (text.empty()) return std::nullopt;
  try {
    const Json json = json::parse(text);
    SmartShelfCriteria criteria = read(JSONReader(json));
    if (criteria.version > currentVersion) return std::nullopt;
    return criteria;
  } catch (const DecodingError&) {
    return std::nullopt;
  }
}

bool SmartShelfCriteria::hasQuery() const {
  return query && !SearchIndex::tokenize(*query).empty();
}

KelvoIcon SmartShelfCriteria::icon() const {
  const SmartShelfScope scope = SmartShelfScope::decompose(predicate);
  if (!std::holds_alternative<CardPredicate::All>(scope.predicate.value())) {
    return icon(scope.predicate);
  }
  if (hasQuery()) return KelvoIcon::search;
  return scope.projectName ? KelvoIcon::project : KelvoIcon::smartShelf;
}

KelvoIcon SmartShelfCriteria::icon(const CardPredicate& predicate) {
  // Only the presets' predicates and icons are read, which never change: built once.
  static const std::vector<SavedSearch> presets = CardFilterPresets::all();
  return iconAmong(presets, predicate);
}

bool operator==(const SmartShelfCriteria& a, const SmartShelfCriteria& b) {
  if (a.version != b.version || a.sort != b.sort || a.query.has_value() != b.query.has_value()) {
    return false;
  }
  if (a.query && !text::canonicallyEqual(*a.query, *b.query)) return false;
  return text::canonicallyEqual(a.legacySymbolName, b.legacySymbolName) &&
         a.predicate == b.predicate;
}

std::optional<SmartShelfCriteria> criteria(const SmartShelf& shelf) {
  return SmartShelfCriteria::decode(shelf.criteriaJSON());
}

bool isUnreadable(const SmartShelf& shelf) { return !criteria(shelf); }

std::optional<SavedSearch> definition(const SmartShelf& shelf) {
  const auto read = criteria(shelf);
  if (!read) return std::nullopt;
  return SavedSearch(shelf.id(), shelf.name(), read->query, read->predicate, read->sort,
                     read->icon());
}

std::shared_ptr<SmartShelf> makeSmartShelf(const UUID& id, std::string name, std::int64_t sortIndex,
                                           Date createdAt, const SmartShelfCriteria& criteria) {
  return SmartShelf::make(id, std::move(name), sortIndex, createdAt,
                          criteria.encoded().value_or(""));
}

}  // namespace kelvo

size_t std::hash<kelvo::SmartShelfCriteria>::operator()(
    const kelvo::SmartShelfCriteria& criteria) const noexcept {
  std::size_t seed = std::hash<std::int64_t>{}(criteria.version);
  const auto combine = [&](std::size_t value) { kelvo::hashCombine(seed, value); };
  combine(criteria.query ? kelvo::text::canonicalHash(*criteria.query) : 0x51);
  combine(std::hash<kelvo::CardPredicate>{}(criteria.predicate));
  combine(static_cast<std::size_t>(criteria.sort));
  combine(kelvo::text::canonicalHash(criteria.legacySymbolName));
  return seed;
}
