// Parses arbitrary bytes as a variable template and checks the shape of the parse.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/model/VariableTemplate.hpp"
#include "fuzz/FuzzInput.hpp"

using kelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kelvo::VariableTemplate value(std::string(reinterpret_cast<const char*>(data), size));
  const auto& segments = value.segments();
  require(size != 0 || segments.empty());
  bool previousWasLiteral = false;
  std::size_t textBytes = 0;
  for (const auto& segment : segments) {
    require(!segment.text().empty());
    if (segment.isVariable()) {
      require(segment.text().front() != ' ' && segment.text().back() != ' ');
      previousWasLiteral = false;
    } else {
      require(!previousWasLiteral);
      previousWasLiteral = true;
    }
    textBytes += segment.text().size();
  }
  // Parsing only drops braces, escapes and blanks around names.
  require(textBytes <= size);
  require(value.hasVariables() == !value.variableNames().empty());
  // Filling every blank with its own name in braces reproduces the unfilled text.
  kelvo::VariableTemplate::Values values;
  for (const auto& name : value.variableNames()) values[name] = "{" + name + "}";
  require(value.filled(values) == value.displayText());
  return 0;
}
