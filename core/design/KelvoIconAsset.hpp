#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "core/design/RawValue.hpp"

namespace kelvo {

/// The four weights the icon artwork is drawn in.
enum class KelvoIconWeight { regular, bold, fill, duotone };

std::span<const RawValueCase<KelvoIconWeight>> rawValueCases(KelvoIconWeight);

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
