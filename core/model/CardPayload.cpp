#include "core/model/CardPayload.hpp"

#include <utility>

#include "core/model/FileNames.hpp"
#include "core/model/VariableTemplate.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Overloaded.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::CardPayload {
namespace {

// Export names are kept to this many bytes of UTF-8, a safe length on every file system.
constexpr std::size_t exportNameByteLimit = 200;

// `text` as UTF-8 (ill-formed sequences as U+FFFD, so a file system is always handed UTF-8) with
// every character that holds a control character, and every "/" and ":", replaced by "-".
std::string withSafeCharacters(std::string_view text) {
  const std::string clean = repairedUtf8(text);
  std::string replaced;
  replaced.reserve(clean.size());
  for (const std::string_view character : text::characters(clean)) {
    if (text::containsAny(character, text::CharacterClass::control)) {
      replaced += '-';
      continue;
    }
    // Both are ASCII, so neither sits inside a longer UTF-8 sequence.
    for (const char byte : character) replaced += byte == ':' || byte == '/' ? '-' : byte;
  }
  return replaced;
}

// One path component safe to write: no "/", ":" or control characters, no blanks or dots at
// either end. Empty when nothing of the kind is left, a name of only slashes included.
std::string cleanedName(std::string_view name) {
  const std::string trimmed = text::trimmed(withSafeCharacters(FileNames::lastPathComponent(name)));
  const std::size_t first = trimmed.find_first_not_of('.');
  if (first == std::string::npos) return {};
  return trimmed.substr(first, trimmed.find_last_not_of('.') - first + 1);
}

// The longest run of whole characters from the start of `text` that fits `budget` bytes; whole
// scalars when even the first character does not fit (a letter under hundreds of marks).
std::string_view fittingPrefix(std::string_view text, std::size_t budget) {
  if (text.size() <= budget) return text;
  std::size_t cut = 0;
  for (const std::string_view character : text::characters(text)) {
    const std::size_t end =
        static_cast<std::size_t>(character.data() - text.data()) + character.size();
    if (end > budget) break;
    cut = end;
  }
  if (cut == 0) {
    for (std::size_t offset = 0; offset < text.size();) {
      nextScalar(text, offset);
      if (offset > budget) break;
      cut = offset;
    }
  }
  return text.substr(0, cut);
}

// Cuts the stem so that stem and extension fit; when the extension leaves no room for even one
// character of the stem, the whole name is cut as though it had none.
std::string shortened(std::string name) {
  if (name.size() <= exportNameByteLimit) return name;
  const std::string_view extension = FileNames::pathExtension(name);
  const std::size_t suffixSize = extension.empty() ? 0 : extension.size() + 1;
  const std::string_view stem = std::string_view(name).substr(0, name.size() - suffixSize);
  if (suffixSize < exportNameByteLimit) {
    const std::string_view kept = fittingPrefix(stem, exportNameByteLimit - suffixSize);
    if (!kept.empty()) {
      return std::string(kept) + name.substr(name.size() - suffixSize);
    }
  }
  return std::string(fittingPrefix(name, exportNameByteLimit));
}

}  // namespace

std::string Unavailability::title() const {
  return std::visit(
      Overloaded{
          [](const Undecodable&) { return localized("Kelvo can't read this file"); },
          [](const NotDownloaded&) { return localized("File not available on this device"); },
          [](const Missing&) { return localized("These bytes aren't on this device"); },
          [](const Empty&) { return localized("There's nothing in this file"); },
      },
      value);
}

std::string Unavailability::message() const {
  return std::visit(
      Overloaded{
          [](const Undecodable& undecodable) {
            return localized(
                "The %@ file is here, but nothing on this device could open it. You can still "
                "share it to an app that can.",
                undecodable.format.displayName());
          },
          [](const NotDownloaded&) {
            return localized(
                "Kelvo has the card, but its file is missing here. Check Sync activity and "
                "whether the file opens on another device. If it is missing everywhere, attach "
                "the original file again.");
          },
          [](const Missing&) {
            return localized(
                "The card is here but its contents aren't. Open Kelvo on the device you kept it "
                "on, or keep the file again.");
          },
          [](const Empty&) {
            return localized(
                "The file was kept with no contents, so there is nothing to show, copy or "
                "share.");
          },
      },
      value);
}

std::string Unavailability::clause() const {
  return std::visit(
      Overloaded{
          [](const Undecodable& undecodable) {
            return localized("nothing here can read a %@ file", undecodable.format.displayName());
          },
          [](const NotDownloaded&) {
            return localized("its file is not available on this device");
          },
          [](const Missing&) { return localized("its contents aren't on this device"); },
          [](const Empty&) { return localized("there's nothing in the file"); },
      },
      value);
}

const Bytes* Content::bytes() const {
  if (const auto* image = std::get_if<Image>(&value)) return &image->bytes;
  if (const auto* pdf = std::get_if<PDF>(&value)) return &pdf->bytes;
  if (const auto* other = std::get_if<OtherFile>(&value)) return &other->bytes;
  return nullptr;
}

