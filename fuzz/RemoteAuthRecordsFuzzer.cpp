// Decodes bytes as both authentication records, read as a host reads them before anyone has
// authenticated; whatever decodes must encode and decode again to an equal record with the same
// text.
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/remote/AuthRecords.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/DecodingError.hpp"

namespace {

template <class Record>
std::string written(const Record& record) {
  kelvo::OrderedJson json;
  record.encode(json);
  return kelvo::json::write(json);
}

template <class Record>
void roundTrip(std::string_view text) {
  Record record;
  try {
    record = Record::decoded(text);
  } catch (const kelvo::DecodingError&) {
    return;
  }
  const std::string once = written(record);
  const Record again = Record::decoded(once);
  kelvo::fuzz::require(again == record && written(again) == once);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  roundTrip<kelvo::Remote::AuthRequest>(text);
  roundTrip<kelvo::Remote::AuthResponse>(text);
  return 0;
}
