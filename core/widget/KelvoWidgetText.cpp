#include "core/widget/KelvoWidgetText.hpp"

#include <cstddef>
#include <vector>

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

// A character is white space when its first scalar is, so a blank carrying a combining mark
// still separates words, and CR LF counts as one.
bool isWhitespace(std::string_view character) {
  std::size_t offset = 0;
  return !character.empty() &&
         text::isMember(nextScalar(character, offset), text::CharacterClass::whitespaceAndNewline);
}

std::string collapsedWhitespace(std::string_view title) {
  std::string collapsed;
  collapsed.reserve(title.size());
  bool pendingBlank = false;
  for (std::string_view character : text::characters(title)) {
    if (isWhitespace(character)) {
      pendingBlank = !collapsed.empty();
      continue;
    }
    if (pendingBlank) collapsed.push_back(' ');
    pendingBlank = false;
    collapsed.append(character);
  }
  return collapsed;
}

}  // namespace

std::string KelvoWidgetText::untitled() { return localized("Untitled"); }

std::string KelvoWidgetText::rowTitle(std::string_view title, std::int64_t limit) {
  // A row shows well-formed text even when the title was not.
  const std::string collapsed =
      collapsedWhitespace(isValidUtf8(title) ? title : decodeUtf8Lossy(title));
  if (collapsed.empty() || limit <= 0) return untitled();

  // Joining the words can merge characters across a blank, so count the joined text itself.
  const std::vector<std::string_view> characters = text::characters(collapsed);
  if (characters.size() <= static_cast<std::size_t>(limit)) return collapsed;

  std::size_t kept = static_cast<std::size_t>(limit);
  while (kept > 0 && isWhitespace(characters[kept - 1])) --kept;
  if (kept == 0) return untitled();
  const std::size_t end = static_cast<std::size_t>(characters[kept - 1].data() - collapsed.data()) +
                          characters[kept - 1].size();
  return collapsed.substr(0, end) + "\u2026";
}

}  // namespace kelvo
