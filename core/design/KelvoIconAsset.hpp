#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The four weights the icon artwork is drawn in.
enum class KelvoIconWeight { regular, bold, fill, duotone };

template <>
struct RawValues<KelvoIconWeight> {
  static constexpr std::array<std::pair<KelvoIconWeight, std::string_view>, 4> table{{
      {KelvoIconWeight::regular, "regular"},
      {KelvoIconWeight::bold, "bold"},
      {KelvoIconWeight::fill, "fill"},
      {KelvoIconWeight::duotone, "duotone"},
  }};
};

/// "ph-" + glyph, then "-" + weight for every weight but regular ("ph-house-bold").
std::string iconAssetName(std::string_view glyph, KelvoIconWeight weight);

/// One glyph of the artwork at one weight.
struct KelvoIconAsset {
  std::string glyph;
  KelvoIconWeight weight = KelvoIconWeight::regular;

  /// "ph-house", "ph-house-bold", ...
  std::string assetName() const { return iconAssetName(glyph, weight); }
  /// The artwork file: "assets/regular/house.svg", "assets/bold/house-bold.svg", ...
  std::string path() const;

  friend bool operator==(const KelvoIconAsset&, const KelvoIconAsset&) = default;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::KelvoIconAsset> {
  size_t operator()(const kelvo::KelvoIconAsset& asset) const noexcept {
    return std::hash<std::string>{}(asset.glyph) * 31 + static_cast<size_t>(asset.weight);
  }
};
