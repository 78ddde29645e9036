// Translates bytes in both placeholder dialects and without one: every output parses as a
// template, and plain text reads back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/import/PlaceholderTranslator.hpp"
#include "core/model/VariableTemplate.hpp"
#include "platform/foundation/Utf.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text =
      kelvo::repairedUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  using kelvo::PlaceholderSyntax;
  for (const auto syntax : {PlaceholderSyntax::textExpander, PlaceholderSyntax::braces}) {
    const auto output = kelvo::PlaceholderTranslator::translate(text, syntax);
    (void)kelvo::VariableTemplate(output.body).variableNames();
  }
  const auto plain = kelvo::PlaceholderTranslator::translate(text, PlaceholderSyntax::none);
  const kelvo::VariableTemplate parsed(plain.body);
  if (!plain.warnings.empty() || parsed.hasVariables() || parsed.displayText() != text) {
    std::abort();
  }
  return 0;
}
