#include "core/remote/internal/WireParser.hpp"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/remote/Command.hpp"
#include "core/remote/CommandResult.hpp"
#include "core/remote/Message.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::remote_internal {
namespace {

// What keeping a value costs the heap at its worst, roughly (usable sizes of the tree's
// blocks): a 16-byte slot in its array, five times over (the array doubles, and the tree's
// destructor moves the slots onto a stack of its own that doubles too), or a node in its object
// holding the name; the map, vector or string each container or string allocates; a long
// string's text.
constexpr std::size_t elementCost = 80;
constexpr std::size_t memberCost = 88;
constexpr std::size_t objectCost = 56;
constexpr std::size_t arrayCost = 24;
constexpr std::size_t stringCost = 40;
constexpr std::size_t shortStringLength = 15;

std::size_t textCost(std::size_t length) { return length > shortStringLength ? length + 1 : 0; }

[[noreturn]] void refuse(const std::string& detail) {
  throw DecodingError(DecodingError::Kind::dataCorrupted,
                      "The given data was not valid JSON: " + detail + ".", {});
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of the four hexadecimal digits at `at`, or -1.
int hexQuad(std::string_view text, std::size_t at) {
  if (at + 4 > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const char c = text[i];
    int digit = -1;
    if (isDigit(c)) digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

struct Escape {
  char32_t scalar = 0;
  /// Characters it spans; 0 for a backslash that starts no valid escape.
  std::size_t length = 0;
};

// The escape whose backslash is at `at`. A surrogate counts only as the high half of a pair.
Escape readEscape(std::string_view text, std::size_t at) {
  constexpr std::string_view simple = "\"\"\\\\//b\bf\fn\nr\rt\t";
  if (at + 1 >= text.size()) return {};
  const char kind = text[at + 1];
  for (std::size_t i = 0; i < simple.size(); i += 2) {
    if (simple[i] == kind) return {static_cast<char32_t>(simple[i + 1]), 2};
  }
  const int high = kind == 'u' ? hexQuad(text, at + 2) : -1;
  if (high < 0 || (high >= 0xDC00 && high <= 0xDFFF)) return {};
  if (high < 0xD800 || high > 0xDBFF) return {static_cast<char32_t>(high), 6};
  const bool paired = at + 8 <= text.size() && text[at + 6] == '\\' && text[at + 7] == 'u';
  const int low = paired ? hexQuad(text, at + 8) : -1;
  if (low < 0xDC00 || low > 0xDFFF) return {};
  return {0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) +
              (static_cast<char32_t>(low) - 0xDC00),
          12};
}

std::size_t utf8Length(char32_t scalar) {
  return scalar < 0x80 ? 1 : scalar < 0x800 ? 2 : scalar < 0x10000 ? 3 : 4;
}

// A string as it stands in the text, checked: what lies between its quotes.
struct StringToken {
  std::string_view raw;
  std::size_t decodedLength = 0;
  bool escaped = false;
};

std::string decoded(const StringToken& token) {
  if (!token.escaped) return std::string(token.raw);
  std::string text;
  text.reserve(token.decodedLength);
  for (std::size_t at = 0; at < token.raw.size();) {
    const std::size_t slash = std::min(token.raw.find('\\', at), token.raw.size());
    text.append(token.raw.substr(at, slash - at));
    if (slash == token.raw.size()) break;
    const Escape escape = readEscape(token.raw, slash);
    appendUtf8(text, escape.scalar);
    at = slash + escape.length;
  }
  return text;
}

// A number's value as the platform's reader gives it: a whole number as an unsigned or (when
// negative) a signed integer while it fits, anything else as the nearest double.
Json numberValue(std::string_view text, bool whole) {
  const char* end = text.data() + text.size();
  if (whole && text.front() == '-') {
    std::int64_t value = 0;
    if (std::from_chars(text.data(), end, value).ec == std::errc()) return Json(value);
  } else if (whole) {
    std::uint64_t value = 0;
    if (std::from_chars(text.data(), end, value).ec == std::errc()) return Json(value);
  }
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  std::array<char, maximumNumberLength + 1> terminated{};
  text.copy(terminated.data(), text.size());
  const double value = strtod_l(terminated.data(), nullptr, cLocale);
  if (!std::isfinite(value)) refuse("a number is out of range");
  return Json(value);
}

// One pass over the text that builds what it keeps. Every value goes through `value`, with
// nowhere to go (null) when it sits under an unknown member: it is checked just as strictly.
class WireReader {
 public:
  WireReader(std::string_view text, std::span<const std::string_view> knownKeys)
      : text_(text), knownKeys_(knownKeys) {
    for (std::string_view key : knownKeys) longestKey_ = std::max(longestKey_, key.size());
  }

  Json document() {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    Json root;
    skipWhiteSpace();
    value(&root);
    skipWhiteSpace();
    if (pos_ != text_.size()) unexpected();
    return root;
  }

 private:
  char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

  [[noreturn]] void unexpected() const {
    refuse("unexpected input at byte " + std::to_string(pos_));
  }

  void skipWhiteSpace() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
      ++pos_;
    }
  }

  // Counts what keeping a value costs against what the text read so far allows.
  void keep(std::size_t cost) {
    cost_ += cost;
    if (cost_ > pos_ * keptBytesPerTextByte + keptByteAllowance) {
      refuse("more values than a message can hold");
    }
  }

  void value(Json* out) {
    switch (peek()) {
      case '{':
        if (out) {
          keep(objectCost);
          *out = Json::object();
        }
        return list('}', [this, out] { member(out); });
      case '[':
        if (out) {
          keep(arrayCost);
          *out = Json::array();
        }
        return list(']', [this, out] { value(out ? element(*out) : nullptr); });
      case '"': {
        const StringToken token = string();
        if (out) {
          keep(stringCost + textCost(token.decodedLength));
          *out = decoded(token);
        }
        return;
      }
      case 't':
        return literal("true", out, true);
      case 'f':
        return literal("false", out, false);
      case 'n':
        return literal("null", out, nullptr);
      default:
        return number(out);
    }
  }

  // The members or elements of the container opening at `pos_`, each read by `item`.
  template <class Item>
  void list(char close, Item item) {
    if (++depth_ > json::maximumDepth) refuse("too many nested arrays or objects");
    ++pos_;
    skipWhiteSpace();
    char next = peek();
    if (next != close) {
      do {
        skipWhiteSpace();
        item();
        skipWhiteSpace();
        next = peek();
        if (next != ',' && next != close) unexpected();
        ++pos_;
      } while (next == ',');
    } else {
      ++pos_;
    }
    --depth_;
  }

  Json* element(Json& array) {
    keep(elementCost);
    return &array.emplace_back();
  }

  void member(Json* object) {
    if (peek() != '"') unexpected();
    const StringToken key = string();
    skipWhiteSpace();
    if (peek() != ':') unexpected();
    ++pos_;
    skipWhiteSpace();
    Json* slot = nullptr;
    if (const auto name = object ? knownName(key) : std::nullopt) {
      keep(memberCost + textCost(name->size()));
      slot = &(*object)[std::string(*name)];
      // A repeated member is read again; the last one stands, as with the platform's reader.
      *slot = nullptr;
    }
    value(slot);
  }

  std::optional<std::string_view> knownName(const StringToken& key) const {
    std::string spelled;
    std::string_view name = key.raw;
    if (key.escaped) {
      // A longer name is no known one, and is not built to find that out.
      if (key.decodedLength > longestKey_) return std::nullopt;
      spelled = decoded(key);
      name = spelled;
    }
    const auto found = std::lower_bound(knownKeys_.begin(), knownKeys_.end(), name);
    if (found == knownKeys_.end() || *found != name) return std::nullopt;
    return *found;
  }

  StringToken string() {
    const std::size_t begin = ++pos_;
    StringToken token;
    unsigned char bytes = 0;  // every byte or-ed: its top bit tells whether any is not ASCII
    while (true) {
      const std::size_t run = pos_;
      while (pos_ < text_.size()) {
        const auto c = static_cast<unsigned char>(text_[pos_]);
        if (c == '"' || c == '\\' || c < 0x20) break;
        bytes |= c;
        ++pos_;
      }
      token.decodedLength += pos_ - run;
      if (peek() == '"') break;
      const Escape escape = peek() == '\\' ? readEscape(text_, pos_) : Escape{};
      if (escape.length == 0) unexpected();
      token.escaped = true;
      token.decodedLength += utf8Length(escape.scalar);
      pos_ += escape.length;
    }
    token.raw = text_.substr(begin, pos_ - begin);
    ++pos_;
    if ((bytes & 0x80) != 0 && !isValidUtf8(token.raw)) refuse("a string is not UTF-8");
    return token;
  }

  void number(Json* out) {
    const std::size_t begin = pos_;
    bool whole = true;
    if (peek() == '-') ++pos_;
    if (peek() == '0') {
      ++pos_;
    } else {
      digits(begin);
    }
    if (peek() == '.') {
      whole = false;
      ++pos_;
      digits(begin);
    }
    if (peek() == 'e' || peek() == 'E') {
      whole = false;
      ++pos_;
      if (peek() == '+' || peek() == '-') ++pos_;
      digits(begin);
    }
    // Even a dropped number must be one a double can hold, as the platform's reader asks.
    if (out || !whole) {
      Json number = numberValue(text_.substr(begin, pos_ - begin), whole);
      if (out) *out = std::move(number);
    }
  }

  // One or more digits of the number that began at `begin`, which stays within its bound.
  void digits(std::size_t begin) {
    if (!isDigit(peek())) unexpected();
    while (isDigit(peek())) {
      if (++pos_ - begin > maximumNumberLength) {
        refuse("a number is longer than " + std::to_string(maximumNumberLength) + " characters");
      }
    }
  }

  void literal(std::string_view word, Json* out, Json value) {
    if (text_.substr(pos_, word.size()) != word) unexpected();
    pos_ += word.size();
    if (out) *out = std::move(value);
  }

  std::string_view text_;
  std::span<const std::string_view> knownKeys_;
  std::size_t longestKey_ = 0;
  std::size_t pos_ = 0;
  std::size_t cost_ = 0;
  int depth_ = 0;
};

}  // namespace

