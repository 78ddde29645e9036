#include "core/model/VariableTemplate.hpp"

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <cstdint>
#include <functional>
#include <unordered_set>

#include "platform/foundation/Hash.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

enum class Mark : std::uint8_t { other, backslash, open, close };

// A run of ordinary characters, or one special character that is a cluster of its own.
struct Token {
  Mark mark;
  std::size_t begin;
  std::size_t end;
};

bool isBrace(Mark mark) { return mark == Mark::open || mark == Mark::close; }

Mark markOf(char byte) {
  switch (byte) {
    case '\\':
      return Mark::backslash;
    case '{':
      return Mark::open;
    case '}':
      return Mark::close;
    default:
      return Mark::other;
  }
}

bool isASCII(char byte) { return static_cast<unsigned char>(byte) < 0x80; }

// Asks ICU whether an ASCII byte stands alone as a grapheme cluster. Only a non-ASCII neighbour
// (a prepended mark before it, an extending mark after it) can join it to another character, so
// the break iterator is opened only for such bytes.
class ClusterProbe {
 public:
  explicit ClusterProbe(std::string_view text) : text_(text) {}
  ~ClusterProbe() {
    if (iterator_ != nullptr) ubrk_close(iterator_);
    if (utext_ != nullptr) utext_close(utext_);
  }
  ClusterProbe(const ClusterProbe&) = delete;
  ClusterProbe& operator=(const ClusterProbe&) = delete;

  bool standsAlone(std::size_t index) {
    const bool asciiBefore = index == 0 || isASCII(text_[index - 1]);
    const bool asciiAfter = index + 1 == text_.size() || isASCII(text_[index + 1]);
    if (asciiBefore && asciiAfter) return true;
    if (!open()) return true;
    return ubrk_isBoundary(iterator_, static_cast<std::int32_t>(index)) &&
           ubrk_isBoundary(iterator_, static_cast<std::int32_t>(index + 1));
  }

 private:
  bool open() {
    if (iterator_ != nullptr) return true;
    if (failed_) return false;
    UErrorCode status = U_ZERO_ERROR;
    utext_ =
        utext_openUTF8(nullptr, text_.data(), static_cast<std::int64_t>(text_.size()), &status);
    iterator_ = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
    if (U_SUCCESS(status)) ubrk_setUText(iterator_, utext_, &status);
    if (U_FAILURE(status)) {
      // Without ICU data every byte counts as its own character; the parse still succeeds.
      if (iterator_ != nullptr) ubrk_close(iterator_);
      iterator_ = nullptr;
      failed_ = true;
      return false;
    }
    return true;
  }

  std::string_view text_;
  UText* utext_ = nullptr;
  UBreakIterator* iterator_ = nullptr;
  bool failed_ = false;
};

std::vector<Token> tokenize(std::string_view raw) {
  // Break offsets are 32-bit in ICU; a longer text is read byte by byte.
  const bool probeClusters = raw.size() < INT32_MAX;
  ClusterProbe probe(raw);
  std::vector<Token> tokens;
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const Mark mark = markOf(raw[i]);
    if (mark == Mark::other || (probeClusters && !probe.standsAlone(i))) continue;
    if (runStart < i) tokens.push_back({Mark::other, runStart, i});
    tokens.push_back({mark, i, i + 1});
    runStart = i + 1;
  }
  if (runStart < raw.size()) tokens.push_back({Mark::other, runStart, raw.size()});
  return tokens;
}

// The token of the "}" that closes the "{" at `open`, or none. Blanks do not nest, and an
// escaped brace ends the search.
std::optional<std::size_t> closingBrace(const std::vector<Token>& tokens, std::size_t open) {
  for (std::size_t j = open + 1; j < tokens.size(); ++j) {
    switch (tokens[j].mark) {
      case Mark::backslash:
        if (j + 1 == tokens.size() || isBrace(tokens[j + 1].mark)) return std::nullopt;
        break;
      case Mark::open:
        return std::nullopt;
      case Mark::close:
        return j;
      case Mark::other:
        break;
    }
  }
  return std::nullopt;
}

}  // namespace

VariableTemplate::VariableTemplate(std::string raw)
    : raw_(std::move(raw)), segments_(parse(raw_)) {}

std::vector<TemplateSegment> VariableTemplate::parse(std::string_view raw) {
  std::vector<TemplateSegment> segments;
  const std::vector<Token> tokens = tokenize(raw);
  std::string pending;
  const auto flush = [&] {
    if (pending.empty()) return;
    segments.push_back(TemplateSegment::literal(std::move(pending)));
    pending.clear();
  };
  std::size_t t = 0;
  while (t < tokens.size()) {
    const Token& token = tokens[t];
    switch (token.mark) {
      case Mark::backslash:
        if (t + 1 < tokens.size() && isBrace(tokens[t + 1].mark)) {
          pending += raw[tokens[t + 1].begin];
          t += 2;
        } else {
          pending += '\\';
          t += 1;
        }
        break;
      case Mark::open: {
        const auto close = closingBrace(tokens, t);
        std::string name =
            close ? text::trimmed(raw.substr(token.end, tokens[*close].begin - token.end))
                  : std::string();
        if (name.empty()) {
          // Unmatched or empty: the "{" is text and reading resumes right after it.
          pending += '{';
          t += 1;
        } else {
          flush();
          segments.push_back(TemplateSegment::variable(std::move(name)));
          t = *close + 1;
        }
        break;
      }
      case Mark::close:
      case Mark::other:
        pending.append(raw.substr(token.begin, token.end - token.begin));
        t += 1;
        break;
    }
  }
  flush();
  return segments;
}

std::vector<std::string> VariableTemplate::variableNames() const {
  std::vector<std::string> names;
  std::unordered_set<std::string_view> seen;
  for (const auto& segment : segments_) {
    if (segment.isVariable() && seen.insert(segment.text()).second) {
      names.push_back(segment.text());
    }
  }
  return names;
}

bool VariableTemplate::hasVariables() const {
  for (const auto& segment : segments_) {
    if (segment.isVariable()) return true;
  }
  return false;
}

std::string VariableTemplate::filled(const Values& values) const {
  std::string out;
  out.reserve(raw_.size());
  for (const auto& segment : segments_) {
    if (!segment.isVariable()) {
      out += segment.text();
      continue;
    }
    const std::string& name = segment.text();
    const auto found = values.find(name);
    if (found != values.end() && found->second && !found->second->empty()) {
      out += *found->second;
    } else {
      out += '{';
      out += name;
      out += '}';
    }
  }
  return out;
}

std::string VariableTemplate::displayText() const { return filled({}); }

}  // namespace kelvo

size_t std::hash<kelvo::TemplateSegment>::operator()(
    const kelvo::TemplateSegment& segment) const noexcept {
  std::size_t seed = segment.isVariable() ? 1 : 0;
  kelvo::hashCombine(seed, std::hash<std::string>{}(segment.text()));
  return seed;
}

size_t std::hash<kelvo::VariableTemplate>::operator()(
    const kelvo::VariableTemplate& value) const noexcept {
  std::size_t seed = std::hash<std::string>{}(value.raw());
  kelvo::hashCombine(seed, value.segments().size());
  for (const auto& segment : value.segments()) {
    kelvo::hashCombine(seed, std::hash<kelvo::TemplateSegment>{}(segment));
  }
  return seed;
}
