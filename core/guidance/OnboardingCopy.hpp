#pragma once

// Every text of the onboarding tour: the standard five-page script, button titles and hints, the
// practice reply, the sample facts, captions and trail labels:
//
//   const OnboardingScript& script = OnboardingCopy::standardScript();
//   const std::string caption = OnboardingCopy::kicker(2, script.pageCount());  // "02 / 05"
//   const std::string button = OnboardingCopy::next();  // "Continue"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/guidance/OnboardingScript.hpp"
#include "core/model/VariableTemplate.hpp"

namespace kelvo {

struct OnboardingCopy {
  /// One labelled fact row; identified by its label.
  struct Fact {
    std::string label;
    std::string value;
    const std::string& id() const { return label; }
    friend bool operator==(const Fact&, const Fact&) = default;
  };

  /// Built once; titles and bodies localised then.
  static const OnboardingScript& standardScript();

  // Localised at every read.
  static std::string skip();
  static std::string next();
  static std::string finish();
  static std::string skipHint();
  static std::string nextHint();
  static std::string finishHint();
  static std::string pageControlLabel();
  static std::string pageControlHint();
  static std::string trailSegmentHint();
  static std::string replyCopiedChip();
  /// "Screen 3".
  static std::string trailSegment(std::int64_t number);

  static constexpr std::string_view sampleFirstName = "Zo\u00EB";
  static constexpr std::string_view sampleEmail = "zoe@example.com";
  static constexpr std::string_view replyTemplate =
      "Hi {first_name}, thanks for reaching out about the rebrand.";
  /// The blank of `replyTemplate` filled with `sampleFirstName`.
  static const VariableTemplate::Values& replyValues();
  static constexpr std::string_view gridSnippet =
      "Thanks so much \u2014 I'll get the invoice over to you today.";

  /// Email, phone and VAT number; labels localised once, when first built.
  static const std::vector<Fact>& factRows();

  /// "03 / 05": both numbers with two digits at least, negatives raised to 0.
  static std::string kicker(std::int64_t number, std::int64_t of);
};

}  // namespace kelvo
