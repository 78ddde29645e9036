#include "platform/foundation/internal/PropertyListScanner.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/foundation/Utf.hpp"
#include "platform/foundation/internal/PropertyListLeaves.hpp"

namespace kelvo::foundation_internal {
namespace {

// Thrown where the document reader may read the text otherwise; never leaves this file.
struct Declined {};

[[noreturn]] void decline() { throw Declined{}; }

enum class Kind { plist, array, dict, key, string, integer, real, date, data, yes, no };

// A name of at most seven bytes as one number: names hold no NUL, so no two share one.
constexpr std::uint64_t packed(std::string_view name) {
  std::uint64_t value = 0;
  for (const char c : name) value = value << 8 | static_cast<unsigned char>(c);
  return value;
}

// The kind named `name`, whose `packed` form is given.
Kind kindNamed(std::string_view name, std::uint64_t key) {
  if (name.size() <= 7) {
    switch (key) {
      case packed("plist"):
        return Kind::plist;
      case packed("array"):
        return Kind::array;
      case packed("dict"):
        return Kind::dict;
      case packed("key"):
        return Kind::key;
      case packed("string"):
        return Kind::string;
      case packed("integer"):
        return Kind::integer;
      case packed("real"):
        return Kind::real;
      case packed("date"):
        return Kind::date;
      case packed("data"):
        return Kind::data;
      case packed("true"):
        return Kind::yes;
      case packed("false"):
        return Kind::no;
      default:
        break;
    }
  }
  decline();
}

constexpr bool isNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

// The ASCII bytes of names; pugixml's names also take any byte past ASCII, which this reader
// leaves to it.
constexpr std::array<bool, 256> nameBytes = [] {
  std::array<bool, 256> bytes{};
  for (int c = 0; c < 128; ++c) {
    bytes[c] = isNameStart(char(c)) || (c >= '0' && c <= '9') || c == '-' || c == '.';
  }
  return bytes;
}();

// Where a run of character data ends from `at`: at markup, a reference, or a NUL, where
// pugixml's buffer ends; sixteen bytes at a time where the processor allows.
std::size_t textEnd(std::string_view text, std::size_t at) {
#ifdef __SSE2__
  const __m128i lessThan = _mm_set1_epi8('<'), ampersand = _mm_set1_epi8('&');
  const __m128i nul = _mm_setzero_si128();
  for (; at + 16 <= text.size(); at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    const __m128i stops = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, lessThan), _mm_cmpeq_epi8(bytes, ampersand)),
        _mm_cmpeq_epi8(bytes, nul));
    if (const int mask = _mm_movemask_epi8(stops)) return at + std::countr_zero(unsigned(mask));
  }
#endif
  while (at < text.size() && text[at] != '<' && text[at] != '&' && text[at] != '\0') ++at;
  return at;
}

struct Tag {
  Kind kind;
  std::string_view name;
  bool empty;  // <name/>
};

class PlainScanner {
 public:
  PlainScanner(std::string_view text, PropertyList::ElementSink* sink) : text_(text), sink_(sink) {}

  PropertyListValue document() {
    prolog();
    Tag root = openTag();
    PropertyListValue value;
    if (root.kind == Kind::plist) {
      if (root.empty) decline();
      skipMisc();
      element(openTag(), 0, value);
      skipMisc();
      closeTag(root);
    } else {
      element(root, 0, value);
    }
    skipMisc();
    if (at_ != text_.size()) decline();
    return value;
  }

 private:
  bool startsWith(std::string_view prefix) const {
    return text_.compare(at_, prefix.size(), prefix) == 0;
  }
  char peek(std::size_t ahead = 0) const {
    return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0';
  }
  void skipSpace() {
    std::size_t next = at_;
    while (next < text_.size() && isXMLSpace(text_[next])) ++next;
    at_ = next;
  }

  // White space and comments, as between elements: pugixml keeps no comment.
  void skipMisc() {
    for (skipSpace(); atMarkup() && startsWith("<!--"); skipSpace()) skipComment();
  }
  // Whether a comment, CDATA section or declaration may open here: rare, so tested cheaply.
  bool atMarkup() const { return peek(1) == '!' && peek() == '<'; }
  void skipComment() {
    using namespace std::string_view_literals;
    at_ += 4;
    spanTo("-->", "\0"sv);
  }

