#include "core/remote/AuthRecords.hpp"

#include <nlohmann/json.hpp>

#include "core/remote/internal/WireParser.hpp"
#include "platform/foundation/Base64.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::Remote {

void AuthRequest::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  device.encode(json["device"]);
  json["mode"] = rawValue(mode);
  json["proof"] = base64Encoded(proof);
}

AuthRequest AuthRequest::decode(const JSONReader& reader) {
  AuthRequest request;
  request.device = DeviceInfo::decode(reader["device"]);
  request.mode = reader["mode"].rawValue(RawValues<AuthMode>::table, "Remote.AuthMode");
  request.proof = reader["proof"].bytes();
  return request;
}

AuthRequest AuthRequest::decoded(std::string_view json) {
  const Json tree = remote_internal::parseWire(json, remote_internal::authRequestKeys());
  return decode(JSONReader(tree));
}

void AuthResponse::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  json["accepted"] = accepted;
  if (refusal) json["refusal"] = rawValue(*refusal);
  if (token) json["token"] = *token;
  if (host) host->encode(json["host"]);
}

AuthResponse AuthResponse::decode(const JSONReader& reader) {
  AuthResponse response;
  response.accepted = reader["accepted"].boolean();
  if (const auto refusal = reader.optional("refusal")) {
    response.refusal = refusal->rawValue(RawValues<RefusalReason>::table, "Remote.RefusalReason");
  }
  if (const auto token = reader.optional("token")) response.token = token->string();
  if (const auto host = reader.optional("host")) response.host = DeviceInfo::decode(*host);
  return response;
}

AuthResponse AuthResponse::decoded(std::string_view json) {
  const Json tree = remote_internal::parseWire(json, remote_internal::authResponseKeys());
  return decode(JSONReader(tree));
}

bool operator==(const AuthResponse& a, const AuthResponse& b) {
  const bool sameToken = a.token.has_value() == b.token.has_value() &&
                         (!a.token || text::canonicallyEqual(*a.token, *b.token));
  return a.accepted == b.accepted && a.refusal == b.refusal && sameToken && a.host == b.host;
}

}  // namespace kelvo::Remote