bool Copy::didCopy() const {
  return !std::holds_alternative<Refused>(value) && !std::holds_alternative<NeedsFill>(value);
}

std::string Copy::confirmation(std::string_view cardTitle) const {
  return std::visit(
      Overloaded{
          [&](const Text&) { return localized("Copied %@", cardTitle); },
          [&](const Image&) { return localized("Copied %@ as an image", cardTitle); },
          [&](const File& file) {
            return localized("Copied %@ as a %@ file", cardTitle, file.bytes.format.displayName());
          },
          [&](const Refused& refused) {
            return localized("Couldn't copy %@ — %@", cardTitle, refused.reason.clause());
          },
          [&](const NeedsFill&) { return localized("Fill in %@ before copying it", cardTitle); },
      },
      value);
}

Content content(Snapshot snapshot) {
  if (!carriesBytes(snapshot.type)) return {Content::Text{std::move(snapshot.payload)}};
  if (!snapshot.isPayloadAvailable) return {Content::Unavailable{Unavailability::notDownloaded()}};
  if (!snapshot.data) {
    return {Content::Unavailable{snapshot.canReceiveFromCloud ? Unavailability::notDownloaded()
                                                              : Unavailability::missing()}};
  }
  if (snapshot.data->empty()) return {Content::Unavailable{Unavailability::empty()}};
  // With no file name the payload names the card's bytes.
  const std::string_view given = snapshot.filename ? *snapshot.filename : snapshot.payload;
  Format format = Format::resolve(given, *snapshot.data);
  std::string name = exportFilename(snapshot.filename, snapshot.payload, format);
  Bytes bytes{std::move(*snapshot.data), std::move(name), std::move(format)};
  if (bytes.isImage()) return {Content::Image{std::move(bytes)}};
  if (bytes.isPDF()) return {Content::PDF{std::move(bytes)}};
  return {Content::OtherFile{std::move(bytes)}};
}

Copy copyAction(Snapshot snapshot) {
  const bool readsBlanks = snapshot.type == CardType::text;
  Content presented = content(std::move(snapshot));
  return std::visit(
      Overloaded{
          [&](Content::Text& text) -> Copy {
            if (readsBlanks && VariableTemplate(text.text).hasVariables()) {
              return {Copy::NeedsFill{}};
            }
            return {Copy::Text{std::move(text.text)}};
          },
          [](Content::Image& image) -> Copy { return {Copy::Image{std::move(image.bytes)}}; },
          [](Content::PDF& pdf) -> Copy { return {Copy::File{std::move(pdf.bytes)}}; },
          [](Content::OtherFile& other) -> Copy { return {Copy::File{std::move(other.bytes)}}; },
          [](Content::Unavailable& unavailable) -> Copy {
            return {Copy::Refused{std::move(unavailable.reason)}};
          },
      },
      presented.value);
}

Share shareAction(Snapshot snapshot) {
  Content presented = content(std::move(snapshot));
  return std::visit(
      Overloaded{
          [](Content::Text& text) -> Share { return {Share::Text{std::move(text.text)}}; },
          [](Content::Image& image) -> Share { return {Share::File{std::move(image.bytes)}}; },
          [](Content::PDF& pdf) -> Share { return {Share::File{std::move(pdf.bytes)}}; },
          [](Content::OtherFile& other) -> Share { return {Share::File{std::move(other.bytes)}}; },
          [](Content::Unavailable& unavailable) -> Share {
            return {Share::Unavailable{std::move(unavailable.reason)}};
          },
      },
      presented.value);
}

std::string exportFilename(const std::optional<std::string>& filename, std::string_view payload,
                           const Format& format) {
  std::string name;
  if (filename) name = cleanedName(*filename);
  if (name.empty()) name = cleanedName(payload);
  if (name.empty()) name = "Kelvo file";
  if (const auto wanted = format.filenameExtension()) {
    // An opaque format's extension came from a name, and is made as safe as the name.
    const std::string extension = withSafeCharacters(*wanted);
    const std::string own = text::lowercased(FileNames::pathExtension(name));
    const std::string lowered = text::lowercased(extension);
    // A JPEG named ".jpeg" already says what it is.
    if (own != lowered && !(own == "jpeg" && lowered == "jpg")) name += "." + extension;
  }
  return shortened(std::move(name));
}

std::optional<std::string> normalizedExtractedText(std::string_view text) {
  std::string trimmed = text::trimmed(text);
  if (trimmed.empty()) return std::nullopt;
  // Counting stops early only in `prefix`; a text that is short in bytes is short enough.
  if (trimmed.size() <= static_cast<std::size_t>(extractedTextLimit)) return trimmed;
  return text::prefix(trimmed, static_cast<std::size_t>(extractedTextLimit));
}

}  // namespace kelvo::CardPayload
