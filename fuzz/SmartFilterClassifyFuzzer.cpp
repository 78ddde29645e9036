// Classifies arbitrary bytes as a file name and as a payload for every card type: each answer
// must be one of the twelve filters, the extension must decide the same whatever the type of an
// attachment card, and as the sets say once it is lower-cased.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "core/model/FileNames.hpp"
#include "core/search/SmartFilter.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvo;
  const std::string_view input = kelvo::fuzz::text(data, size);
  for (const CardType type : allCases<CardType>()) {
    const SmartFilter named = classifySmartFilter(type, input, input);
    const SmartFilter unnamed = classifySmartFilter(type, std::nullopt, input);
    if (!fromRawValue<SmartFilter>(rawValue(named)) ||
        !fromRawValue<SmartFilter>(rawValue(unnamed))) {
      std::abort();
    }
  }
  const SmartFilter image = classifySmartFilter(CardType::image, input, "");
  const SmartFilter file = classifySmartFilter(CardType::file, input, "");
  const std::string extension = text::lowercased(FileNames::pathExtension(input));
  SmartFilter expected = SmartFilter::otherFiles;
  for (const auto& [set, filter] : smartFilterExtensionSets()) {
    if (set->contains(extension)) expected = filter;
  }
  if (file != expected) std::abort();
  if (image != file && !(image == SmartFilter::images && file == SmartFilter::otherFiles)) {
    std::abort();
  }
  return 0;
}
