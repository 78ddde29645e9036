#pragma once

// Regular expressions over UTF-8 text, on ICU; the importers find placeholders, headings and
// formats with them. Never std::regex, which recurses per character and overflows the stack on
// long texts:
//
//   static const Regex blank(R"(\{(\w+)\})");  // a pattern of the code, compiled once
//   const std::vector<Regex::Match> blanks = blank.allMatches("Dear {name}, re {topic}");
//   const std::string_view second = *blanks[1].captures[0];  // "topic"
//   std::string error;
//   const bool refused = !Regex::make("(unclosed", {}, &error);  // true

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

struct RegexOptions {
  bool caseInsensitive = false;
  /// `^` and `$` match at the start and end of every line, not only of the whole text.
  bool anchorsMatchLines = false;
  /// `.` matches line breaks too.
  bool dotMatchesLineSeparators = false;
};

/// A regular expression in ICU's syntax, compiled once and then used from any thread. Offsets
/// are byte offsets into the UTF-8 text searched; matches are views into that text.
class Regex {
 public:
  using Options = RegexOptions;

  struct Match {
    std::string_view text;
    std::size_t offset = 0;
    /// Groups 1 to n in order; none for a group that took no part in the match.
    std::vector<std::optional<std::string_view>> captures;
  };

  /// Compiles `pattern`; a pattern ICU refuses gives no value, and its reason in `error`.
  static std::optional<Regex> make(std::string_view pattern, Options options = {},
                                   std::string* error = nullptr);
  /// For patterns written in the code, built once: a pattern ICU refuses is a programming error.
  explicit Regex(std::string_view pattern, Options options = {});

  const std::string& pattern() const;
  std::size_t captureCount() const;

  // A search that ICU gives up on (its backtracking stack is bounded) ends there: what was
  // found before counts, nothing after it does.

  bool containsMatch(std::string_view text) const { return firstMatch(text).has_value(); }
  std::optional<Match> firstMatch(std::string_view text) const;
  std::vector<Match> allMatches(std::string_view text) const;
  /// `allMatches` for a pattern whose every match starts with the byte `lead`: only the
  /// offsets holding it are tried, which is much faster on text where it is rare.
  std::vector<Match> allMatches(std::string_view text, char lead) const;
  /// The pieces between matches, empty ones included; an empty match does not split.
  std::vector<std::string_view> split(std::string_view text) const;

  struct Compiled;  // ICU's pattern, private to Regex.cpp

 private:
  explicit Regex(std::shared_ptr<const Compiled> compiled) : compiled_(std::move(compiled)) {}

  std::shared_ptr<const Compiled> compiled_;
};

}  // namespace kelvo
