#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelvo::CardPayload {

/// The format of a card's bytes: one of eight named formats, or `opaque` for everything else,
/// which keeps the lower-cased extension it was recognised by (possibly empty).
class Format {
 public:
  enum class Kind : std::uint8_t { opaque, png, jpeg, gif, heic, tiff, bmp, webp, pdf };

  static Format opaque(std::string fileExtension) {
    return Format(Kind::opaque, std::move(fileExtension));
  }
  static Format png() { return Format(Kind::png); }
  static Format jpeg() { return Format(Kind::jpeg); }
  static Format gif() { return Format(Kind::gif); }
  static Format heic() { return Format(Kind::heic); }
  static Format tiff() { return Format(Kind::tiff); }
  static Format bmp() { return Format(Kind::bmp); }
  static Format webp() { return Format(Kind::webp); }
  static Format pdf() { return Format(Kind::pdf); }

  Kind kind() const { return kind_; }
  /// The extension an `opaque` format carries; empty for the named formats.
  const std::string& fileExtension() const { return fileExtension_; }

  /// The Uniform Type Identifier ("public.png"; "public.data" for `opaque`).
  std::string_view typeIdentifier() const;
  /// The extension written on exported files, without the dot ("jpg", never "jpeg"); none for
  /// an `opaque` format with an empty extension.
  std::optional<std::string> filenameExtension() const;
  /// The name used inside sentences: the upper-cased extension, or "File" when there is none.
  std::string displayName() const;
  /// PNG, JPEG, GIF, HEIC, TIFF, BMP and WebP.
  bool isImage() const;
  bool isPDF() const { return kind_ == Kind::pdf; }

  /// The format an extension (without the dot) names, compared after lower-casing: "jpeg" and
  /// "jpg" name JPEG, "heif" HEIC, "tif" TIFF; any other, the empty one included, is `opaque`.
  static Format forExtension(std::string_view fileExtension);
  /// The format recognised from the leading bytes, or none. Looks at no more than 16 bytes and
  /// needs at least 4.
  static std::optional<Format> sniff(std::span<const std::uint8_t> data);
  /// The leading bytes win; otherwise the path extension of `filename` decides (no name counts
  /// as the empty extension).
  static Format resolve(std::optional<std::string_view> filename,
                        std::optional<std::span<const std::uint8_t>> data);

  friend bool operator==(const Format&, const Format&) = default;

 private:
  explicit Format(Kind kind, std::string fileExtension = {})
      : kind_(kind), fileExtension_(std::move(fileExtension)) {}

  Kind kind_;
  std::string fileExtension_;
};

}  // namespace kelvo::CardPayload
