// Reads arbitrary bytes as the widget snapshot file and checks that whatever reads writes back
// to a file that reads the same, and that the words of the snapshot never fail.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "core/widget/KelvoWidgetState.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/DecodingError.hpp"

using kelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::KelvoWidgetSnapshot;
  const std::string_view bytes = kelvo::fuzz::text(data, size);
  std::optional<KelvoWidgetSnapshot> snapshot;
  try {
    snapshot = KelvoWidgetSnapshot::decode(bytes);
  } catch (const kelvo::DecodingError&) {
    return 0;
  }
  // Parsed numbers are finite, so the snapshot always writes.
  const std::string written = snapshot->encoded();
  require(KelvoWidgetSnapshot::decode(written) == *snapshot);
  // A negative zero is written "-0" and reads back as 0, so bytes settle after one round.
  const std::string rewritten = KelvoWidgetSnapshot::decode(written).encoded();
  require(KelvoWidgetSnapshot::decode(rewritten).encoded() == rewritten);

  const kelvo::Date now(700'000'000);
  require(!snapshot->isOutdated(now) || snapshot->isStale(now));
  require(!snapshot->dueSummary().empty() && !snapshot->dueAccessibilityLabel().empty());
  for (const auto& card : snapshot->cards()) require(card.link().has_value());
  const auto state = kelvo::KelvoWidgetState::cards(*snapshot);
  require(state.cards().size() == snapshot->cards().size());
  return 0;
}
