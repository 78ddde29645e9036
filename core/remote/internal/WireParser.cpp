#include "core/remote/internal/WireParser.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/foundation/DecodingError.hpp"

namespace kelvo::Remote::internal {
namespace {

// The position of the quote that closes the string opening at `open`, or the end of the text.
std::size_t closingQuote(std::string_view text, std::size_t open) {
  for (std::size_t from = open + 1; from < text.size();) {
    const auto* quote =
        static_cast<const char*>(std::memchr(text.data() + from, '"', text.size() - from));
    if (quote == nullptr) break;
    const auto at = static_cast<std::size_t>(quote - text.data());
    std::size_t backslashes = 0;
    while (at - backslashes > open + 1 && text[at - backslashes - 1] == '\\') ++backslashes;
    if (backslashes % 2 == 0) return at;
    from = at + 1;
  }
  return text.size();
}

// Builds the document from the parser's events. Members with unknown names, and everything
// under them, are skipped as they stream past; the stack holds the containers being filled.
class Builder {
 public:
  Builder(std::span<const std::string_view> knownKeys, std::size_t budget)
      : knownKeys_(knownKeys), budget_(budget) {}

  bool null() { return put(Json(nullptr)); }
  bool boolean(bool value) { return put(Json(value)); }
  bool number_integer(std::int64_t value) { return put(Json(value)); }
  bool number_unsigned(std::uint64_t value) { return put(Json(value)); }
  bool number_float(double value, const std::string&) { return put(Json(value)); }
  // The lexer's buffer is ours to take: a long Base64 text is moved, not copied.
  bool string(std::string& value) { return put(Json(std::move(value))); }
  bool binary(Json::binary_t&) { return false; }

  bool start_object(std::size_t) { return open(Json::object()); }
  bool start_array(std::size_t) { return open(Json::array()); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }

  bool key(std::string& name) {
    containerRun_ = 0;
    if (skipDepth_ > 0) return true;
    if (std::binary_search(knownKeys_.begin(), knownKeys_.end(), std::string_view(name))) {
      key_ = std::move(name);
    } else {
      skipNext_ = true;
    }
    return true;
  }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
    failure_ = "unexpected input at byte " + std::to_string(position);
    return false;
  }

  const std::string& failure() const { return failure_; }
  Json& root() { return root_; }

 private:
  // Whether the value now arriving is dropped; counts it against the budget otherwise.
  bool skipping(bool& withinBudget) {
    withinBudget = true;
    if (skipDepth_ > 0) return true;
    if (skipNext_) {
      skipNext_ = false;
      return true;
    }
    if (++kept_ > budget_) {
      failure_ = "more values than a message can hold";
      withinBudget = false;
    }
    return false;
  }

  // Places a value in the container being filled and gives its new home.
  Json* place(Json&& value) {
    if (stack_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& parent = *stack_.back();
    if (parent.is_object()) return &(parent[key_] = std::move(value));
    parent.push_back(std::move(value));
    return &parent.back();
  }

  bool put(Json&& value) {
    containerRun_ = 0;
    bool withinBudget = true;
    if (skipping(withinBudget)) return true;
    if (!withinBudget) return false;
    place(std::move(value));
    return true;
  }

  // The lexer keeps the raw text since the last scalar for its messages, so a long run of
  // empty containers (kept or skipped) would grow it with the run: no real message has one.
  bool withinContainerRun() {
    if (++containerRun_ <= maximumContainerRun) return true;
    failure_ = "too many containers without a value";
    return false;
  }

  bool open(Json&& container) {
    if (!withinContainerRun()) return false;
    if (++depth_ > static_cast<std::size_t>(json::maximumDepth)) {
      failure_ = "too many nested arrays or objects";
      return false;
    }
    bool withinBudget = true;
    if (skipping(withinBudget)) {
      ++skipDepth_;
      return true;
    }
    if (!withinBudget) return false;
    stack_.push_back(place(std::move(container)));
    return true;
  }

  bool close() {
    if (!withinContainerRun()) return false;
    --depth_;
    if (skipDepth_ > 0) {
      --skipDepth_;
    } else {
      stack_.pop_back();
    }
    return true;
  }

  std::span<const std::string_view> knownKeys_;
  std::size_t budget_;
  std::size_t kept_ = 0;
  std::size_t depth_ = 0;
  std::size_t skipDepth_ = 0;
  std::size_t containerRun_ = 0;
  bool skipNext_ = false;
  std::string key_;
  std::vector<Json*> stack_;
  Json root_;
  std::string failure_;
};

// The lexer keeps white space too until the next value: refuse a long run of it (outside
// strings, which are skipped whole) before parsing, as no real message holds one.
bool whiteSpaceRunsAreShort(std::string_view text) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      i = closingQuote(text, i);
      run = 0;
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (++run > maximumWhiteSpaceRun) return false;
    } else {
      run = 0;
    }
  }
  return true;
}

}  // namespace

Json parseWire(std::string_view text, std::span<const std::string_view> knownKeys) {
  Builder builder(knownKeys, text.size() / bytesPerKeptValue + 64);
  bool parsed = false;
  if (!whiteSpaceRunsAreShort(text)) {
    throw DecodingError(DecodingError::Kind::dataCorrupted,
                        "The given data was not valid JSON: too much white space in a row.", {});
  }
  try {
    parsed = Json::sax_parse(text.begin(), text.end(), &builder);
  } catch (const Json::exception&) {
    parsed = false;
  }
  if (!parsed) {
    const std::string detail =
        builder.failure().empty() ? std::string("unreadable input") : builder.failure();
    throw DecodingError(DecodingError::Kind::dataCorrupted,
                        "The given data was not valid JSON: " + detail + ".", {});
  }
  return std::move(builder.root());
}

}  // namespace kelvo::Remote::internal
