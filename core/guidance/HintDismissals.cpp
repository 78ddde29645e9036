#include "core/guidance/HintDismissals.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/guidance/HintCatalogue.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace kelvo {

HintDismissals::HintDismissals(std::initializer_list<HintID> ids) {
  for (HintID id : ids) insert(id);
}

HintDismissals::HintDismissals(const std::set<HintID>& ids) {
  for (HintID id : ids) insert(id);
}

bool HintDismissals::contains(HintID id) const {
  return rawIDs_.find(rawValue(id)) != rawIDs_.end();
}

void HintDismissals::insert(HintID id) { rawIDs_.emplace(rawValue(id)); }

bool HintDismissals::hasDismissedEverything(HintScreen screen) const {
  const auto& hints = HintCatalogue::hints(screen);
  return std::all_of(hints.begin(), hints.end(),
                     [&](const Hint& hint) { return contains(hint.id); });
}

Bytes HintDismissals::encoded() const {
  // The set already iterates in byte order.
  Json array = Json::array();
  for (const std::string& raw : rawIDs_) array.push_back(raw);
  return toBytes(json::write(array));
}

HintDismissals HintDismissals::decoded(std::string_view bytes) {
  const Json document = json::parse(bytes, /*allowFragments=*/true);
  const JSONReader reader(document);
  RawIDs rawIDs;
  for (const JSONReader& element : reader.elements()) rawIDs.insert(element.string());
  return HintDismissals(std::move(rawIDs));
}

}  // namespace kelvo
