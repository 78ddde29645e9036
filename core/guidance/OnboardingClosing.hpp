#pragma once

// The screen after the tour's last page, in three variants by what the clipboard holds, and a title
// made from clipboard text without language processing:
//
//   const OnboardingClosing closing = OnboardingClosing::forClipboard(/*holdingText=*/true);
//   const std::string clipboard = "\n  Invoice 42\nDue Friday";
//   const std::string title = OnboardingClosing::mechanicalTitle(clipboard);  // "Invoice 42"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo {

struct OnboardingClosing {
  std::string title;
  std::string body;
  std::string primaryActionTitle;
  /// What a screen reader announces after the main action.
  std::string announcement;

  /// The clipboard holds text the user could keep.
  static OnboardingClosing holding();
  /// The clipboard holds nothing.
  static OnboardingClosing empty();
  /// What the clipboard held earlier can no longer be read.
  static OnboardingClosing readFailure();
  static OnboardingClosing forClipboard(bool holdingText) {
    return holdingText ? holding() : empty();
  }

  static constexpr std::size_t mechanicalTitleLength = 60;
  /// A title from clipboard text without language processing: the first non-empty line of the
  /// trimmed text (split at a lone line feed), cut to 60 characters.
  static std::string mechanicalTitle(std::string_view text);

  friend bool operator==(const OnboardingClosing&, const OnboardingClosing&) = default;
};

/// Accessibility identifiers of the tour's controls.
struct OnboardingIdentifiers {
  static constexpr std::string_view page = "onboarding.page";
  static constexpr std::string_view pageControl = "onboarding.pageControl";
  static constexpr std::string_view primaryAction = "onboarding.primary";
  static constexpr std::string_view skipAction = "onboarding.skip";
  static constexpr std::string_view savePractice = "onboarding.practice.save";
  static constexpr std::string_view savedPractice = "onboarding.practice.saved";
  static constexpr std::string_view searchPractice = "onboarding.practice.search";
  static constexpr std::string_view searchResult = "onboarding.practice.result";
  static constexpr std::string_view pastePractice = "onboarding.practice.paste";
  static constexpr std::string_view pasteConfirmation = "onboarding.practice.pasted";
  static constexpr std::string_view copyCard = "onboarding.copyCard";
  static constexpr std::string_view copyConfirmation = "onboarding.copied";
  static constexpr std::string_view openingBreath = "onboarding.openingBreath";
  /// "onboarding.trail." and the index in plain decimal.
  static std::string trailSegment(std::int64_t index) {
    return "onboarding.trail." + std::to_string(index);
  }
};

}  // namespace kelvo
