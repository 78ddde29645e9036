#include "core/import/PlaceholderTranslator.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_set>

#include "core/import/internal/BodyTranslation.hpp"
#include "core/import/internal/Graphemes.hpp"
#include "core/import/internal/PlaceholderScan.hpp"
#include "core/import/internal/Trim.hpp"
#include "platform/foundation/Regex.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::PlaceholderTranslator {
namespace {

using text::CharacterClass;

const Regex& bracesPattern() {
  static const Regex pattern(R"(\{([a-zA-Z][a-zA-Z-]*)((?:[^"{}]|"[^"]*")*)\})");
  return pattern;
}

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Drops braces and backslashes, joins the words with single spaces, keeps 40 characters.
std::string cleaned(std::string_view proposed) {
  // Most names are a short run of visible ASCII: nothing to drop or join.
  if (proposed.size() <= blankNameLimit &&
      std::all_of(proposed.begin(), proposed.end(), [](char c) {
        return c > ' ' && c < 0x7F && c != '{' && c != '}' && c != '\\';
      })) {
    return std::string(proposed);
  }
  std::string joined;
  bool pendingSpace = false;
  for (std::size_t offset = 0; offset < proposed.size();) {
    const auto byte = static_cast<unsigned char>(proposed[offset]);
    const char32_t scalar = byte < 0x80 ? proposed[offset++] : nextScalar(proposed, offset);
    if (scalar == U'{' || scalar == U'}' || scalar == U'\\') continue;
    if (import_internal::inClass(scalar, CharacterClass::whitespaceAndNewline)) {
      pendingSpace = !joined.empty();
      continue;
    }
    if (pendingSpace) joined.push_back(' ');
    pendingSpace = false;
    scalar < 0x80 ? joined.push_back(static_cast<char>(scalar)) : appendUtf8(joined, scalar);
  }
  // No more bytes than the limit means no more characters either.
  return joined.size() <= blankNameLimit ? joined : text::prefix(joined, blankNameLimit);
}

// The names taken so far, compared canonically. Most bodies have a blank or two: those stay
// in a short list; more go to a hash set, so many blanks stay linear.
class TakenNames {
 public:
  bool contains(std::string_view name) const {
    if (!set_.empty()) return set_.contains(name);
    return std::any_of(few_.begin(), few_.end(), [&](const std::string& taken) {
      return text::canonicallyEqual(taken, name);
    });
  }

  void insert(const std::string& name) {
    if (set_.empty() && few_.size() < 8) {
      if (!contains(name)) few_.push_back(name);
      return;
    }
    if (set_.empty()) set_.insert(few_.begin(), few_.end());
    set_.insert(name);
  }

  void clear() {
    few_.clear();
    // A fresh set: clearing would walk every bucket a large body once made.
    if (!set_.empty()) set_ = {};
  }

 private:
  std::vector<std::string> few_;
  std::unordered_set<std::string, text::CanonicalHash, text::CanonicalEqual> set_;
};

// The body is built once, front to back, from literal text and blanks: no marker ever stands
// in the text, so nothing already in it can be mistaken for one. Literal braces are escaped at
// the end, judged among their final neighbours: only a brace the template reads as a brace
// gets a backslash, since one a mark joins is ordinary text there.
class Translation {
 public:
  static constexpr std::size_t keptRoom = 1 << 16;

  // Also clears what an earlier body left, keeping the room it took.
  void start(std::size_t size) {
    body_.clear();
    body_.reserve(size + size / 8);
    literalBraces_.clear();
    taken_.clear();
    counter_ = 0;
    warnings_.clear();
  }

