#include "core/search/SavedSearch.hpp"

#include <nlohmann/json.hpp>

#include "platform/foundation/Hash.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Overloaded.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  if (!a || !b) return !a && !b;
  return text::canonicallyEqual(*a, *b);
}

}  // namespace

SavedSearch::SavedSearch(UUID id, std::string name, std::optional<std::string> query,
                         CardPredicate predicate, CardSort sort, KelvoIcon icon)
    : SavedSearch(id, std::move(name), std::move(query), std::move(predicate), sort,
                  std::optional<KelvoIcon>(icon)) {}

SavedSearch::SavedSearch(UUID id, std::string name, std::optional<std::string> query,
                         CardPredicate predicate, CardSort sort,
                         std::optional<KelvoIcon> storedIcon)
    : id_(id),
      name_(std::move(name)),
      query_(std::move(query)),
      predicate_(std::move(predicate)),
      sort_(sort),
      storedIcon_(storedIcon) {}

std::vector<SearchableCard> SavedSearch::apply(const std::vector<SearchableCard>& cards,
                                               Date now) const {
  return sorted(sort_, predicate_.filter(cards, now));
}

std::string SavedSearch::emptyStateMessage() const {
  using P = CardPredicate;
  return std::visit(
      Overloaded{
          [](const P::Project& c) {
            return "Nothing is filed in " + c.name +
                   " yet. Drag a card onto one of its shelves, or add a shelf inside it.";
          },
          [](const P::Stale&) -> std::string {
            return "Nothing has gone stale. Every card has been used recently.";
          },
          [](const P::NeverUsed&) -> std::string {
            return "Every card here has been used at least once.";
          },
          [](const P::HasAttachment&) -> std::string {
            return "No images, files or documents yet. Drop one in to keep it here.";
          },
          [](const P::HasUnfilledFields&) -> std::string {
            return "No templates are waiting on fields.";
          },
          [](const P::Locked&) -> std::string {
            return "Kelvo no longer locks cards, so this shelf stays empty. Edit it to match "
                   "something else.";
          },
          [](const auto&) -> std::string { return "Nothing matches this filter yet."; },
      },
      predicate_.value());
}

void SavedSearch::encode(Json& json) const {
  json = Json::object();
  json["id"] = id_;
  json["name"] = name_;
  if (query_) json["query"] = *query_;
  predicate_.encode(json["predicate"]);
  json["sort"] = std::string(rawValue(sort_));
  if (storedIcon_) json["storedIcon"] = std::string(rawValue(*storedIcon_));
}

SavedSearch SavedSearch::decode(const JSONReader& reader) {
  // Read in a fixed order, so that a form with several faults always reports the same one.
  UUID id = reader["id"].uuid();
  std::string name = reader["name"].string();
  std::optional<std::string> query;
  if (const auto value = reader.optional("query")) query = value->string();
  CardPredicate predicate = CardPredicate::decode(reader["predicate"]);
  const CardSort sort = reader["sort"].rawValue(RawValues<CardSort>::table, "CardSort");
  std::optional<KelvoIcon> icon;
  if (const auto value = reader.optional("storedIcon")) {
    icon = value->rawValue(RawValues<KelvoIcon>::table, "KelvoIcon");
  }
  return SavedSearch(id, std::move(name), std::move(query), std::move(predicate), sort, icon);
}

std::string SavedSearch::encoded() const {
  Json json;
  encode(json);
  return json::write(json);
}

SavedSearch SavedSearch::decoded(std::string_view text) {
  const Json json = json::parse(text);
  return decode(JSONReader(json));
}

bool operator==(const SavedSearch& a, const SavedSearch& b) {
  return a.id_ == b.id_ && a.sort_ == b.sort_ && a.storedIcon_ == b.storedIcon_ &&
         text::canonicallyEqual(a.name_, b.name_) && sameText(a.query_, b.query_) &&
         a.predicate_ == b.predicate_;
}

}  // namespace kelvo

size_t std::hash<kelvo::SavedSearch>::operator()(const kelvo::SavedSearch& search) const noexcept {
  std::size_t seed = std::hash<kelvo::UUID>{}(search.id_);
  kelvo::hashCombine(seed, kelvo::text::canonicalHash(search.name_));
  kelvo::hashCombine(seed, search.query_ ? kelvo::text::canonicalHash(*search.query_) : 0x51);
  kelvo::hashCombine(seed, std::hash<kelvo::CardPredicate>{}(search.predicate_));
  kelvo::hashCombine(seed, static_cast<std::size_t>(search.sort_));
  kelvo::hashCombine(seed,
                     search.storedIcon_ ? static_cast<std::size_t>(*search.storedIcon_) : 0xFFFF);
  return seed;
}
