#include "platform/foundation/JSON.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>

#include "platform/foundation/Error.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

[[noreturn]] void notJSON(std::string detail, std::optional<std::size_t> offset = std::nullopt) {
  throw DecodingError(DecodingError::Kind::dataCorrupted,
                      "The given data was not valid JSON: " + std::move(detail) + ".", {}, {},
                      offset);
}

// The parser keeps its own stack, but a document nested past the limit is refused before it
// gets to build anything.
void checkDepth(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > json::maximumDepth) notJSON("too many nested arrays or objects", i);
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
}

// What the parser is not trusted with: nesting past the limit, and a raw NUL, which JSON text
// never holds and the parser would take for the end of the text, accepting whatever follows.
void checkText(std::string_view text) {
  checkDepth(text);
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    notJSON("unexpected input at byte " + std::to_string(nul), nul);
  }
}

// `byte` is nlohmann's, counted from 1 and one past the end for a text cut short; none for a
// number too large for a double, the one failure that is not a syntax error.
[[noreturn]] void failed(std::optional<std::size_t> byte, std::string_view text) {
  if (!byte) notJSON("a number is out of range");
  const std::size_t offset = std::min<std::size_t>(*byte > 0 ? *byte - 1 : 0, text.size());
  notJSON("unexpected input at byte " + std::to_string(offset), offset);
}

[[noreturn]] void notAContainer() {
  notJSON("the top-level value is neither an object nor an array");
}

// Hands every value on, and keeps where the parser failed for `read` to throw as `parse` does.
class Relay final : public json::Events {
 public:
  explicit Relay(json::Events& events) : events_(events) {}

  bool null() override { return scalar() && events_.null(); }
  bool boolean(bool value) override { return scalar() && events_.boolean(value); }
  bool number_integer(number_integer_t value) override {
    return scalar() && events_.number_integer(value);
  }
  bool number_unsigned(number_unsigned_t value) override {
    return scalar() && events_.number_unsigned(value);
  }
  bool number_float(number_float_t value, const string_t& text) override {
    return scalar() && events_.number_float(value, text);
  }
  bool string(string_t& value) override { return scalar() && events_.string(value); }
  bool binary(binary_t& value) override { return scalar() && events_.binary(value); }
  bool start_object(std::size_t size) override {
    opened(true);
    return events_.start_object(size);
  }
  bool key(string_t& name) override { return events_.key(name); }
  bool end_object() override { return events_.end_object(); }
  bool start_array(std::size_t size) override {
    opened(true);
    return events_.start_array(size);
  }
  bool end_array() override { return events_.end_array(); }
  bool parse_error(std::size_t, const std::string&,
                   const nlohmann::detail::exception& error) override {
    const auto* syntax = dynamic_cast<const Json::parse_error*>(&error);
    failure_.emplace(syntax ? std::optional<std::size_t>(syntax->byte) : std::nullopt);
    return false;
  }

  /// The failing byte as `failed` takes it, when reading failed.
  const std::optional<std::optional<std::size_t>>& failure() const { return failure_; }
  bool openedWithContainer() const { return first_ == First::container; }

 private:
  enum class First { nothing, scalar, container };

  bool scalar() {
    opened(false);
    return true;
  }
  void opened(bool container) {
    if (first_ == First::nothing) first_ = container ? First::container : First::scalar;
  }

  json::Events& events_;
  First first_ = First::nothing;
  std::optional<std::optional<std::size_t>> failure_;
};

bool needsEscape(unsigned char c) { return c < 0x20 || c == '"' || c == '\\' || c == '/'; }

void writeString(std::string& out, std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  out.push_back('"');
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Runs that need no escape (most of any text, all of Base64 but "/") go in whole.
    std::size_t end = i;
    while (end < text.size() && !needsEscape(static_cast<unsigned char>(text[end]))) ++end;
    if (end > i) {
      out.append(text.data() + i, end - i);
      i = end;
      if (i == text.size()) break;
    }
    const char ch = text[i];
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '/':
        out += "\\/";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out.push_back(hex[c >> 4]);
          out.push_back(hex[c & 0xF]);
        } else {
          out.push_back(ch);
        }
    }
  }
  out.push_back('"');
}

void writeText(std::string& out, const std::string& text) {
  if (isValidUtf8(text)) return writeString(out, text);
  writeString(out, repairedUtf8(text));
}

void writeDouble(std::string& out, double value) {
  if (!std::isfinite(value)) {
    throw EncodingError("Unable to encode " + std::string(std::isnan(value) ? "NaN" : "infinity") +
                        " directly in JSON.");
  }
  char buffer[64];
  // Whole numbers print as digits; everything else in the shortest form that reads back.
  const bool whole = value == std::trunc(value) && std::fabs(value) < 1e17;
  const auto result =
      whole ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

template <class Integer>
void writeInteger(std::string& out, Integer value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

template <class BasicJson>
void writeValue(std::string& out, const BasicJson& value) {
  using Type = typename BasicJson::value_t;
  switch (value.type()) {
    case Type::null:
      out += "null";
      return;
    case Type::boolean:
      out += value.template get<bool>() ? "true" : "false";
      return;
    case Type::number_integer:
      writeInteger(out, value.template get<std::int64_t>());
      return;
    case Type::number_unsigned:
      writeInteger(out, value.template get<std::uint64_t>());
      return;
    case Type::number_float:
      writeDouble(out, value.template get<double>());
      return;
    case Type::string:
      writeText(out, value.template get_ref<const std::string&>());
      return;
    case Type::array: {
      out.push_back('[');
      bool first = true;
      for (const auto& element : value) {
        if (!first) out.push_back(',');
        first = false;
        writeValue(out, element);
      }
      out.push_back(']');
      return;
    }
    case Type::object: {
      out.push_back('{');
      bool first = true;
      for (auto it = value.begin(); it != value.end(); ++it) {
        if (!first) out.push_back(',');
        first = false;
        writeText(out, it.key());
        out.push_back(':');
        writeValue(out, it.value());
      }
      out.push_back('}');
      return;
    }
    case Type::binary:
    case Type::discarded:
      break;
  }
  fatal("JSON writer: a binary or discarded value has no text form");
}

template <class BasicJson>
std::string writeDocument(const BasicJson& value) {
  std::string out;
  writeValue(out, value);
  return out;
}

}  // namespace

void to_json(Json& json, Date date) { json = date.timeIntervalSinceReferenceDate(); }
void to_json(Json& json, const UUID& id) { json = id.uuidString(); }
void to_json(OrderedJson& json, Date date) { json = date.timeIntervalSinceReferenceDate(); }
void to_json(OrderedJson& json, const UUID& id) { json = id.uuidString(); }

namespace json {

Json parse(std::string_view text, bool allowFragments) {
  checkText(text);
  Json value;
  try {
    value = Json::parse(text.begin(), text.end());
  } catch (const Json::parse_error& error) {
    failed(error.byte, text);
  } catch (const Json::exception&) {
    failed(std::nullopt, text);
  }
  if (!allowFragments && !value.is_object() && !value.is_array()) notAContainer();
  return value;
}

bool read(std::string_view text, Events& events, bool allowFragments) {
  checkText(text);
  Relay relay(events);
  const bool finished = Json::sax_parse(text.begin(), text.end(), &relay);
  if (const auto& error = relay.failure()) failed(*error, text);
  if (finished && !allowFragments && !relay.openedWithContainer()) notAContainer();
  return finished;
}

std::string write(const Json& value) { return writeDocument(value); }
std::string write(const OrderedJson& value) { return writeDocument(value); }

}  // namespace json
}  // namespace kelvo
