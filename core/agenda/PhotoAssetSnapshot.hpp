#pragma once

// One item of the photo library as the host application describes it to the core; PhotoImport names
// its file after its kind and moment ("Screenshot 2023-03-08 20.26.40.png"):
//
//   const Date taken(700'000'000);  // 2023-03-08 20:26:40 UTC
//   const PhotoAssetSnapshot shot{"A1/L0/001", taken, true, 1170, 2532, "PNG"};
//   const std::string name = PhotoImport::filename(shot, taken, TimeZone::utc());
//   const std::string subtitle = PhotoImport::gridSubtitle(shot);  // "Screenshot · 1170×2532"

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