  void literal(std::string_view text) {
    // A plain loop: find_first_of would search the two braces once for every byte.
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '{' || text[i] == '}') literalBraces_.push_back(body_.size() + i);
    }
    body_.append(text);
  }

  void namedBlank(std::string_view proposed) {
    std::string name = cleaned(proposed);
    if (name.empty()) return numberedBlank();
    taken_.insert(name);
    blank(name);
  }

  void numberedBlank() {
    const std::string name = nextNumberedName();
    blank(name);
    warnings_.push_back(ImportWarning::unnamedFillNumbered(name));
  }

  void numberedDynamicBlank(std::string_view original) {
    const std::string name = nextNumberedName();
    blank(name);
    warnings_.push_back(ImportWarning::dynamicPlaceholderBecameBlank(std::string(original), name));
  }

  void keywordBlank(std::string_view keyword, std::string_view original) {
    const std::string name = uniqueName(std::string(keyword));
    blank(name);
    warnings_.push_back(ImportWarning::dynamicPlaceholderBecameBlank(std::string(original), name));
  }

  void warn(ImportWarning warning) { warnings_.push_back(std::move(warning)); }

  Output finish() {
    escapeBraces();
    return {std::move(body_), std::move(warnings_)};
  }

  void finishInto(std::string& body, std::vector<ImportWarning>& warnings) {
    escapeBraces();
    body.assign(body_);
    warnings.insert(warnings.end(), std::make_move_iterator(warnings_.begin()),
                    std::make_move_iterator(warnings_.end()));
    // Room for ordinary bodies is kept for the next; a large body's is given back.
    if (body_.capacity() > keptRoom) body_ = std::string();
    if (literalBraces_.capacity() > keptRoom) literalBraces_ = std::vector<std::size_t>();
  }

 private:
  void escapeBraces() {
    std::erase_if(literalBraces_, [this](std::size_t brace) {
      // Only a neighbour outside ASCII can join a brace.
      const bool asciiBefore = brace == 0 || static_cast<unsigned char>(body_[brace - 1]) < 0x80;
      const bool asciiAfter =
          brace + 1 == body_.size() || static_cast<unsigned char>(body_[brace + 1]) < 0x80;
      return !(asciiBefore && asciiAfter) && !import_internal::standsAlone(body_, brace, 1);
    });
    // The backslashes go in from the back, so the text moves once and in place.
    std::size_t end = body_.size();
    std::size_t shift = literalBraces_.size();
    body_.resize(body_.size() + shift);
    for (auto brace = literalBraces_.rbegin(); brace != literalBraces_.rend(); ++brace) {
      std::memmove(body_.data() + *brace + shift, body_.data() + *brace, end - *brace);
      body_[*brace + --shift] = '\\';
      end = *brace;
    }
  }

  std::string nextNumberedName() { return uniqueName("blank " + std::to_string(++counter_)); }

  std::string uniqueName(std::string candidate) const {
    if (!taken_.contains(candidate)) return candidate;
    for (std::size_t suffix = 2;; ++suffix) {
      std::string name = candidate + " " + std::to_string(suffix);
      if (!taken_.contains(name)) return name;
    }
  }

  void blank(std::string_view name) {
    body_.push_back('{');
    body_.append(name);
    body_.push_back('}');
  }

  std::string body_;
  std::vector<std::size_t> literalBraces_;
  TakenNames taken_;
  std::size_t counter_ = 0;
  std::vector<ImportWarning> warnings_;
};

// The value of the "name" argument in ":name=Client:default=x", if one is given.
std::optional<std::string_view> nameArgument(std::string_view arguments) {
  std::size_t start = 0;
  while (start < arguments.size()) {
    std::size_t colon = start, equals = std::string_view::npos;
    for (; colon < arguments.size() && arguments[colon] != ':'; ++colon) {
      if (equals == std::string_view::npos && arguments[colon] == '=') equals = colon;
    }
    const std::size_t next = colon + 1;
    if (equals != std::string_view::npos && equals != start && equals + 1 != colon &&
        import_internal::trimmedView(arguments.substr(start, equals - start),
                                     CharacterClass::whitespace) == "name") {
      return arguments.substr(equals + 1, colon - equals - 1);
    }
    start = next;
  }
  return std::nullopt;
}

