#include "core/model/CardEdit.hpp"

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/NumberFormat.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

std::int64_t characters(std::string_view text) {
  return static_cast<std::int64_t>(text::characterCount(text));
}

// Whether the text is only white space and line breaks; stops at the first other character.
bool isBlank(std::string_view text) {
  for (std::size_t offset = 0; offset < text.size();) {
    if (!text::isMember(nextScalar(text, offset), text::CharacterClass::whitespaceAndNewline)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string CardEdit::Refusal::message() const {
  if (const auto* title = std::get_if<TitleTooLong>(&value)) {
    return localized("That title is %lld characters — titles hold up to %lld.", title->count,
                     title->limit);
  }
  if (const auto* text = std::get_if<TextTooLong>(&value)) {
    return localized(
        "That's %@ characters — a card holds up to %@. Shorten it, or keep the rest as a second "
        "card.",
        formatInteger(text->count), formatInteger(text->limit));
  }
  return localized("A snippet needs some text. Type something, or close without saving.");
}

std::optional<CardEdit::Refusal> CardEdit::refusal(CardType type, std::string_view title,
                                                   std::string_view text) {
  const std::string trimmedTitle = text::trimmed(title);
  // Counting stops mattering once the bytes fit: a character is at least one byte.
  if (trimmedTitle.size() > static_cast<std::size_t>(titleLimit)) {
    const std::int64_t count = characters(trimmedTitle);
    if (count > titleLimit) return Refusal::titleTooLong(count, titleLimit);
  }
  if (!editsText(type)) return std::nullopt;
  if (isBlank(text)) return Refusal::emptyText();
  if (text.size() > static_cast<std::size_t>(textLimit)) {
    const std::int64_t count = characters(text);
    if (count > textLimit) return Refusal::textTooLong(count, textLimit);
  }
  return std::nullopt;
}

std::string CardEdit::resolvedTitle(std::string_view title, std::string_view generated) {
  std::string trimmed = text::trimmed(title);
  return trimmed.empty() ? std::string(generated) : trimmed;
}

std::string CardEdit::resolvedText(std::string_view text) { return text::trimmed(text); }

bool CardEdit::changes(CardType type, std::string_view currentTitle, std::string_view currentText,
                       std::string_view generatedTitle, std::string_view title,
                       std::string_view text) {
  if (resolvedTitle(title, generatedTitle) != currentTitle) return true;
  if (!editsText(type)) return false;
  return resolvedText(text) != currentText;
}

}  // namespace kelvo
