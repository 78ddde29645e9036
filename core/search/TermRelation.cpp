#include "core/search/TermRelation.hpp"

#include <cstddef>
#include <nlohmann/json.hpp>

#include "platform/foundation/JSONReader.hpp"

namespace kelvo {
namespace {

constexpr std::array<double, 4> strengths{1.0, 0.85, 0.7, 0.45};

}  // namespace

double strength(TermRelation relation) {
  const auto index = static_cast<std::size_t>(relation);
  // Only a value cast from outside the enumeration misses the table; it counts for nothing.
  return index < strengths.size() ? strengths[index] : 0.0;
}

void to_json(Json& json, TermRelation relation) { json = std::string(rawValue(relation)); }

TermRelation decodeTermRelation(const JSONReader& reader) {
  return reader.rawValue(RawValues<TermRelation>::table, "TermRelation");
}

}  // namespace kelvo
