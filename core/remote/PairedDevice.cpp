#include "core/remote/PairedDevice.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/remote/Remote.hpp"
#include "core/remote/internal/Coding.hpp"
#include "platform/crypto/Random.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/foundation/Hex.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace kelvo::Remote {
namespace {

constexpr std::size_t tokenLength = 64;

bool isTokenForm(std::string_view token) {
  return token.size() == tokenLength && std::all_of(token.begin(), token.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

}  // namespace

std::string PairedDevice::newToken() {
  Bytes bytes(tokenLength / 2);
  crypto::fillRandom(bytes);
  return hexString(bytes);
}

Bytes PairedDevice::preSharedKey() const {
  std::string input = token;
  input += '\x1F';
  input += "resume";
  input += '\x1F';
  input += serviceType;
  const auto digest = crypto::SHA256::hash(input);
  return Bytes(digest.begin(), digest.end());
}

bool PairedDevice::tokenMatches(std::string_view candidate) const {
  // Both checks always run, so the time says nothing about which failed.
  const bool wellFormed = isTokenForm(token);
  const bool equal = crypto::constantTimeEquals(asBytes(token), asBytes(candidate));
  return wellFormed & equal;
}

void PairedDevice::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  json["id"] = id;
  json["name"] = name;
  json["kind"] = rawValue(kind);
  json["pairedAt"] = pairedAt;
  if (lastSeenAt) json["lastSeenAt"] = *lastSeenAt;
  json["token"] = token;
}

PairedDevice PairedDevice::decode(const JSONReader& reader) {
  PairedDevice device;
  device.id = reader["id"].uuid();
  device.name = reader["name"].string();
  device.kind = reader["kind"].rawValue(RawValues<DeviceKind>::table, "Remote.DeviceKind");
  device.pairedAt = reader["pairedAt"].date();
  if (const auto seen = reader.optional("lastSeenAt")) device.lastSeenAt = seen->date();
  device.token = reader["token"].string();
  // This system writes only tokens of that form; any other, and above all an empty one, would
  // give a key anyone can compute, so the record is refused before a resume can use it.
  if (!isTokenForm(device.token)) {
    reader["token"].fail(DecodingError::Kind::dataCorrupted,
                         "The resume token is not 64 lower-case hexadecimal digits.");
  }
  return device;
}

std::string PairedDevice::encoded() const {
  OrderedJson json;
  encode(json);
  return json::write(json);
}

PairedDevice PairedDevice::decoded(std::string_view text) {
  const Json json = json::parse(text);
  return decode(JSONReader(json));
}

bool operator==(const PairedDevice& a, const PairedDevice& b) {
  return a.id == b.id && remote_internal::sameText(a.name, b.name) && a.kind == b.kind &&
         a.pairedAt == b.pairedAt && a.lastSeenAt == b.lastSeenAt &&
         crypto::constantTimeEquals(asBytes(a.token), asBytes(b.token));
}

}  // namespace kelvo::Remote
