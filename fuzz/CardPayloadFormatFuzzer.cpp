// Splits the input into a file name and bytes, sniffs and resolves their format, and checks the
// export name made from them: whole UTF-8, one path component, at most 200 bytes, never empty.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/model/CardPayload.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

using kelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::CardPayload::Format;
  if (size == 0) return 0;
  // The first byte says how long the name is; the rest after the name are the bytes.
  const auto [nameText, bytes] = kelvo::fuzz::lengthPrefixedSplit(data, size);
  const std::string name(nameText);

  const auto sniffed = Format::sniff(bytes);
  require(!sniffed || bytes.size() >= 4);
  require(!sniffed || sniffed->kind() != Format::Kind::opaque);
  // Only the first sixteen bytes count.
  require(Format::sniff(bytes.first(std::min<std::size_t>(bytes.size(), 16))) == sniffed);
  const Format resolved = Format::resolve(name, bytes);
  require(!sniffed || resolved == *sniffed);
  require(Format::resolve(name, std::nullopt) ==
          Format::resolve(name, std::span<const std::uint8_t>()));
  require(!resolved.typeIdentifier().empty());
  require(resolved.isImage() + resolved.isPDF() + (resolved.kind() == Format::Kind::opaque) == 1);

  const std::string exported = kelvo::CardPayload::exportFilename(name, name, resolved);
  require(!exported.empty() && exported.size() <= 200);
  require(kelvo::isValidUtf8(exported));
  require(exported.find('/') == std::string::npos && exported.find(':') == std::string::npos);
  require(!kelvo::text::containsAny(exported, kelvo::text::CharacterClass::control));
  require(exported.front() != '.');
  return 0;
}
