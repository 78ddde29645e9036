#pragma once

// The soft coloured wash behind the tour's pages: radial layers over the grouped surface, and the
// brightest colour they give the background:
//
//   std::vector<double> radii;
//   for (const auto& layer : OnboardingWash::layers(KelvoTheme::Appearance::light))
//     radii.push_back(OnboardingWash::radius(390, 844, layer));  // a share of the longer side

#include <vector>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoTheme.hpp"
#include "core/design/SRGB.hpp"

namespace kelvo {

struct OnboardingWash {
  /// One radial colour layer.
  class Layer {
   public:
    /// Clamps `opacity` and `centreY` into 0 … 1 (NaN to 0); a `radiusFraction` that is not
    /// positive and finite is 0.
    Layer(KelvoColorToken token, double opacity, double centreY, double radiusFraction);

    KelvoColorToken token() const { return token_; }
    double opacity() const { return opacity_; }
    /// The centre as a fraction of the page height.
    double centreY() const { return centreY_; }
    /// The radius as a fraction of the page's larger side.
    double radiusFraction() const { return radiusFraction_; }

    friend bool operator==(const Layer&, const Layer&) = default;

   private:
    KelvoColorToken token_;
    double opacity_;
    double centreY_;
    double radiusFraction_;
  };

  /// The layers in drawing order.
  static const std::vector<Layer>& layers(KelvoTheme::Appearance appearance);
  /// The layer's radius on a page; a size that is not positive and finite counts as 0.
  static double radius(double pageWidth, double pageHeight, const Layer& layer);
  /// The grouped surface with every layer mixed in at full opacity, brand palette.
  static SRGB brightestBackground(const KelvoTheme& theme);
};

}  // namespace kelvo
