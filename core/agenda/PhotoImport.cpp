#include "core/agenda/PhotoImport.hpp"

#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

constexpr std::size_t maximumExtensionLength = 8;

std::string_view kindWord(const PhotoAssetSnapshot& snapshot) {
  return snapshot.isScreenshot ? "Screenshot" : "Photo";
}

// A letter or a number, judged by the character's first scalar.
bool isLetterOrNumber(std::string_view character) {
  if (character.empty()) return false;
  std::size_t offset = 0;
  const char32_t first = nextScalar(character, offset);
  return text::isMember(first, text::CharacterClass::alphabetic) ||
         text::isMember(first, text::CharacterClass::numeric);
}

}  // namespace

std::string PhotoImport::normalizedExtension(const std::optional<std::string>& extension) {
  if (!extension) return std::string(fallbackExtension);
  const std::string lowered = text::lowercased(text::trimmed(*extension));
  std::vector<std::string_view> characters = text::characters(lowered);
  std::size_t dots = 0;
  while (dots < characters.size() && characters[dots] == ".") ++dots;
  characters.erase(characters.begin(), characters.begin() + static_cast<std::ptrdiff_t>(dots));
  if (characters.empty() || characters.size() > maximumExtensionLength) {
    return std::string(fallbackExtension);
  }
  std::string result;
  for (const std::string_view character : characters) {
    if (!isLetterOrNumber(character)) return std::string(fallbackExtension);
    result += character;
  }
  return result;
}

std::string PhotoImport::filename(const PhotoAssetSnapshot& snapshot, Date now,
                                  const TimeZone& timeZone) {
  // Always Gregorian: the stamp must not follow the user's choice of calendar.
  const auto parts = Calendar(timeZone).components(snapshot.createdAt.value_or(now));
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d.%02d.%02d", parts.year, parts.month,
                parts.day, parts.hour, parts.minute, parts.second);
  return std::string(kindWord(snapshot)) + " " + stamp + "." +
         normalizedExtension(snapshot.preferredExtension);
}

std::string PhotoImport::gridSubtitle(const PhotoAssetSnapshot& snapshot) {
  if (!snapshot.hasDimensions()) return std::string(kindWord(snapshot));
  return std::string(kindWord(snapshot)) + " · " + std::to_string(snapshot.pixelWidth) + "×" +
         std::to_string(snapshot.pixelHeight);
}

std::string PhotoImport::accessibilityLabel(const PhotoAssetSnapshot& snapshot,
                                            const DateFormatter& formatter) {
  if (!snapshot.createdAt) return std::string(kindWord(snapshot)) + ", date unknown";
  return std::string(kindWord(snapshot)) + ", " + formatter.format(*snapshot.createdAt);
}

std::optional<FileCapture::Rejection> PhotoImport::rejection(std::int64_t byteCount) {
  return FileCapture::validate(byteCount);
}

// The runs of blanks belong to the texts and to their catalogue keys.
std::string PhotoImport::emptyExplanation() {
  return localized(
      "    No pictures in your library yet. Take a screenshot or a photo and it will     be "
      "here.");
}

std::string PhotoImport::emptyLimitedExplanation() {
  return localized(
      "    You've allowed Kelvo a chosen set of photos, and there's nothing in it     yet. Choose "
      "some and they'll appear here.");
}

std::string PhotoImport::limitedAccessSummary(std::int64_t count) {
  if (count == 0) return "You haven't chosen any photos for Kelvo yet.";
  if (count == 1) return "Kelvo can see 1 photo you chose.";
  return "Kelvo can see " + std::to_string(count) + " photos you chose.";
}

}  // namespace kelvo
