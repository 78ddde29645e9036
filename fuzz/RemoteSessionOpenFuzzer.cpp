// Opens any bytes as a sealed box of a session and through a replay guard: nothing made without
// the key may ever open, and nothing may crash or read past the input.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/remote/Security.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t sharedKey[32] = {7};
  static const std::uint8_t challenge[32] = {9};
  static const kelvo::Remote::Security::Session session(sharedKey, challenge);
  const std::span<const std::uint8_t> box(data, size);
  kelvo::Remote::Security::ReplayGuard guard;
  if (session.open(box) || guard.open(session, box)) std::abort();
  return 0;
}
