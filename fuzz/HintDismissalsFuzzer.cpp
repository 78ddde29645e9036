// Reads arbitrary bytes as stored hint dismissals and checks that whatever reads writes back to
// bytes that read the same, and that each written form is stable.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/guidance/HintDismissals.hpp"
#include "platform/foundation/DecodingError.hpp"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::HintDismissals;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::optional<HintDismissals> dismissals;
  try {
    dismissals = HintDismissals::decoded(bytes);
  } catch (const kelvo::DecodingError&) {
    return 0;
  }
  const kelvo::Bytes written = dismissals->encoded();
  const HintDismissals reread = HintDismissals::decoded(written);
  // Ill-formed UTF-8 is written with U+FFFD, so only the second round must be exact.
  require(reread.rawIDs().size() <= dismissals->rawIDs().size());
  require(HintDismissals::decoded(reread.encoded()) == reread);
  require(reread.encoded() == HintDismissals::decoded(reread.encoded()).encoded());
  for (auto screen : kelvo::allCases<kelvo::HintScreen>()) {
    (void)dismissals->hasDismissedEverything(screen);
  }
  return 0;
}
