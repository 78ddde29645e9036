#pragma once

#include <cstdint>
#include <string>

#include "core/remote/DeviceKind.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {
class JSONReader;
}

namespace kelvo::Remote {

/// What a device announces about itself in `hello`, `pair`, `resume`, `paired` and the
/// authentication records. Written as {"id","name","kind","version"}, all four required.
struct DeviceInfo {
  UUID id;
  std::string name;
  DeviceKind kind = DeviceKind::iPhone;
  std::int64_t version = 0;

  void encode(OrderedJson& json) const;
  /// Throws `DecodingError`; a missing "version" is a failure, never taken as ours.
  static DeviceInfo decode(const JSONReader& reader);

  /// Names compare by canonical equivalence; versions take part.
  friend bool operator==(const DeviceInfo& a, const DeviceInfo& b);
};

}  // namespace kelvo::Remote