void textExpanderMatch(Translation& out, const import_internal::TextExpanderPlaceholder& match) {
  const std::string_view whole = match.whole;
  if (whole == "%clipboard") return out.keywordBlank("clipboard", whole);
  if (whole == "%|" || whole == "%\\") return out.warn(ImportWarning::cursorMarkerRemoved());
  const std::string_view command = match.command;
  if (command == "filltext" || command == "fillarea" || command == "fillpopup") {
    const auto name = nameArgument(match.arguments);
    return name ? out.namedBlank(*name) : out.numberedBlank();
  }
  if (command == "snippet") return out.numberedDynamicBlank(whole);
  if (command == "key") return out.warn(ImportWarning::controlCodeRemoved(std::string(whole)));
  // The fill-part markers go; the text between them stays.
}

void bracesMatch(Translation& out, const Regex::Match& match) {
  const std::string_view whole = match.text;
  const std::string_view keyword = match.captures[0].value_or("");
  if (keyword == "argument") {
    const auto name = import_internal::quotedNameArgument(match.captures[1].value_or(""));
    return name ? out.namedBlank(*name) : out.numberedBlank();
  }
  if (keyword == "cursor") return out.warn(ImportWarning::cursorMarkerRemoved());
  if (contains(dynamicBlankKeywords, keyword)) return out.keywordBlank(keyword, whole);
  if (contains(dynamicNumberedKeywords, keyword)) return out.numberedDynamicBlank(whole);
  out.literal(whole);
}

// Every placeholder of a dialect starts with its sign, and the only other bytes a translation
// changes are braces: a body with none of them comes out as it went in.
bool needsTranslation(std::string_view body, PlaceholderSyntax syntax) {
  const bool percent = syntax == PlaceholderSyntax::textExpander;
  return std::any_of(body.begin(), body.end(),
                     [percent](char c) { return c == '{' || c == '}' || (percent && c == '%'); });
}

void run(std::string_view body, PlaceholderSyntax syntax, Translation& out) {
  out.start(body.size());
  if (syntax == PlaceholderSyntax::none) return out.literal(body);
  const bool braces = syntax == PlaceholderSyntax::braces;
  const char sign = braces ? '{' : '%';
  if (body.find(sign) == std::string_view::npos) return out.literal(body);
  std::size_t copied = 0;
  if (braces) {
    // A search the matcher gives up on ends the pass; the rest is copied as text.
    for (const Regex::Match& match : bracesPattern().allMatches(body, sign)) {
      out.literal(body.substr(copied, match.offset - copied));
      bracesMatch(out, match);
      copied = match.offset + match.text.size();
    }
  } else {
    // Every placeholder of this dialect is decided by a plain look at its first bytes.
    for (std::size_t at = body.find(sign); at != std::string_view::npos;) {
      const auto match = import_internal::textExpanderPlaceholderAt(body, at);
      if (!match) {
        at = body.find(sign, at + 1);
        continue;
      }
      out.literal(body.substr(copied, at - copied));
      textExpanderMatch(out, *match);
      copied = at + match->whole.size();
      at = body.find(sign, copied);
    }
  }
  out.literal(body.substr(copied));
}

}  // namespace

Output translate(std::string_view body, PlaceholderSyntax syntax) {
  Translation out;
  run(body, syntax, out);
  return out.finish();
}

}  // namespace kelvo::PlaceholderTranslator

namespace kelvo::import_internal {

void translateInPlace(std::string& body, PlaceholderSyntax syntax,
                      std::vector<ImportWarning>& warnings) {
  using namespace PlaceholderTranslator;
  if (!needsTranslation(body, syntax)) return;
  // One per thread, so its room is taken once for a whole import.
  thread_local Translation out;
  run(body, syntax, out);
  out.finishInto(body, warnings);
}

}  // namespace kelvo::import_internal
