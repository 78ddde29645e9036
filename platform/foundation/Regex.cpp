#include "platform/foundation/Regex.hpp"

#include <unicode/regex.h>

#include "platform/foundation/Error.hpp"
#include "platform/foundation/internal/IcuSupport.hpp"

namespace kelvo {

struct Regex::Compiled {
  std::string source;
  std::unique_ptr<icu::RegexPattern> pattern;
  std::size_t captureCount = 0;
};

namespace {

std::shared_ptr<const Regex::Compiled> compile(std::string_view pattern, Regex::Options options,
                                               std::string* error) {
  uint32_t flags = 0;
  if (options.caseInsensitive) flags |= UREGEX_CASE_INSENSITIVE;
  if (options.anchorsMatchLines) flags |= UREGEX_MULTILINE;
  if (options.dotMatchesLineSeparators) flags |= UREGEX_DOTALL;
  UParseError where{};
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexPattern> compiled(
      icu::RegexPattern::compile(icu_support::toUnicode(pattern), flags, where, status));
  if (U_FAILURE(status) || !compiled) {
    if (error != nullptr) {
      *error = std::string(u_errorName(status)) + " at offset " + std::to_string(where.offset);
    }
    return nullptr;
  }
  std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(status));
  if (U_FAILURE(status) || !matcher) {
    if (error != nullptr) *error = u_errorName(status);
    return nullptr;
  }
  auto result = std::make_shared<Regex::Compiled>();
  result->source = pattern;
  result->captureCount = static_cast<std::size_t>(matcher->groupCount());
  result->pattern = std::move(compiled);
  return result;
}

// Walks the matches of `compiled` in `text`, calling `visit(match)` until it returns false.
template <typename Visit>
void forEachMatch(const Regex::Compiled& compiled, std::string_view text, Visit visit) {
  auto utext = icu_support::openUtf8(text);
  if (!utext) return;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> matcher(compiled.pattern->matcher(status));
  if (U_FAILURE(status) || !matcher) return;
  matcher->reset(utext.get());
  while (matcher->find(status) && U_SUCCESS(status)) {
    Regex::Match match;
    const auto start = static_cast<std::size_t>(matcher->start64(status));
    const auto end = static_cast<std::size_t>(matcher->end64(status));
    match.offset = start;
    match.text = text.substr(start, end - start);
    match.captures.reserve(compiled.captureCount);
    for (std::size_t group = 1; group <= compiled.captureCount; ++group) {
      const auto groupNumber = static_cast<int32_t>(group);
      const int64_t groupStart = matcher->start64(groupNumber, status);
      const int64_t groupEnd = matcher->end64(groupNumber, status);
      if (groupStart < 0 || groupEnd < groupStart) {
        match.captures.emplace_back(std::nullopt);
      } else {
        match.captures.emplace_back(text.substr(static_cast<std::size_t>(groupStart),
                                                static_cast<std::size_t>(groupEnd - groupStart)));
      }
    }
    if (U_FAILURE(status) || !visit(std::move(match))) return;
  }
}

}  // namespace

std::optional<Regex> Regex::make(std::string_view pattern, Options options, std::string* error) {
  auto compiled = compile(pattern, options, error);
  if (!compiled) return std::nullopt;
  return Regex(std::move(compiled));
}

Regex::Regex(std::string_view pattern, Options options) {
  std::string error;
  compiled_ = compile(pattern, options, &error);
  if (!compiled_) fatal("Regex: ICU refuses the pattern " + std::string(pattern) + ": " + error);
}

const std::string& Regex::pattern() const { return compiled_->source; }

std::size_t Regex::captureCount() const { return compiled_->captureCount; }

std::optional<Regex::Match> Regex::firstMatch(std::string_view text) const {
  std::optional<Match> found;
  forEachMatch(*compiled_, text, [&](Match match) {
    found = std::move(match);
    return false;
  });
  return found;
}

std::vector<Regex::Match> Regex::allMatches(std::string_view text) const {
  std::vector<Match> matches;
  forEachMatch(*compiled_, text, [&](Match match) {
    matches.push_back(std::move(match));
    return true;
  });
  return matches;
}

std::vector<std::string_view> Regex::split(std::string_view text) const {
  std::vector<std::string_view> pieces;
  std::size_t pieceStart = 0;
  forEachMatch(*compiled_, text, [&](const Match& match) {
    if (!match.text.empty()) {
      pieces.push_back(text.substr(pieceStart, match.offset - pieceStart));
      pieceStart = match.offset + match.text.size();
    }
    return true;
  });
  pieces.push_back(text.substr(pieceStart));
  return pieces;
}

}  // namespace kelvo