  // Up to `end` from here, refusing the bytes in `refused`.
  std::string_view spanTo(std::string_view end, std::string_view refused) {
    const std::size_t stop = text_.find(end, at_);
    if (stop == std::string_view::npos) decline();
    const std::string_view span = text_.substr(at_, stop - at_);
    if (span.find_first_of(refused) != std::string_view::npos) decline();
    at_ = stop + end.size();
    return span;
  }

  // An XML declaration at the very start and a DOCTYPE that declares nothing are skipped.
  void prolog() {
    using namespace std::string_view_literals;
    if (startsWith("<?xml") && isXMLSpace(peek(5))) {
      at_ += 5;
      spanTo("?>", "<>\0"sv);
    }
    skipMisc();
    if (startsWith("<!DOCTYPE") && isXMLSpace(peek(9))) {
      at_ += 9;
      const std::string_view body = spanTo(">", "[<'\0"sv);
      if (std::count(body.begin(), body.end(), '"') % 2 != 0) decline();
      skipMisc();
    }
  }

  // A name, and its `packed` form where it is short enough to have one.
  std::string_view name(std::uint64_t* key = nullptr) {
    if (!isNameStart(peek())) decline();
    std::uint64_t value = 0;
    std::size_t end = at_;
    for (; end < text_.size() && nameBytes[static_cast<unsigned char>(text_[end])]; ++end) {
      value = value << 8 | static_cast<unsigned char>(text_[end]);
    }
    const std::string_view found = text_.substr(at_, end - at_);
    at_ = end;
    if (key) *key = value;
    return found;
  }

  // The length of a tag's name when the tag is just `<name>` or `<name/>`, as nearly all are,
  // matched whole; zero for any other, which `openTag` reads a byte at a time.
  template <std::size_t size>
  std::size_t bare(const char (&expected)[size], Kind kind, Kind& found) const {
    constexpr std::size_t length = size - 1;
    if (text_.size() - at_ < length + 2 || std::memcmp(text_.data() + at_, expected, length) != 0) {
      return 0;
    }
    const char* after = text_.data() + at_ + length;
    if (after[0] != '>' && (after[0] != '/' || after[1] != '>')) return 0;
    found = kind;
    return length;
  }

  std::size_t bareName(Kind& kind) const {
    switch (peek()) {
      case 'k':
        return bare("key", Kind::key, kind);
      case 's':
        return bare("string", Kind::string, kind);
      case 'd':
        if (const std::size_t length = bare("dict", Kind::dict, kind)) return length;
        if (const std::size_t length = bare("date", Kind::date, kind)) return length;
        return bare("data", Kind::data, kind);
      case 'a':
        return bare("array", Kind::array, kind);
      case 'i':
        return bare("integer", Kind::integer, kind);
      case 'r':
        return bare("real", Kind::real, kind);
      case 't':
        return bare("true", Kind::yes, kind);
      case 'f':
        return bare("false", Kind::no, kind);
      default:
        return 0;
    }
  }

  // Attributes are read past, each `name="value"` after white space.
  Tag openTag() {
    using namespace std::string_view_literals;
    if (peek() != '<') decline();
    ++at_;
    Kind kind = Kind::plist;
    if (const std::size_t length = bareName(kind)) {
      const bool empty = text_[at_ + length] == '/';
      const std::string_view name = text_.substr(at_, length);
      at_ += length + (empty ? 2 : 1);
      return Tag{kind, name, empty};
    }
    std::uint64_t key = 0;
    Tag tag{Kind::plist, name(&key), false};
    tag.kind = kindNamed(tag.name, key);
    while (isXMLSpace(peek())) {
      skipSpace();
      if (!isNameStart(peek())) break;
      name();
      skipSpace();
      if (peek() != '=') decline();
      ++at_;
      skipSpace();
      const char quote = peek();
      if (quote != '"' && quote != '\'') decline();
      ++at_;
      spanTo(std::string_view(&quote, 1), "<&\0"sv);
    }
    if (peek() == '/' && peek(1) == '>') {
      at_ += 2;
      tag.empty = true;
    } else if (peek() == '>') {
      ++at_;
    } else {
      decline();
    }
    return tag;
  }

