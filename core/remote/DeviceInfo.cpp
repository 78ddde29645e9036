#include "core/remote/DeviceInfo.hpp"

#include <nlohmann/json.hpp>

#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::Remote {

void DeviceInfo::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  json["id"] = id;
  json["name"] = name;
  json["kind"] = rawValue(kind);
  json["version"] = version;
}

DeviceInfo DeviceInfo::decode(const JSONReader& reader) {
  DeviceInfo info;
  info.id = reader["id"].uuid();
  info.name = reader["name"].string();
  info.kind = reader["kind"].rawValue(RawValues<DeviceKind>::table, "Remote.DeviceKind");
  info.version = reader["version"].integer();
  return info;
}

bool operator==(const DeviceInfo& a, const DeviceInfo& b) {
  return a.id == b.id && text::canonicallyEqual(a.name, b.name) && a.kind == b.kind &&
         a.version == b.version;
}

}  // namespace kelvo::Remote
