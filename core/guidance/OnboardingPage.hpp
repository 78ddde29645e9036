#pragma once

// The onboarding tour's pages: an illustration, a title, a body, a description of the illustration
// for screen readers and, on one page, a card to copy:
//
//   const OnboardingPage* page = OnboardingCopy::standardScript().page(3);
//   const std::string spoken = page->accessibilitySentence();  // title, body, then the picture
//   const OnboardingSample* sample = page->interaction.copiedSample();  // this page's card to copy

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// A sample card the tour shows.
struct OnboardingSample {
  std::string title;
  /// What copying the card puts on the clipboard.
  std::string payload;
  std::string accessibilityHint;
  /// The short confirmation after copying.
  std::string copiedLabel;

  /// The bank-details sample.
  static const OnboardingSample& standard();

  friend bool operator==(const OnboardingSample&, const OnboardingSample&) = default;
};

/// A page's hands-on element: none, or a card to copy.
class OnboardingInteraction {
 public:
  struct None {
    friend bool operator==(None, None) = default;
  };
  struct CopyCard {
    OnboardingSample sample;
    friend bool operator==(const CopyCard&, const CopyCard&) = default;
  };
  using Value = std::variant<None, CopyCard>;

  OnboardingInteraction(Value value = None{}) : value_(std::move(value)) {}
  static OnboardingInteraction none() { return OnboardingInteraction(None{}); }
  static OnboardingInteraction copyCard(OnboardingSample sample) {
    return OnboardingInteraction(CopyCard{std::move(sample)});
  }

  const Value& value() const { return value_; }
  /// The sample to copy, or null.
  const OnboardingSample* copiedSample() const;

  friend bool operator==(const OnboardingInteraction&, const OnboardingInteraction&) = default;

 private:
  Value value_;
};

struct OnboardingPage {
  /// Also the page's identity within a script.
  enum class Illustration : std::uint8_t { identity, grid, fill, copy, keep };

  Illustration illustration;
  std::string title;
  std::string body;
  /// What the illustration shows, for screen readers.
  std::string illustrationDescription;
  OnboardingInteraction interaction;

  Illustration id() const { return illustration; }
  /// Title, ". ", body, " ", description; the joiner is added even after a question mark.
  std::string accessibilitySentence() const;

  friend bool operator==(const OnboardingPage&, const OnboardingPage&) = default;
};

template <>
struct RawValues<OnboardingPage::Illustration> {
  using I = OnboardingPage::Illustration;
  static constexpr std::array<std::pair<I, std::string_view>, 5> table{{
      {I::identity, "identity"},
      {I::grid, "grid"},
      {I::fill, "fill"},
      {I::copy, "copy"},
      {I::keep, "keep"},
  }};
};

}  // namespace kelvo
