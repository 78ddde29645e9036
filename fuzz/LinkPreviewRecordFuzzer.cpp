// Reads arbitrary bytes as a link-preview record and checks that it writes back unchanged and
// that the policy's answers over it never fail.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/model/LinkPreviewPolicy.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/DecodingError.hpp"

using kelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::LinkPreviewPolicy;
  const std::string_view bytes = kelvo::fuzz::text(data, size);
  std::optional<LinkPreviewPolicy::Record> record;
  try {
    record = LinkPreviewPolicy::Record::decode(bytes);
  } catch (const kelvo::DecodingError&) {
    return 0;
  }
  const std::string written = record->encoded();
  require(LinkPreviewPolicy::Record::decode(written) == *record);

  const kelvo::Date now(700'000'000);
  require(!LinkPreviewPolicy::isDue(true, record, now));
  require(LinkPreviewPolicy::retryDelay(record->attempts) >= 0);
  const auto failed = LinkPreviewPolicy::record(record, LinkPreviewPolicy::Outcome::failed, now);
  require(failed.attempts >= record->attempts ||
          record->outcome != LinkPreviewPolicy::Outcome::failed);
  require(LinkPreviewPolicy::record(record, LinkPreviewPolicy::Outcome::image, now).attempts == 0);
  (void)LinkPreviewPolicy::isDue(false, failed, now);
  return 0;
}
