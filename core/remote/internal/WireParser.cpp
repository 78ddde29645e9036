#include "core/remote/internal/WireParser.hpp"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/foundation/DecodingError.hpp"

namespace kelvo::Remote::internal {
namespace {

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
    bool withinBudget = true;
    if (skipping(withinBudget)) return true;
    if (!withinBudget) return false;
    place(std::move(value));
    return true;
  }

  bool open(Json&& container) {
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
  bool skipNext_ = false;
  std::string key_;
  std::vector<Json*> stack_;
  Json root_;
  std::string failure_;
};

}  // namespace

Json parseWire(std::string_view text, std::span<const std::string_view> knownKeys) {
  Builder builder(knownKeys, text.size() / bytesPerKeptValue + 64);
  bool parsed = false;
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
