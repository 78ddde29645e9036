#include "core/design/KelvoIconAsset.hpp"

namespace kelvo {
std::string iconAssetName(std::string_view glyph, KelvoIconWeight weight) {
  std::string name = "ph-";
  name += glyph;
  if (weight != KelvoIconWeight::regular) {
    name += '-';
    name += rawValue(weight);
  }
  return name;
}

std::string KelvoIconAsset::path() const {
  if (weight == KelvoIconWeight::regular) return "assets/regular/" + glyph + ".svg";
  const std::string_view w = rawValue(weight);
  std::string text = "assets/";
  text.append(w).append("/").append(glyph).append("-").append(w).append(".svg");
  return text;
}

}  // namespace kelvo
