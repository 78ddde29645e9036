#include "platform/foundation/internal/JSONMembers.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

namespace kelvo::foundation_internal {
namespace {

// Builds each member of the top-level object as the parser hands its pieces over, and keeps a
// member only once its value is complete. Returning false stops the parser at once.
class MemberCollector {
 public:
  explicit MemberCollector(Json& kept) : kept_(kept) {}

  bool null() { return put(Json(nullptr)); }
  bool boolean(bool value) { return put(Json(value)); }
  bool number_integer(Json::number_integer_t value) { return put(Json(value)); }
  bool number_unsigned(Json::number_unsigned_t value) { return put(Json(value)); }
  bool number_float(Json::number_float_t value, const std::string&) {
    return std::isfinite(value) && put(Json(value));
  }
  bool string(std::string& value) { return put(Json(std::move(value))); }
  bool binary(Json::binary_t&) { return false; }

  bool start_object(std::size_t) {
    if (!sawRoot_) return sawRoot_ = true;
    return open(Json::object());
  }
  bool key(std::string& key) {
    (open_.empty() ? rootKey_ : keys_.back()) = std::move(key);
    return true;
  }
  bool end_object() { return close(); }
  // A top-level array is not a set of members.
  bool start_array(std::size_t) { return sawRoot_ && open(Json::array()); }
  bool end_array() { return close(); }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }

 private:
  bool open(Json container) {
    if (open_.size() + 1 >= static_cast<std::size_t>(json::maximumDepth)) return false;
    open_.push_back(std::move(container));
    keys_.emplace_back();
    return true;
  }
  bool close() {
    if (open_.empty()) return true;  // the end of the top-level object
    Json done = std::move(open_.back());
    open_.pop_back();
    keys_.pop_back();
    return put(std::move(done));
  }
  bool put(Json value) {
    if (!sawRoot_) return false;  // a top-level scalar
    if (open_.empty()) {
      kept_[rootKey_] = std::move(value);
    } else if (open_.back().is_object()) {
      open_.back()[keys_.back()] = std::move(value);
    } else {
      open_.back().push_back(std::move(value));
    }
    return true;
  }

  Json& kept_;
  bool sawRoot_ = false;
  std::string rootKey_;
  std::vector<Json> open_;
  std::vector<std::string> keys_;
};

}  // namespace

MemberRead readMembers(std::string_view text) {
  MemberRead read{Json::object(), false};
  // The parser takes a NUL for the end of the text and would call whatever came before it
  // whole. JSON text holds none, so a NUL is damage: the members before it are kept.
  const std::size_t nul = text.find('\0');
  try {
    MemberCollector collector(read.members);
    read.isWhole =
        Json::sax_parse(text.begin(), text.begin() + std::min(nul, text.size()), &collector) &&
        nul == std::string_view::npos;
  } catch (const std::bad_alloc&) {
    read.isWhole = false;
  }
  return read;
}

}  // namespace kelvo::foundation_internal
