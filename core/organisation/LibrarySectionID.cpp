#include "core/organisation/LibrarySectionID.hpp"

#include <nlohmann/json.hpp>

#include "platform/foundation/JSONReader.hpp"

namespace kelvo {

std::optional<UUID> LibrarySectionID::projectID() const {
  if (const auto* project = std::get_if<Project>(&case_)) return project->id;
  return std::nullopt;
}

std::string LibrarySectionID::storageKey() const {
  if (const auto* project = std::get_if<Project>(&case_)) return project->id.uuidString();
  return std::string(unsortedKey);
}

std::optional<LibrarySectionID> LibrarySectionID::fromStorageKey(std::string_view key) {
  if (key == unsortedKey) return unsorted();
  if (const auto id = UUID::parse(key)) return project(*id);
  return std::nullopt;
}

LibrarySectionID LibrarySectionID::decode(const JSONReader& reader) {
  const std::string key = reader.string();
  if (auto section = fromStorageKey(key)) return *section;
  reader.fail(DecodingError::Kind::dataCorrupted,
              key + " is neither a project identifier nor the unsorted pile");
}

LibrarySectionID LibrarySectionID::decode(std::string_view text) {
  const Json document = json::parse(text, /*allowFragments=*/true);
  return decode(JSONReader(document));
}

std::string LibrarySectionID::encoded() const { return json::write(Json(storageKey())); }

void to_json(Json& json, const LibrarySectionID& section) { json = section.storageKey(); }

}  // namespace kelvo

size_t std::hash<kelvo::LibrarySectionID>::operator()(
    const kelvo::LibrarySectionID& section) const noexcept {
  if (const auto id = section.projectID()) return std::hash<kelvo::UUID>{}(*id);
  return 0x9e3779b97f4a7c15ULL;
}
