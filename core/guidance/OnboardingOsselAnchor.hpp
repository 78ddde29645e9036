#pragma once

// Where the mascot stands on each page's illustration and how large it is drawn, mirrored for
// right-to-left languages. Points; a non-finite size counts as 0:
//
//   const OnboardingPage* page = OnboardingCopy::standardScript().page(0);
//   const auto anchor = OnboardingOsselAnchor::anchor(page->illustration);
//   const double x = anchor.centreX(390, 230, direction(/*isRightToLeft=*/false));
//   const double mirrored = anchor.centreX(390, 230, direction(true));  // 390 - x

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "core/design/Ossel.hpp"
#include "core/guidance/OnboardingLayout.hpp"
#include "core/guidance/OnboardingPage.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

class OnboardingOsselAnchor {
 public:
  enum class Lane : std::uint8_t { leading, trailing, centre };

  /// The smallest height the mascot is drawn at, so that its face stays legible.
  static constexpr double faceFloor = 36;

  /// Clamps `verticalFraction` into 0 … 1 and raises `height` to at least 1.
  OnboardingOsselAnchor(Lane lane, double verticalFraction, double height,
                        Ossel::Expression expression);
  static OnboardingOsselAnchor anchor(OnboardingPage::Illustration illustration);

  Lane lane() const { return lane_; }
  /// The centre, from the top, as a fraction of the illustration's height.
  double verticalFraction() const { return verticalFraction_; }
  /// The height at the reference illustration height.
  double height() const { return height_; }
  Ossel::Expression expression() const { return expression_; }

  /// The height drawn on an illustration `illustrationHeight` points tall.
  double scaledHeight(double illustrationHeight) const;
  double scaledWidth(double illustrationHeight) const;
  /// The horizontal centre within the band.
  double centreX(double bandWidth, double illustrationHeight,
                 OnboardingWritingDirection direction) const;
  /// The vertical centre from the top of the illustration; the mascot never sticks out.
  double centreY(double illustrationHeight) const;
  /// The width the mascot takes on its side of the band, spacing included.
  double laneInset(double illustrationHeight) const;

  friend bool operator==(const OnboardingOsselAnchor&, const OnboardingOsselAnchor&) = default;

 private:
  Lane lane_;
  double verticalFraction_;
  double height_;
  Ossel::Expression expression_;
};

template <>
struct RawValues<OnboardingOsselAnchor::Lane> {
  using Lane = OnboardingOsselAnchor::Lane;
  static constexpr std::array<std::pair<Lane, std::string_view>, 3> table{{
      {Lane::leading, "leading"},
      {Lane::trailing, "trailing"},
      {Lane::centre, "centre"},
  }};
};

}  // namespace kelvo
