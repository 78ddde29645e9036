#include "platform/foundation/Regex.hpp"

#include <unicode/regex.h>
#include <unicode/utext.h>

#include <array>

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
      icu::RegexPattern::compile(foundation_internal::toUnicode(pattern), flags, where, status));
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

// An ICU matcher is costly to set up and may not be shared between threads, so each thread
// keeps one for each of the few patterns it used last. An entry holds its pattern alive, so a
// matcher never outlives the pattern it points into; a matcher in use (a search started while
// another of the same pattern runs) is never handed out twice.
class MatcherCache {
 public:
  using Compiled = std::shared_ptr<const Regex::Compiled>;

  struct Entry {
    Compiled owner;  // declared first: destroyed after its matcher
    std::unique_ptr<icu::RegexMatcher> matcher;
    bool busy = false;
  };

  class Lease {
   public:
    explicit Lease(Entry* entry, std::unique_ptr<icu::RegexMatcher> own = nullptr)
        : entry_(entry), own_(std::move(own)) {}
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() {
      if (entry_ == nullptr) return;
      entry_->busy = false;
      // A long search may have grown the matcher's backtracking stack: it is not kept.
      if (forget_) {
        entry_->matcher.reset();
        entry_->owner.reset();
      }
    }
    icu::RegexMatcher* get() const {
      return own_ ? own_.get() : entry_ ? entry_->matcher.get() : nullptr;
    }
    void forgetAfterUse() { forget_ = true; }

   private:
    Entry* entry_;
    std::unique_ptr<icu::RegexMatcher> own_;
    bool forget_ = false;
  };

  static Lease lease(const Compiled& compiled) {
    thread_local MatcherCache cache;
    return cache.take(compiled);
  }

 private:
  static std::unique_ptr<icu::RegexMatcher> made(const Compiled& compiled) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->pattern->matcher(status));
    if (U_FAILURE(status)) return nullptr;
    return matcher;
  }

  Lease take(const Compiled& compiled) {
    Entry* slot = nullptr;
    for (Entry& entry : entries_) {
      if (entry.owner == compiled && !entry.busy) return hold(entry);
      if (slot == nullptr && !entry.owner) slot = &entry;
    }
    // When every slot is taken, the next one in turn that is not in use gives way.
    for (std::size_t tries = 0; slot == nullptr && tries < entries_.size(); ++tries) {
      Entry& entry = entries_[next_++ % entries_.size()];
      if (!entry.busy) slot = &entry;
    }
    if (slot == nullptr) return Lease(nullptr, made(compiled));
    slot->matcher = made(compiled);  // the old matcher goes while its pattern still lives
    slot->owner = slot->matcher ? compiled : nullptr;
    if (!slot->matcher) return Lease(nullptr);
    return hold(*slot);
  }

  static Lease hold(Entry& entry) {
    entry.busy = true;
    return Lease(&entry);
  }

  std::array<Entry, 8> entries_;
  std::size_t next_ = 0;
};

Regex::Match captured(icu::RegexMatcher& matcher, std::string_view text, std::size_t captureCount,
                      UErrorCode& status) {
  Regex::Match match;
  const auto start = static_cast<std::size_t>(matcher.start64(status));
  const auto end = static_cast<std::size_t>(matcher.end64(status));
  match.offset = start;
  match.text = text.substr(start, end - start);
  match.captures.reserve(captureCount);
  for (std::size_t group = 1; group <= captureCount; ++group) {
    const auto groupNumber = static_cast<int32_t>(group);
    const int64_t groupStart = matcher.start64(groupNumber, status);
    const int64_t groupEnd = matcher.end64(groupNumber, status);
    if (groupStart < 0 || groupEnd < groupStart) {
      match.captures.emplace_back(std::nullopt);
    } else {
      match.captures.emplace_back(text.substr(static_cast<std::size_t>(groupStart),
                                              static_cast<std::size_t>(groupEnd - groupStart)));
    }
  }
  return match;
}

// The next match at or after `from`: where `lead` is given, every match starts with that
// byte, so only the offsets holding it are tried, each as `find` would try it.
bool nextMatch(icu::RegexMatcher& matcher, std::string_view text, std::size_t& from,
               std::optional<char> lead, UErrorCode& status) {
  if (!lead) return matcher.find(status) && U_SUCCESS(status);
  for (std::size_t at = text.find(*lead, from); at != std::string_view::npos;
       at = text.find(*lead, at + 1)) {
    if (matcher.lookingAt(static_cast<int64_t>(at), status)) return U_SUCCESS(status);
    if (U_FAILURE(status)) return false;
  }
  return false;
}

// Past this size a search costs far more than setting up a matcher.
constexpr std::size_t longText = std::size_t(1) << 16;

// Walks the matches of `compiled` in `text`, calling `visit(match)` until it returns false.
template <typename Visit>
void forEachMatch(const std::shared_ptr<const Regex::Compiled>& compiled, std::string_view text,
                  std::optional<char> lead, Visit visit) {
  MatcherCache::Lease lease = MatcherCache::lease(compiled);
  icu::RegexMatcher* matcher = lease.get();
  if (matcher == nullptr) return;
  if (text.size() > longText) lease.forgetAfterUse();
  UErrorCode status = U_ZERO_ERROR;
  {
    // The matcher keeps its own shallow clone of the text; this one can go at once.
    UText utext = UTEXT_INITIALIZER;
    utext_openUTF8(&utext, text.data(), static_cast<int64_t>(text.size()), &status);
    if (U_FAILURE(status)) return;
    matcher->reset(&utext);
    utext_close(&utext);
  }
  std::size_t from = 0;
  while (nextMatch(*matcher, text, from, lead, status)) {
    Regex::Match match = captured(*matcher, text, compiled->captureCount, status);
    // A match that starts with `lead` is never empty, so the next search starts at its end.
    from = match.offset + match.text.size();
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
  forEachMatch(compiled_, text, std::nullopt, [&](Match match) {
    found = std::move(match);
    return false;
  });
  return found;
}

std::vector<Regex::Match> Regex::allMatches(std::string_view text) const {
  std::vector<Match> matches;
  forEachMatch(compiled_, text, std::nullopt, [&](Match match) {
    matches.push_back(std::move(match));
    return true;
  });
  return matches;
}

std::vector<Regex::Match> Regex::allMatches(std::string_view text, char lead) const {
  std::vector<Match> matches;
  forEachMatch(compiled_, text, lead, [&](Match match) {
    matches.push_back(std::move(match));
    return true;
  });
  return matches;
}

std::vector<std::string_view> Regex::split(std::string_view text) const {
  std::vector<std::string_view> pieces;
  std::size_t pieceStart = 0;
  forEachMatch(compiled_, text, std::nullopt, [&](const Match& match) {
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
