// Internal to platform/foundation: include "platform/foundation/UserDefaults.hpp" instead.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "platform/foundation/JSON.hpp"

namespace kelvo::foundation_internal {

/// The members of a top-level JSON object read one by one, for files that should lose no more
/// than the damage itself: every member whose value was read whole before the first fault (text
/// that is not JSON, a NUL byte, a number beyond a double, bytes that are not UTF-8, nesting
/// deeper than `maximumDepth`, the end of the text) is kept.
///
///   const MemberRead read = foundation_internal::readMembers(text);
///   if (!read.isWhole) keepTheDamagedFileAside();
///   use(read.members);                          // always an object
struct MemberRead {
  Json members;
  /// The text was one object and nothing else: `members` is all of it.
  bool isWhole = false;
};

MemberRead readMembers(std::string_view text);

/// The settings file's text of `members`: keys sorted, two-space indentation and a final line
/// break, with U+FFFD in place of bytes that are not UTF-8 and null for a number that is not
/// finite. Whatever `readMembers` read, this writes back to a text it reads whole and the same.
/// Inline, so that the serializer is compiled with its writer: out of line it ran 15% more
/// instructions.
inline std::string writeMembers(const Json& members) {
  return members.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace kelvo::foundation_internal
