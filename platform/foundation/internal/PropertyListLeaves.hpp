#pragma once

// The parts of reading a property list that both of its readers share: the values of leaf
// elements from their text, and the error every refusal throws.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo::plist {

[[noreturn]] void unreadable(const std::string& detail);

/// XML's white space: space, tab, line feed and carriage return.
constexpr bool isXMLSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmedXMLSpace(std::string_view text);

/// The value of an `<integer>`, `<real>`, `<date>` or `<data>` from its text; each throws
/// `PropertyListError` for text that is not one.
std::int64_t integerValue(std::string_view text);
double realValue(std::string_view text);
Date dateValue(std::string_view text);
Bytes dataValue(std::string_view text);

}  // namespace kelvo::plist
