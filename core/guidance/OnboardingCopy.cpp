#include "core/guidance/OnboardingCopy.hpp"

#include <algorithm>

#include "core/guidance/OnboardingPractice.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/NumberFormat.hpp"

namespace kelvo {
namespace {

using Illustration = OnboardingPage::Illustration;

OnboardingScript makeStandardScript() {
  std::vector<OnboardingPage> pages;
  pages.push_back({Illustration::identity, localized("Keep what matters. Find it in a breath."),
                   localized("Snippets, images and documents\u2014gathered into one quiet place, "
                             "ready to reuse."),
                   "A faceted kelvo mark catches a narrow seam of light, then settles.",
                   OnboardingInteraction::none()});
  pages.push_back({Illustration::grid, localized("Keep it once."),
                   localized("Save a reply you reach for often. This example stays inside the "
                             "tour."),
                   "A complete client reply is saved into a quiet Work shelf.",
                   OnboardingInteraction::none()});
  pages.push_back({Illustration::fill, localized("Find it in a few letters."),
                   localized("Search for \u201Cintro\u201D. Kelvo looks through titles, text, "
                             "tags and shelves together."),
                   "The saved client reply appears from Kelvo's real search index.",
                   OnboardingInteraction::none()});
  pages.push_back({Illustration::copy, localized("Put it to work."),
                   localized("Copy the reply, then paste it into the practice draft. Nothing "
                             "from this exercise reaches your Library."),
                   "The saved reply is copied to the system clipboard and pasted byte for byte "
                   "into a practice field.",
                   OnboardingInteraction::copyCard(OnboardingPractice::sample())});
  pages.push_back({Illustration::keep, localized("What will you keep first?"),
                   localized("Bring your own snippet, image or document. Kelvo opens in your "
                             "system appearance, ready for the real thing."),
                   "The practiced reply sits ready beside text, image and document choices.",
                   OnboardingInteraction::none()});
  return OnboardingScript(std::move(pages));
}

}  // namespace

const OnboardingScript& OnboardingCopy::standardScript() {
  static const OnboardingScript script = makeStandardScript();
  return script;
}

std::string OnboardingCopy::skip() { return localized("Skip the tour"); }
std::string OnboardingCopy::next() { return localized("Continue"); }
std::string OnboardingCopy::finish() { return localized("Keep your first thing"); }
std::string OnboardingCopy::skipHint() {
  return localized("Closes the introduction. You can replay it any time from Settings.");
}
std::string OnboardingCopy::nextHint() { return localized("Shows the next screen."); }
std::string OnboardingCopy::finishHint() {
  return localized("Closes the introduction and opens the capture sheet.");
}
std::string OnboardingCopy::pageControlLabel() { return localized("Introduction progress"); }
std::string OnboardingCopy::pageControlHint() {
  return localized("Swipe up or down to move between screens.");
}
std::string OnboardingCopy::trailSegmentHint() { return localized("Shows this screen."); }
std::string OnboardingCopy::replyCopiedChip() { return localized("Copied"); }

std::string OnboardingCopy::trailSegment(std::int64_t number) {
  return localized("Screen %lld", number);
}

const VariableTemplate::Values& OnboardingCopy::replyValues() {
  static const VariableTemplate::Values values{{"first_name", std::string(sampleFirstName)}};
  return values;
}

const std::vector<OnboardingCopy::Fact>& OnboardingCopy::factRows() {
  static const std::vector<Fact> rows{
      {localized("Email"), std::string(sampleEmail)},
      {localized("Phone"), "+44 7700 900123"},
      {localized("VAT number"), "GB 000 0000 00"},
  };
  return rows;
}

std::string OnboardingCopy::kicker(std::int64_t number, std::int64_t of) {
  // The formatter always answers, so the plain-decimal stand-in is never needed.
  const IntegerStyle twoDigits{.grouping = false, .minimumIntegerDigits = 2};
  return formatInteger(std::max<std::int64_t>(number, 0), twoDigits) + " / " +
         formatInteger(std::max<std::int64_t>(of, 0), twoDigits);
}

}  // namespace kelvo
