#pragma once

// The JSON of stored documents and of the wire. `json::parse` reads strictly and `json::write`
// writes compactly, as the platform's encoder does, so that what the core writes reads the same
// on every device; dates and identifiers take their agreed forms when assigned. Values are
// built with <nlohmann/json.hpp> and read back with a JSONReader (JSONReader.hpp):
//
//   Json document;
//   document["title"] = "Tax/VAT";
//   document["createdAt"] = Date(700'000'000);
//   const std::string text = json::write(document);  // {"createdAt":700000000,"title":"Tax\/VAT"}
//   const Json back = json::parse(text);  // throws DecodingError for text that is not JSON

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

#include "platform/foundation/Date.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/UUID.hpp"

NLOHMANN_JSON_NAMESPACE_BEGIN
template <typename BasicJsonType>
struct json_sax;
NLOHMANN_JSON_NAMESPACE_END

namespace kelvo {

/// A JSON value whose objects keep their keys sorted: the form of stored documents.
using Json = nlohmann::json;
/// A JSON value whose objects keep their keys in insertion order, for formats that say so.
using OrderedJson = nlohmann::ordered_json;

// The shared value forms, so that `document["createdAt"] = date` writes the agreed form: a date
// is its seconds since 2001, an identifier its upper-case text. Bytes go through
// `base64Encoded`, and an enumeration through its raw value.
void to_json(Json& json, Date date);
void to_json(Json& json, const UUID& id);
void to_json(OrderedJson& json, Date date);
void to_json(OrderedJson& json, const UUID& id);

namespace json {

/// The deepest nesting of arrays and objects a reader accepts.
inline constexpr int maximumDepth = 512;

/// Reads JSON strictly (RFC 8259, UTF-8, no comments). Throws `DecodingError` (data corrupted)
/// for text that is not JSON, nesting deeper than `maximumDepth`, and, unless `allowFragments`,
/// a top-level value that is neither an object nor an array.
Json parse(std::string_view text, bool allowFragments = false);

/// What takes the values of a text one by one as it is read: nlohmann's SAX interface.
using Events = nlohmann::json_sax<Json>;

/// Reads as `parse` does, failing where it fails with the same error, but hands each value to
/// `events` as it is read instead of building a tree, so that a reader holds only what it
/// keeps. A handler that returns false stops the reading, which then returns false. A handler's
/// `parse_error` is never called: failures are thrown.
bool read(std::string_view text, Events& events, bool allowFragments = false);

/// Writes compact JSON as the platform's encoder does: no spaces, "/" escaped as "\/", other
/// characters but quotes, backslashes and controls written as they are, doubles in their
/// shortest round-trip form with whole numbers written without fraction or exponent. A `Json`
/// writes its keys sorted; an `OrderedJson` in insertion order. Text that is not valid UTF-8
/// has U+FFFD in place of its ill-formed bytes. Throws `EncodingError` for a number that is
/// not finite.
std::string write(const Json& value);
std::string write(const OrderedJson& value);

}  // namespace json
}  // namespace kelvo
