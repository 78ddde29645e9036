#include "core/model/CardPayloadFormat.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/model/FileNames.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::CardPayload {
namespace {

// Sniffing never looks further than this, however large the data.
constexpr std::size_t sniffWindow = 16;

bool hasAt(std::span<const std::uint8_t> data, std::size_t offset, std::string_view pattern) {
  return data.size() >= offset + pattern.size() &&
         std::memcmp(data.data() + offset, pattern.data(), pattern.size()) == 0;
}

// The brands of the HEIF family that are read as HEIC.
constexpr std::array<std::string_view, 9> heicBrands{"heic", "heix", "heim", "heis", "hevc",
                                                     "hevm", "hevs", "mif1", "msf1"};

}  // namespace

std::string_view Format::typeIdentifier() const {
  switch (kind_) {
    case Kind::opaque:
      return "public.data";
    case Kind::png:
      return "public.png";
    case Kind::jpeg:
      return "public.jpeg";
    case Kind::gif:
      return "com.compuserve.gif";
    case Kind::heic:
      return "public.heic";
    case Kind::tiff:
      return "public.tiff";
    case Kind::bmp:
      return "com.microsoft.bmp";
    case Kind::webp:
      return "org.webmproject.webp";
    case Kind::pdf:
      return "com.adobe.pdf";
  }
  return "public.data";
}

std::optional<std::string> Format::filenameExtension() const {
  switch (kind_) {
    case Kind::opaque:
      if (fileExtension_.empty()) return std::nullopt;
      return fileExtension_;
    case Kind::png:
      return "png";
    case Kind::jpeg:
      return "jpg";
    case Kind::gif:
      return "gif";
    case Kind::heic:
      return "heic";
    case Kind::tiff:
      return "tiff";
    case Kind::bmp:
      return "bmp";
    case Kind::webp:
      return "webp";
    case Kind::pdf:
      return "pdf";
  }
  return std::nullopt;
}

std::string Format::displayName() const {
  const auto extension = filenameExtension();
  return extension ? text::uppercased(*extension) : std::string("File");
}

bool Format::isImage() const { return kind_ != Kind::opaque && kind_ != Kind::pdf; }

Format Format::forExtension(std::string_view fileExtension) {
  std::string lowered = text::lowercased(fileExtension);
  if (lowered == "png") return png();
  if (lowered == "jpg" || lowered == "jpeg") return jpeg();
  if (lowered == "gif") return gif();
  if (lowered == "heic" || lowered == "heif") return heic();
  if (lowered == "tiff" || lowered == "tif") return tiff();
  if (lowered == "bmp") return bmp();
  if (lowered == "webp") return webp();
  if (lowered == "pdf") return pdf();
  return opaque(std::move(lowered));
}

std::optional<Format> Format::sniff(std::span<const std::uint8_t> data) {
  const auto head = data.first(std::min(data.size(), sniffWindow));
  if (head.size() < 4) return std::nullopt;
  if (hasAt(head, 0, "\x89PNG\r\n\x1A\n")) return png();
  if (hasAt(head, 0, "\xFF\xD8\xFF")) return jpeg();
  if (hasAt(head, 0, "GIF8")) return gif();
  if (hasAt(head, 0, "%PDF-")) return pdf();
  if (hasAt(head, 0, std::string_view("II*\0", 4))) return tiff();
  if (hasAt(head, 0, std::string_view("MM\0*", 4))) return tiff();
  if (hasAt(head, 0, "BM")) return bmp();
  if (hasAt(head, 0, "RIFF") && hasAt(head, 8, "WEBP")) return webp();
  // A brand cut short by the end of the data, or holding bytes that are not UTF-8, matches
  // none of these ASCII brands, so the raw bytes can be compared directly.
  if (hasAt(head, 4, "ftyp")) {
    for (const std::string_view brand : heicBrands) {
      if (hasAt(head, 8, brand)) return heic();
    }
  }
  return std::nullopt;
}

Format Format::resolve(std::optional<std::string_view> filename,
                       std::optional<std::span<const std::uint8_t>> data) {
  if (data) {
    if (auto sniffed = sniff(*data)) return std::move(*sniffed);
  }
  return forExtension(filename ? FileNames::pathExtension(*filename) : std::string_view());
}

}  // namespace kelvo::CardPayload
