#include "core/guidance/OnboardingPractice.hpp"

#include "core/guidance/OnboardingCopy.hpp"
#include "core/model/VariableTemplate.hpp"
#include "core/search/SearchIndex.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

OnboardingSample makeReplySample() {
  const std::string reply = VariableTemplate(std::string(OnboardingCopy::replyTemplate))
                                .filled(OnboardingCopy::replyValues()) +
                            " I\u2019d be glad to help\u2014here are the next steps.";
  return {"Intro reply \u2014 client onboarding", reply,
          "Copies the practice reply to the clipboard", "Copied"};
}

}  // namespace

const OnboardingSample& OnboardingPractice::sample() {
  static const OnboardingSample reply = makeReplySample();
  return reply;
}

SearchableCard OnboardingPractice::practiceCard() {
  static const UUID id = *UUID::parse("A11B0000-0000-4000-8000-000000000090");
  const OnboardingSample& reply = sample();
  return SearchableCard(id, CardType::text, reply.title, reply.payload, "",
                        {"reply", "client", "onboarding"}, "Work", "", std::nullopt, std::nullopt,
                        0, std::nullopt);
}

bool OnboardingPractice::saveExample() {
  if (hasSavedExample_) return false;
  hasSavedExample_ = true;
  phase_ = Phase::saved;
  return true;
}

std::vector<OnboardingSample> OnboardingPractice::results(std::string_view query) const {
  if (!hasSavedExample_) return {};
  const SearchableCard card = practiceCard();
  const SearchIndex index({&card, 1});
  if (index.search(query, searchLimit).empty()) return {};
  return {sample()};
}

bool OnboardingPractice::recordCopy(std::string_view text) {
  if (!hasSavedExample_ || !text::canonicallyEqual(text, sample().payload)) return false;
  phase_ = Phase::copied;
  return true;
}

OnboardingPractice::PasteResult OnboardingPractice::recordPaste(std::string_view text) {
  draft_.assign(text);
  const bool copied = phase_ == Phase::copied || phase_ == Phase::pasted;
  if (!copied || !text::canonicallyEqual(text, sample().payload)) return PasteResult::mismatch;
  phase_ = Phase::pasted;
  return PasteResult::matched;
}

}  // namespace kelvo
