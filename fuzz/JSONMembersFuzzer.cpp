// Reads a settings document member by member: whatever the bytes, the members kept are an
// object, a document read whole agrees with the strict reader, and the members kept write back
// to a document that reads whole and the same.
#include <cstdint>
#include <nlohmann/json.hpp>

#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/internal/JSONMembers.hpp"

using kelvo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  const kelvo::foundation_internal::MemberRead read = kelvo::foundation_internal::readMembers(text);
  require(read.members.is_object());
  kelvo::Json strict;
  bool strictObject = false;
  try {
    strict = kelvo::json::parse(text);
    strictObject = strict.is_object();
  } catch (const kelvo::DecodingError&) {
  }
  require(read.isWhole == strictObject);
  if (read.isWhole) require(read.members == strict);
  const kelvo::foundation_internal::MemberRead again = kelvo::foundation_internal::readMembers(
      kelvo::foundation_internal::writeMembers(read.members));
  require(again.isWhole && again.members == read.members);
  return 0;
}
