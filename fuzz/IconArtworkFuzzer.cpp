// Reads arbitrary bytes as icon artwork and draws what it kept, both ways.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzInput.hpp"
#include "platform/widgetkit/IconArtwork.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelvo::widgetkit;
  const std::string_view bytes = kelvo::fuzz::text(data, size);
  if (const auto artwork = IconArtwork::parse(bytes)) {
    const RGBA tint{0.2, 0.4, 0.6, 1};
    (void)artwork->markup(ImageRendering::templateImage, tint);
    (void)artwork->markup(ImageRendering::original, tint);
  }
  return 0;
}
