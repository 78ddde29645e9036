#include "core/guidance/OnboardingPage.hpp"

namespace kelvo {

const OnboardingSample& OnboardingSample::standard() {
  static const OnboardingSample sample{"Bank details",
                                       "Kelvo Ltd \u00B7 GB00 KLVX 0000 0000 0000 00",
                                       "Copies this to the clipboard", "Copied"};
  return sample;
}

const OnboardingSample* OnboardingInteraction::copiedSample() const {
  const auto* copy = std::get_if<CopyCard>(&value_);
  return copy ? &copy->sample : nullptr;
}

std::string OnboardingPage::accessibilitySentence() const {
  std::string sentence;
  sentence.reserve(title.size() + body.size() + illustrationDescription.size() + 3);
  sentence.append(title).append(". ").append(body).append(" ").append(illustrationDescription);
  return sentence;
}

}  // namespace kelvo
