#include "core/organisation/CardOrder.hpp"

#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>
#include <utility>

#include "platform/foundation/JSONReader.hpp"

namespace kelvo {

std::optional<std::size_t> CardOrder::position(const UUID& card,
                                               const LibrarySectionID& section) const {
  const auto entry = sections_.find(section.storageKey());
  if (entry == sections_.end()) return std::nullopt;
  const auto& list = entry->second;
  const auto found = std::find(list.begin(), list.end(), card);
  if (found == list.end()) return std::nullopt;
  return static_cast<std::size_t>(found - list.begin());
}

void CardOrder::move(const UUID& card, const LibrarySectionID& section,
                     const std::optional<UUID>& anchor) {
  auto& list = sections_[section.storageKey()];
  std::erase(list, card);
  auto at = list.end();
  if (anchor) at = std::find(list.begin(), list.end(), *anchor);
  list.insert(at, card);
}

void CardOrder::moveToEnd(const UUID& card, const LibrarySectionID& section) {
  move(card, section, std::nullopt);
}

void CardOrder::remove(const UUID& card, const LibrarySectionID& section) {
  const auto entry = sections_.find(section.storageKey());
  if (entry == sections_.end()) return;
  std::erase(entry->second, card);
  if (entry->second.empty()) sections_.erase(entry);
}

void CardOrder::remove(const UUID& card, std::span<const LibrarySectionID> sections) {
  for (const LibrarySectionID& section : sections) remove(card, section);
}

void CardOrder::prune(const std::unordered_set<UUID>& keeping) {
  for (auto entry = sections_.begin(); entry != sections_.end();) {
    std::erase_if(entry->second, [&](const UUID& card) { return !keeping.contains(card); });
    entry = entry->second.empty() ? sections_.erase(entry) : std::next(entry);
  }
}

CardOrder::Ranks CardOrder::ranks(const LibrarySectionID& section) const {
  Ranks ranks;
  const auto entry = sections_.find(section.storageKey());
  if (entry == sections_.end()) return ranks;
  const auto& list = entry->second;
  ranks.reserve(list.size());
  for (std::size_t index = 0; index < list.size(); ++index) {
    ranks.try_emplace(list[index], static_cast<std::int64_t>(index));
  }
  return ranks;
}

CardOrder CardOrder::decode(const JSONReader& reader) {
  if (!reader.json().is_object()) {
    reader.fail(DecodingError::Kind::typeMismatch,
                "Expected to decode Dictionary<String, Array<UUID>> but found another value "
                "instead.",
                "Dictionary<String, Array<UUID>>");
  }
  CardOrder order;
  for (const auto& [key, value] : reader.json().items()) {
    auto path = reader.codingPath();
    path.push_back(key);
    auto list = JSONReader(value, std::move(path)).map([](const JSONReader& element) {
      return element.uuid();
    });
    if (!list.empty()) order.sections_.emplace(key, std::move(list));
  }
  return order;
}

CardOrder CardOrder::decode(std::string_view text) {
  const Json document = json::parse(text);
  return decode(JSONReader(document));
}

std::string CardOrder::encoded() const {
  Json document;
  to_json(document, *this);
  return json::write(document);
}

void to_json(Json& json, const CardOrder& order) {
  json = Json::object();
  for (const auto& [key, list] : order.sections()) {
    Json cards = Json::array();
    for (const UUID& card : list) cards.push_back(card.uuidString());
    json[key] = std::move(cards);
  }
}

}  // namespace kelvo
