#pragma once

// One item of the photo library as the host application describes it to the core.
//
//   const PhotoAssetSnapshot shot{"A1/L0/001", createdAt, true, 1170, 2532, "png"};
//   const auto name = PhotoImport::filename(shot, now, TimeZone::current());

#include <cstdint>
#include <optional>
#include <string>

#include "platform/foundation/Date.hpp"

namespace kelvo {

struct PhotoAssetSnapshot {
  /// The item's identifier in the photo library.
  std::string id;
  /// When the picture was taken or made.
  std::optional<Date> createdAt;
  bool isScreenshot = false;
  /// 0 or less when the library gave no size.
  std::int64_t pixelWidth = 0;
  std::int64_t pixelHeight = 0;
  /// The file-name extension the library proposes for the item's data.
  std::optional<std::string> preferredExtension;

  bool hasDimensions() const { return pixelWidth > 0 && pixelHeight > 0; }

  friend bool operator==(const PhotoAssetSnapshot&, const PhotoAssetSnapshot&) = default;
};

}  // namespace kelvo
