#include "core/guidance/OnboardingClosing.hpp"

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {

OnboardingClosing OnboardingClosing::holding() {
  return {"Keep what's already yours",
          "You've already got something copied. Keep it, and it's waiting for you.",
          "Keep what's copied", "Kept. It's on your home screen."};
}

OnboardingClosing OnboardingClosing::empty() {
  return {"Keep the first one",
          "Paste some text, add a photo, or drop in a document. Kelvo does the filing.",
          localized("Keep your first thing"), "Ready for your first thing."};
}

OnboardingClosing OnboardingClosing::readFailure() {
  return {"Keep the first one",
          "That copy has gone \u2014 something else took the clipboard. Keep anything you like "
          "instead.",
          localized("Keep your first thing"), "The clipboard is empty now."};
}

std::string OnboardingClosing::mechanicalTitle(std::string_view text) {
  // Only the first 60 characters can matter, so a long clipboard text is never segmented whole.
  const std::string head = text::prefix(text::trimmed(text), mechanicalTitleLength);
  // Characters, not bytes: a CR LF pair is one character and does not end the line.
  for (const std::string_view character : text::characters(head)) {
    if (character == "\n")
      return head.substr(0, static_cast<std::size_t>(character.data() - head.data()));
  }
  return head;
}

}  // namespace kelvo
