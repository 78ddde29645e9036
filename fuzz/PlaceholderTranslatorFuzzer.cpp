// Translates bytes in both placeholder dialects and without one: every output parses as a
// template, plain text reads back unchanged, and a translation in place (room reused from the
// body before) gives what a translation alone gives. Trimming agrees with the foundation's.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/import/PlaceholderTranslator.hpp"
#include "core/import/internal/BodyTranslation.hpp"
#include "core/import/internal/Trim.hpp"
#include "core/model/VariableTemplate.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace {

void translatesInPlaceAsAlone(const std::string& text, kelvo::PlaceholderSyntax syntax,
                              const kelvo::PlaceholderTranslator::Output& alone) {
  std::string body = text;
  std::vector<kelvo::ImportWarning> warnings;
  kelvo::import_internal::translateInPlace(body, syntax, warnings);
  if (body != alone.body || warnings != alone.warnings) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = kelvo::repairedUtf8(kelvo::fuzz::text(data, size));
  using kelvo::PlaceholderSyntax;
  for (const auto syntax : {PlaceholderSyntax::textExpander, PlaceholderSyntax::braces}) {
    const auto output = kelvo::PlaceholderTranslator::translate(text, syntax);
    (void)kelvo::VariableTemplate(output.body).variableNames();
    translatesInPlaceAsAlone(text, syntax, output);
    // Twice more, after a different body has used the room.
    translatesInPlaceAsAlone(
        text.substr(text.size() / 2), syntax,
        kelvo::PlaceholderTranslator::translate(text.substr(text.size() / 2), syntax));
    translatesInPlaceAsAlone(text, syntax, output);
  }
  const auto plain = kelvo::PlaceholderTranslator::translate(text, PlaceholderSyntax::none);
  const kelvo::VariableTemplate parsed(plain.body);
  if (!plain.warnings.empty() || parsed.hasVariables() || parsed.displayText() != text) {
    std::abort();
  }
  translatesInPlaceAsAlone(text, PlaceholderSyntax::none, plain);
  using kelvo::text::CharacterClass;
  for (const auto kind : {CharacterClass::whitespace, CharacterClass::whitespaceAndNewline}) {
    if (kelvo::import_internal::trimmed(text, kind) != kelvo::text::trimmed(text, kind))
      std::abort();
  }
  return 0;
}
