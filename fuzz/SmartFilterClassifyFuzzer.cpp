// Classifies arbitrary bytes as a file name and as a payload for every card type: each answer
// must be one of the twelve filters, and the extension must decide the same whatever the type
// of an attachment card.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/search/SmartFilter.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvo;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
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
  if (image != file && !(image == SmartFilter::images && file == SmartFilter::otherFiles)) {
    std::abort();
  }
  return 0;
}
