#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/model/CardPayloadFormat.hpp"
#include "core/model/CardType.hpp"
#include "platform/foundation/Bytes.hpp"

/// What a card's payload is and what can be done with it: what it presents, what copying and
/// sharing hand over, and the name its bytes leave under. Every decision is a pure function of
/// a `Snapshot` copied out of the card at one moment; nothing here touches a store or a lock.
/// User-facing texts are localised, looked up by their English text.
namespace kelvo::CardPayload {

/// One card's file bytes, ready to present, copy, share or export.
struct Bytes {
  kelvo::Bytes data;
  /// The export file name.
  std::string filename;
  Format format;

  std::int64_t byteCount() const { return static_cast<std::int64_t>(data.size()); }
  bool isImage() const { return format.isImage(); }
  bool isPDF() const { return format.isPDF(); }
  std::string_view typeIdentifier() const { return format.typeIdentifier(); }

  friend bool operator==(const Bytes&, const Bytes&) = default;
};

/// Why a card that should carry bytes cannot show them.
struct Unavailability {
  /// The bytes are here but nothing on this device can open them. Made by the caller that
  /// holds the bytes and fails to open them; no decision here produces it.
  struct Undecodable {
    Format format;
    friend bool operator==(const Undecodable&, const Undecodable&) = default;
  };
  /// The bytes have not arrived on this device, or may still arrive.
  struct NotDownloaded {
    friend bool operator==(const NotDownloaded&, const NotDownloaded&) = default;
  };
  /// The bytes are not here and nothing will bring them.
  struct Missing {
    friend bool operator==(const Missing&, const Missing&) = default;
  };
  /// The file was kept with no bytes.
  struct Empty {
    friend bool operator==(const Empty&, const Empty&) = default;
  };

  std::variant<Undecodable, NotDownloaded, Missing, Empty> value;

  static Unavailability undecodable(Format format) { return {Undecodable{std::move(format)}}; }
  static Unavailability notDownloaded() { return {NotDownloaded{}}; }
  static Unavailability missing() { return {Missing{}}; }
  static Unavailability empty() { return {Empty{}}; }

  /// The short heading.
  std::string title() const;
  /// The full explanation, with what the user can do.
  std::string message() const;
  /// The lower-case fragment that ends a refused copy's confirmation.
  std::string clause() const;
  /// True only for `undecodable`: the bytes are present.
  bool hasBytes() const { return std::holds_alternative<Undecodable>(value); }

  friend bool operator==(const Unavailability&, const Unavailability&) = default;
};

/// What a card presents.
struct Content {
  struct Text {
    std::string text;
    friend bool operator==(const Text&, const Text&) = default;
  };
  /// Bytes in one of the seven image formats.
  struct Image {
    Bytes bytes;
    friend bool operator==(const Image&, const Image&) = default;
  };
  struct PDF {
    Bytes bytes;
    friend bool operator==(const PDF&, const PDF&) = default;
  };
  /// Bytes of an `opaque` format.
  struct OtherFile {
    Bytes bytes;
    friend bool operator==(const OtherFile&, const OtherFile&) = default;
  };
  struct Unavailable {
    Unavailability reason;
    friend bool operator==(const Unavailable&, const Unavailable&) = default;
  };

  std::variant<Text, Image, PDF, OtherFile, Unavailable> value;

  /// The carried bytes of an image, a PDF or another file; null otherwise.
  const Bytes* bytes() const;

  friend bool operator==(const Content&, const Content&) = default;
};

/// What copying a card puts on the pasteboard, or why nothing.
struct Copy {
  struct Text {
    std::string text;
    friend bool operator==(const Text&, const Text&) = default;
  };
  struct Image {
    Bytes bytes;
    friend bool operator==(const Image&, const Image&) = default;
  };
  /// A PDF or a file of another format.
  struct File {
    Bytes bytes;
    friend bool operator==(const File&, const File&) = default;
  };
  /// Nothing was copied: the bytes are unavailable.
  struct Refused {
    Unavailability reason;
    friend bool operator==(const Refused&, const Refused&) = default;
  };
  /// Nothing was copied: the text has blanks to fill first.
  struct NeedsFill {
    friend bool operator==(const NeedsFill&, const NeedsFill&) = default;
  };

  std::variant<Text, Image, File, Refused, NeedsFill> value;

  bool didCopy() const;
  /// The sentence shown after the copy; `cardTitle` goes in unchanged.
  std::string confirmation(std::string_view cardTitle) const;

  friend bool operator==(const Copy&, const Copy&) = default;
};

/// What sharing a card hands to the share sheet.
struct Share {
  struct Text {
    std::string text;
    friend bool operator==(const Text&, const Text&) = default;
  };
  struct File {
    Bytes bytes;
    friend bool operator==(const File&, const File&) = default;
  };
  struct Unavailable {
    Unavailability reason;
    friend bool operator==(const Unavailable&, const Unavailable&) = default;
  };

  std::variant<Text, File, Unavailable> value;

  bool isPossible() const { return !std::holds_alternative<Unavailable>(value); }

  friend bool operator==(const Share&, const Share&) = default;
};

/// The payload facts of a card at one moment.
struct Snapshot {
  CardType type = CardType::file;
  /// The text of a text or fact card; for cards that carry bytes, a name of last resort.
  std::string payload;
  std::optional<std::string> filename;
  /// Whether the card's bytes have arrived on this device.
  bool isPayloadAvailable = true;
  /// Whether cloud mirroring is configured, so that missing bytes may still arrive.
  bool canReceiveFromCloud = false;
  /// The bytes, when they could be read.
  std::optional<kelvo::Bytes> data;

  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

/// The thumbnail limits a card keeps.
struct Thumbnail {
  /// The greatest size, in pixels, a thumbnail is rendered at.
  static constexpr int maximumPixelSize = 512;
  static constexpr std::int64_t maximumByteCount = 96 * 1024;

  /// Not empty, and at most `maximumByteCount` bytes.
  static bool canStore(std::span<const std::uint8_t> data) {
    return !data.empty() && data.size() <= static_cast<std::size_t>(maximumByteCount);
  }
};

/// The most characters of extracted text a card keeps.
inline constexpr std::int64_t extractedTextLimit = 40'000;

// The three take the snapshot by value so that its bytes move into the result.

/// Text and fact cards present their text; cards that carry bytes present them by format, or
/// say why they cannot.
Content content(Snapshot snapshot);
/// A text card with blanks is not copied; a fact card's text is never read as a template.
Copy copyAction(Snapshot snapshot);
/// A text card shares its raw text, blanks and all.
Share shareAction(Snapshot snapshot);

/// The name a card's bytes leave the system under: the file name, else the payload, cleaned to
/// one safe path component, else "Kelvo file"; given the format's extension unless it already
/// has it; at most 200 bytes of UTF-8, never cut inside a character.
std::string exportFilename(const std::optional<std::string>& filename, std::string_view payload,
                           const Format& format);

/// The text to keep as a card's extracted text: trimmed, none when empty, and at most
/// `extractedTextLimit` characters.
std::optional<std::string> normalizedExtractedText(std::string_view text);

}  // namespace kelvo::CardPayload
