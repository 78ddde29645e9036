#include "core/model/FileCapture.hpp"

#include <algorithm>
#include <array>

#include "core/model/Card.hpp"
#include "core/model/FileNames.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

struct Unit {
  std::int64_t threshold;
  std::string_view name;
};

// Searched in order; the divisor of each unit is its threshold.
constexpr std::array<Unit, 3> units{{
    {1'073'741'824, "GB"},
    {1'048'576, "MB"},
    {1'024, "KB"},
}};

constexpr std::array<std::string_view, 10> imageExtensions{"png", "jpg",  "jpeg", "heic", "heif",
                                                           "gif", "webp", "tiff", "tif",  "bmp"};
constexpr std::array<std::string_view, 12> documentExtensions{
    "pdf", "pages", "key", "numbers", "doc", "docx", "ppt", "pptx", "xls", "xlsx", "rtf", "epub"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

std::string FileCapture::Rejection::message() const {
  if (const auto* tooLarge = std::get_if<TooLarge>(&value)) {
    return localized(
        "That file is %@ — Kelvo keeps files up to %@ so they can sync to your other devices.",
        formattedSize(tooLarge->byteCount), formattedSize(tooLarge->limit));
  }
  return localized("That file is empty, so there is nothing to keep.");
}

std::optional<FileCapture::Rejection> FileCapture::validate(std::int64_t byteCount) {
  if (byteCount <= 0) return Rejection::empty();
  if (byteCount > maximumByteCount) return Rejection::tooLarge(byteCount, maximumByteCount);
  return std::nullopt;
}

std::string FileCapture::formattedSize(std::int64_t byteCount) {
  for (const Unit& unit : units) {
    if (byteCount < unit.threshold) continue;
    const double value = static_cast<double>(byteCount) / static_cast<double>(unit.threshold);
    return formatted(value < 10 ? "%.1f %@" : "%.0f %@", value, unit.name);
  }
  return formatted("%lld bytes", byteCount);
}

CardType FileCapture::kind(std::string_view filename) {
  const std::string extension = text::lowercased(FileNames::pathExtension(filename));
  if (contains(imageExtensions, extension)) return CardType::image;
  if (contains(documentExtensions, extension)) return CardType::document;
  return CardType::file;
}

std::string FileCapture::title(std::string_view filename) {
  std::string joined;
  std::string_view rest = FileNames::deletingPathExtension(filename);
  while (!rest.empty()) {
    const std::size_t start = rest.find_first_not_of(" _-");
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find_first_of(" _-"), rest.size());
    if (!joined.empty()) joined += ' ';
    joined += rest.substr(0, end);
    rest.remove_prefix(end);
  }
  if (joined.empty()) return std::string(filename);
  const std::string first = text::prefix(joined, 1);
  return text::uppercased(first) + joined.substr(first.size());
}

std::string FileCapture::previewText(std::string_view filename, std::int64_t byteCount) {
  const std::string extension = text::uppercased(FileNames::pathExtension(filename));
  if (extension.empty()) return formattedSize(byteCount);
  return extension + " · " + formattedSize(byteCount);
}

std::string FileCapture::extensionBadge(const std::optional<std::string>& filename) {
  const std::string extension =
      text::uppercased(FileNames::pathExtension(filename ? *filename : std::string_view()));
  if (extension.empty()) return "FILE";
  return text::prefix(extension, 4);
}

std::string FileCapture::contentHash(CardType type, std::span<const std::uint8_t> data) {
  return Card::contentHash(
      type, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

}  // namespace kelvo