  // Whether the name at `here` is `name`, eight bytes at once where the text has room: `name`
  // lies earlier in the same text, so it has that room too.
  bool sameName(const char* here, std::string_view name) const {
    const std::size_t size = name.size();
    if constexpr (std::endian::native == std::endian::little) {
      if (size <= 8 && text_.data() + text_.size() - here >= 8) {
        std::uint64_t found, expected;
        std::memcpy(&found, here, 8);
        std::memcpy(&expected, name.data(), 8);
        const std::uint64_t mask =
            size == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << 8 * size) - 1;
        return ((found ^ expected) & mask) == 0;
      }
    }
    return std::memcmp(here, name.data(), size) == 0;
  }

  bool atEndTag() const { return peek() == '<' && peek(1) == '/'; }

  void closeTag(const Tag& tag) {
    if (!atEndTag()) decline();
    at_ += 2;
    // A longer name runs on into a name byte, which is neither space nor '>'.
    const std::size_t size = tag.name.size();
    if (text_.size() - at_ < size) decline();
    if (!sameName(text_.data() + at_, tag.name)) decline();
    at_ += size;
    skipSpace();
    if (peek() != '>') decline();
    ++at_;
  }

  // The character data of a leaf, references replaced, comments left out and CDATA sections
  // taken as they stand, up to its end tag.
  std::string text(const Tag& tag) {
    if (tag.empty) return {};
    const std::size_t start = at_;
    at_ = textEnd(text_, at_);
    if (atEndTag()) {
      // Built at its exact size: most texts hold no reference.
      std::string out(text_.data() + start, at_ - start);
      closeTag(tag);
      return out;
    }
    at_ = start;
    std::string out = markedText();
    closeTag(tag);
    return out;
  }

  // Text holding references, comments or CDATA sections. References only shorten the text and
  // none holds a '<', so each run up to a '<' is written straight into room as long as the run,
  // and cut to what was written.
  std::string markedText() {
    using namespace std::string_view_literals;
    std::string out;
    while (true) {
      const std::size_t written = out.size();
      out.resize(written + std::min(text_.find('<', at_), text_.size()) - at_);
      char* write = out.data() + written;
      for (std::size_t from = at_;;) {
        at_ = textEnd(text_, at_);
        write = std::copy(text_.data() + from, text_.data() + at_, write);
        if (peek() != '&') break;
        write = reference(write);
        from = at_;
      }
      out.resize(static_cast<std::size_t>(write - out.data()));
      if (startsWith("<!--")) {
        skipComment();
      } else if (startsWith("<![CDATA[")) {
        at_ += 9;
        out += spanTo("]]>", "\0"sv);
      } else {
        return out;
      }
    }
  }

  // Whether `entity` follows the '&' here, compared whole.
  template <std::size_t size>
  bool follows(const char (&entity)[size]) const {
    return text_.size() - at_ > size - 1 &&
           std::memcmp(text_.data() + at_ + 1, entity, size - 1) == 0;
  }

  // The character a predefined entity here stands for, read past; NUL for any other text.
  char entity() {
    std::size_t size = 0;
    char replacement = '\0';
    if (follows("amp;")) {
      size = 5, replacement = '&';
    } else if (follows("lt;")) {
      size = 4, replacement = '<';
    } else if (follows("gt;")) {
      size = 4, replacement = '>';
    } else if (follows("quot;")) {
      size = 6, replacement = '"';
    } else if (follows("apos;")) {
      size = 6, replacement = '\'';
    }
    at_ += size;
    return replacement;
  }

  // pugixml replaces the five predefined entities and numeric references, and leaves any other
  // name as written. Numeric references it would write oddly are left to it.
  char* reference(char* write) {
    if (const char replacement = entity()) {
      *write = replacement;
      return write + 1;
    }
    if (peek(1) != '#') {
      *write = '&';
      ++at_;
      return write + 1;
    }
    const bool hex = peek(2) == 'x';
    at_ += hex ? 3 : 2;
    char32_t scalar = 0;
    std::size_t count = 0;
    for (; count < (hex ? 6 : 7); ++count, ++at_) {
      const char c = peek();
      const int digit = c >= '0' && c <= '9'                          ? c - '0'
                        : hex && (c | ' ') >= 'a' && (c | ' ') <= 'f' ? (c | ' ') - 'a' + 10
                                                                      : -1;
      if (digit < 0) break;
      scalar = scalar * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (count == 0 || peek() != ';' || scalar == 0 || scalar > 0x10FFFF ||
        (scalar >= 0xD800 && scalar <= 0xDFFF)) {
      decline();
    }
    ++at_;
    std::string bytes;  // at most four, fewer than the reference took
    appendUtf8(bytes, scalar);
    return std::copy(bytes.begin(), bytes.end(), write);
  }

  // A leaf that holds nothing but white space and comments.
  void nothing(const Tag& tag) {
    if (tag.empty) return;
    skipMisc();
    closeTag(tag);
  }

  // Reads the value `tag` opens into `slot`, made in place there: its string or list is moved
  // once, not into a value first and from there into its parent.
  void element(const Tag& tag, int depth, PropertyListValue& slot) {
    PropertyListValue::Storage&& storage = std::move(slot).storage();
    switch (tag.kind) {
      case Kind::string:
        storage.emplace<std::string>(text(tag));
        return;
      case Kind::array:
        storage.emplace<PropertyListValue::Array>(array(tag, depth + 1));
        return;
      case Kind::dict:
        storage.emplace<PropertyListValue::Dictionary>(dictionary(tag, depth + 1));
        return;
      case Kind::integer:
        storage = integerValue(text(tag));
        return;
      case Kind::real:
        storage = realValue(text(tag));
        return;
      case Kind::date:
        storage = dateValue(text(tag));
        return;
      case Kind::data:
        storage = dataValue(text(tag));
        return;
      case Kind::yes:
      case Kind::no:
        nothing(tag);
        storage = tag.kind == Kind::yes;
        return;
      case Kind::plist:
      case Kind::key:
        break;
    }
    decline();
  }

  // Whether a container's next child opens here; its end tag is read when not.
  bool nextChild(const Tag& tag) {
    skipMisc();
    if (atEndTag()) {
      closeTag(tag);
      return false;
    }
    return true;
  }

  // A container is reserved as wide as the last one at its depth, since the entries of a list
  // are most often alike, and moved to a list of its exact size when that guess was wrong.
  template <typename Item>
  static std::vector<Item> started(std::vector<std::size_t>& widths, int depth) {
    if (widths.size() <= static_cast<std::size_t>(depth)) widths.resize(depth + 1);
    std::vector<Item> items;
    items.reserve(widths[depth]);
    return items;
  }

  // The outermost container holds the rest of the text, so when it fills, the bytes its
  // entries took so far say how many more the bytes left hold. Grown once to that count and a
  // little more, rather than doubled again and again; never past what the bytes left could
  // fill at 64 bytes an entry, so that a few small entries before a long one reserve little.
  template <typename Item>
  void grow(std::vector<Item>& items, std::size_t start, int depth) const {
    const std::size_t count = items.size();
    if (depth != 1 || count < 16 || count != items.capacity()) return;
    const std::size_t left = text_.size() - at_;
    const std::size_t estimate = left / std::max<std::size_t>((at_ - start) / count, 1);
    const std::size_t more = std::min(estimate + estimate / 8, left / 64);
    items.reserve(count + std::max(count, more));
  }

  // Slack of up to a quarter is kept: a guess from bytes is rarely exact, and moving every
  // entry once more costs more than the room saved.
  template <typename Item>
  static std::vector<Item> finished(std::vector<Item>& items, std::vector<std::size_t>& widths,
                                    int depth) {
    widths[depth] = items.size();
    if (items.capacity() - items.size() <= items.size() / 4) return std::move(items);
    std::vector<Item> exact;
    exact.reserve(items.size());
    std::move(items.begin(), items.end(), std::back_inserter(exact));
    return exact;
  }

  PropertyListValue::Array array(const Tag& tag, int depth) {
    if (depth > PropertyList::maximumDepth) decline();
    if (depth == 1 && sink_) {
      PropertyListValue element;
      while (!tag.empty && nextChild(tag)) {
        keptElement(openTag(), depth, element);
        sink_->element(std::move(element));
      }
      return {};
    }
    auto elements = started<PropertyListValue>(arrayWidths_, depth);
    const std::size_t start = at_;
    while (!tag.empty && nextChild(tag)) {
      grow(elements, start, depth);
      const Tag child = openTag();
      element(child, depth, elements.emplace_back());
    }
    return finished(elements, arrayWidths_, depth);
  }

  // When `kept`, only the entries the sink keeps, their own arrays and dictionaries empty.
  PropertyListValue::Dictionary dictionary(const Tag& tag, int depth, bool kept = false) {
    if (depth > PropertyList::maximumDepth) decline();
    auto entries = started<PropertyListValue::Dictionary::value_type>(dictionaryWidths_, depth);
    const std::size_t start = at_;
    foundation_internal::DictionaryKeys keys;
    while (!tag.empty && nextChild(tag)) {
      grow(entries, start, depth);
      std::string key = entryKey();
      const Tag valueTag = openTag();
      if (kept && !sink_->keeps(key)) {
        skip(valueTag, depth);
        continue;
      }
      // The last of two equal keys wins, in the place of the first.
      const std::size_t place = keys.find(entries, key);
      if (place == entries.size()) entries.emplace_back(std::move(key), PropertyListValue());
      PropertyListValue& value = entries[place].second;
      if (kept && (valueTag.kind == Kind::array || valueTag.kind == Kind::dict)) {
        skip(valueTag, depth);
        value = valueTag.kind == Kind::array ? PropertyListValue(PropertyListValue::Array())
                                             : PropertyListValue(PropertyListValue::Dictionary());
      } else {
        element(valueTag, depth, value);
      }
    }
    return finished(entries, dictionaryWidths_, depth);
  }

  // The key of a dictionary's entry, read up to its value.
  std::string entryKey() {
    const Tag keyTag = openTag();
    if (keyTag.kind != Kind::key) decline();
    std::string key = text(keyTag);
    skipMisc();
    return key;
  }

  // Reads and checks the value `tag` opens as `element` would, keeping nothing of it: one
  // leaf at a time is made, to be checked.
  void skip(const Tag& tag, int depth) {
    if (tag.kind != Kind::array && tag.kind != Kind::dict) {
      PropertyListValue leaf;
      element(tag, depth, leaf);
      return;
    }
    if (depth + 1 > PropertyList::maximumDepth) decline();
    while (!tag.empty && nextChild(tag)) {
      if (tag.kind == Kind::dict) entryKey();
      skip(openTag(), depth + 1);
    }
  }

  // An element of the streamed array as far as the sink keeps it: an array comes empty, and a
  // dictionary holds only the entries kept, their own arrays and dictionaries empty.
  void keptElement(const Tag& tag, int depth, PropertyListValue& slot) {
    PropertyListValue::Storage&& storage = std::move(slot).storage();
    if (tag.kind == Kind::array) {
      skip(tag, depth);
      storage.emplace<PropertyListValue::Array>();
    } else if (tag.kind == Kind::dict) {
      storage.emplace<PropertyListValue::Dictionary>(dictionary(tag, depth + 1, true));
    } else {
      element(tag, depth, slot);
    }
  }

  std::string_view text_;
  PropertyList::ElementSink* sink_;
  std::size_t at_ = 0;
  std::vector<std::size_t> arrayWidths_;
  std::vector<std::size_t> dictionaryWidths_;
};

}  // namespace

std::optional<PropertyListValue> readPlain(std::string_view text, PropertyList::ElementSink* sink) {
  try {
    return PlainScanner(text, sink).document();
  } catch (const Declined&) {
  } catch (const PropertyListError&) {
  }
  return std::nullopt;
}

}  // namespace kelvo::foundation_internal