Json parseWire(std::string_view text, std::span<const std::string_view> knownKeys) {
  return WireReader(text, knownKeys).document();
}

std::span<const std::string_view> messageKeys() {
  static const std::vector<std::string_view> keys = [] {
    std::vector<std::string_view> all{
        "_0",       "code",   "from",  "token",   "host",       "id",         "name", "kind",
        "version",  "offset", "title", "text",    "shelfID",    "expected",   "card", "type",
        "filename", "data",   "cards", "shelves", "nextOffset", "isReadOnly",
    };
    all.insert(all.end(), Remote::Message::caseNames.begin(), Remote::Message::caseNames.end());
    all.insert(all.end(), Remote::Command::caseNames.begin(), Remote::Command::caseNames.end());
    all.insert(all.end(), Remote::CommandResult::caseNames.begin(),
               Remote::CommandResult::caseNames.end());
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
  }();
  return keys;
}

std::span<const std::string_view> authRequestKeys() {
  static constexpr std::array<std::string_view, 7> keys{"device", "id",    "kind",   "mode",
                                                        "name",   "proof", "version"};
  return keys;
}

std::span<const std::string_view> authResponseKeys() {
  static constexpr std::array<std::string_view, 8> keys{"accepted", "host",    "id",    "kind",
                                                        "name",     "refusal", "token", "version"};
  return keys;
}

}  // namespace kelvo::remote_internal
