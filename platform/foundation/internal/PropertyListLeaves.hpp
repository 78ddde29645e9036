// Internal to platform/foundation: include "platform/foundation/PropertyList.hpp" instead.
#pragma once

// The parts of reading a property list that both of its readers share: the values of leaf
// elements from their text, and the error every refusal throws.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo::foundation_internal {

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

/// Finds a key again among a dictionary's entries read so far (each key once, in order). A few
/// keys are searched in turn; past them the keys are indexed, so a dictionary of very many keys
/// is not read in quadratic time.
class DictionaryKeys {
 public:
  /// Where `key` stands among `entries`, or `entries.size()` when it is new.
  template <class Entries>
  std::size_t find(const Entries& entries, std::string_view key) {
    if (entries.size() <= searchedInTurn) {
      for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].first == key) return i;
      }
      return entries.size();
    }
    for (std::size_t i = index_.size(); i < entries.size(); ++i)
      index_.emplace(entries[i].first, i);
    const auto found = index_.find(key);
    return found == index_.end() ? entries.size() : found->second;
  }

 private:
  static constexpr std::size_t searchedInTurn = 16;
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;
};

}  // namespace kelvo::foundation_internal
