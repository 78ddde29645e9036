// Photo file names from any proposed extension and any moment: the extension is "png" or one to
// eight letters and numbers, and the name holds no "/", NUL or line break.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/agenda/PhotoImport.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace {

bool isLetterOrNumber(std::string_view character) {
  std::size_t offset = 0;
  const char32_t first = kelvo::nextScalar(character, offset);
  return kelvo::text::isMember(first, kelvo::text::CharacterClass::alphabetic) ||
         kelvo::text::isMember(first, kelvo::text::CharacterClass::numeric);
}

void checkExtension(const std::string& extension) {
  if (extension == "png") return;
  const auto characters = kelvo::text::characters(extension);
  if (characters.empty() || characters.size() > 8) std::abort();
  for (const auto character : characters) {
    if (character.empty() || !isLetterOrNumber(character)) std::abort();
  }
}

void checkName(const std::string& name, const std::string& extension) {
  if (!kelvo::isValidUtf8(name) || !name.ends_with("." + extension)) std::abort();
  if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) std::abort();
  if (kelvo::text::containsAny(name, kelvo::text::CharacterClass::newline)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  double seconds = 0;
  if (size >= sizeof seconds) {
    std::memcpy(&seconds, data, sizeof seconds);
    data += sizeof seconds;
    size -= sizeof seconds;
  }
  const std::string proposed(kelvo::fuzz::text(data, size));
  const std::string extension = kelvo::PhotoImport::normalizedExtension(proposed);
  checkExtension(extension);

  const kelvo::PhotoAssetSnapshot snapshot{"id",    kelvo::Date(seconds), size % 2 == 0, 1, 1,
                                           proposed};
  checkName(kelvo::PhotoImport::filename(snapshot, kelvo::Date(), kelvo::TimeZone::utc()),
            extension);
  return 0;
}
