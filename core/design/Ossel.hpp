#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The mascot: its proportions, face geometry (fractions of its size), detail levels,
/// expressions and motion timing. Drawing and animation read these values.
struct Ossel {
  /// Width divided by height.
  static constexpr double aspectRatio = 29.0 / 36.0;

  /// Corner fractions of the outline.
  struct Corner {
    static constexpr double topVerticalFraction = 0.62;
    static constexpr double bottomVerticalFraction = 0.38;
    static constexpr double topHorizontalFraction = 0.5;
    static constexpr double bottomHorizontalFraction = 0.47;
  };

  /// Face geometry: fractions of the figure's size, an angle in degrees, opacities 0...1.
  struct Face {
    static constexpr double eyeWidthFraction = 0.125;
    static constexpr double eyeHeightFraction = 11.0 / 72.0;
    static constexpr double eyeCentreYFraction = 0.44;
    static constexpr double eyeInsetFraction = 0.26;
    static constexpr double mouthCentreYFraction = 0.63;
    static constexpr double mouthWidthFraction = 0.28;
    static constexpr double highlightCentreXFraction = 0.22;
    static constexpr double highlightCentreYFraction = 0.2;
    static constexpr double highlightRotationDegrees = -20.0;
    static constexpr double highlightOpacity = 0.55;
    static constexpr double blushCentreYFraction = 0.55;
    static constexpr double blushOpacity = 0.35;
  };

  /// How much of the face to draw. Declared from most to least, but ordered the other way:
  /// minimal < simplified < full (the comparison operators below).
  enum class Detail { full, simplified, minimal };

  /// The mouth an expression draws (nested in Expression where the language allows it).
  enum class MouthShape { smile, open, neutral };

  /// The mascot's expressions. Raw values equal the case names.
  enum class Expression { idle, waving, catching, bouncing, winking, working };

  /// Motion constants: seconds, points, degrees or scale factors as named.
  struct Timing {
    struct Scale {
      double x;
      double y;
    };
    static constexpr double floatOffset = 3.0;
    static constexpr double floatDuration = 4.25;
    static constexpr double blinkDuration = 0.15;
    static constexpr double blinkSquash = 0.1;
    // The eyes blink on their own intervals, never together.
    static constexpr double leftEyeBlinkInterval = 4.6;
    static constexpr double rightEyeBlinkInterval = 5.3;
    static constexpr double waveFromDegrees = -14.0;
    static constexpr double waveToDegrees = 10.0;
    static constexpr double bounceLift = -12.0;
    static constexpr Scale bounceRiseScale{0.94, 1.1};
    static constexpr Scale bounceLandScale{1.08, 0.9};
    static constexpr double reducedMotionDuration = 0.15;
    static constexpr double workingSwayOffset = 2.0;
    static constexpr double workingSwayDuration = 1.4;
    static constexpr double minimumAnticInterval = 10.0;
  };

  static constexpr double height(double forWidth) { return forWidth / aspectRatio; }
  static constexpr double width(double forHeight) { return forHeight * aspectRatio; }

  /// full from 60 points up, simplified from 36, minimal below (and for a height that is not a
  /// number).
  static constexpr Detail detail(double forHeight) {
    if (forHeight >= 60) return Detail::full;
    if (forHeight >= 36) return Detail::simplified;
    return Detail::minimal;
  }
};

template <>
struct RawValues<Ossel::Detail> {
  static constexpr std::array<std::pair<Ossel::Detail, std::string_view>, 3> table{{
      {Ossel::Detail::full, "full"},
      {Ossel::Detail::simplified, "simplified"},
      {Ossel::Detail::minimal, "minimal"},
  }};
};

template <>
struct RawValues<Ossel::Expression> {
  static constexpr std::array<std::pair<Ossel::Expression, std::string_view>, 6> table{{
      {Ossel::Expression::idle, "idle"},
      {Ossel::Expression::waving, "waving"},
      {Ossel::Expression::catching, "catching"},
      {Ossel::Expression::bouncing, "bouncing"},
      {Ossel::Expression::winking, "winking"},
      {Ossel::Expression::working, "working"},
  }};
};

// The order of detail runs against the declaration order. All four operators are spelled out:
// a three-way comparison alone would lose to the built-in ones.
constexpr bool operator<(Ossel::Detail a, Ossel::Detail b) {
  return static_cast<int>(a) > static_cast<int>(b);
}
constexpr bool operator>(Ossel::Detail a, Ossel::Detail b) { return b < a; }
constexpr bool operator<=(Ossel::Detail a, Ossel::Detail b) { return !(b < a); }
constexpr bool operator>=(Ossel::Detail a, Ossel::Detail b) { return !(a < b); }

/// true for full and simplified.
bool showsMouth(Ossel::Detail detail);
/// true for full only.
bool showsHighlight(Ossel::Detail detail);

Ossel::MouthShape mouthShape(Ossel::Expression expression);
/// Seconds the expression plays; 0 for idle.
double duration(Ossel::Expression expression);
/// The playful antics that the cooldown limits: waving, bouncing and winking.
bool isThrottledAntic(Ossel::Expression expression);
bool hasOpenMouth(Ossel::Expression expression);
/// true for working only.
bool suppressesBlink(Ossel::Expression expression);
/// true for working only.
bool showsMouthRegardlessOfDetail(Ossel::Expression expression);

}  // namespace kelvo
