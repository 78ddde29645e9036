#include "platform/data/ValueTransformer.hpp"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/foundation/JSON.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::data {
namespace {

bool acceptsStringList(const Value& value) {
  const auto* list = value.stringList();
  if (list == nullptr) return false;
  for (const auto& text : *list) {
    // Refused rather than stored as something else: the writer would repair it.
    if (!isValidUtf8(text)) return false;
  }
  return true;
}

// Text that JSON writes as it stands: no control character, quote or backslash, and no '/',
// which the writer escapes. Checked as UTF-8 before.
bool isPlain(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\' || c == '/') return false;
  }
  return true;
}

std::optional<std::string> encodeStringList(const Value& value) {
  if (!acceptsStringList(value)) return std::nullopt;
  const auto& list = *value.stringList();
  // The common list of plain tags is written directly, byte for byte as the writer would.
  if (std::all_of(list.begin(), list.end(), isPlain)) {
    std::string out = "[";
    for (const auto& text : list) {
      if (out.size() > 1) out += ',';
      out += '"';
      out += text;
      out += '"';
    }
    return out + "]";
  }
  return json::write(Json(list));
}

// Accepts exactly one array of strings and stops at the first token of anything else, so no
// nesting or size of input can make it build more than the list itself.
class StringListReader : public nlohmann::json_sax<nlohmann::json> {
 public:
  Value::StringList list;

  bool null() override { return false; }
  bool boolean(bool) override { return false; }
  bool number_integer(number_integer_t) override { return false; }
  bool number_unsigned(number_unsigned_t) override { return false; }
  bool number_float(number_float_t, const string_t&) override { return false; }
  bool string(string_t& text) override {
    if (depth_ != 1) return false;
    list.push_back(std::move(text));
    return true;
  }
  bool binary(binary_t&) override { return false; }
  bool start_object(std::size_t) override { return false; }
  bool key(string_t&) override { return false; }
  bool end_object() override { return false; }
  bool start_array(std::size_t) override { return depth_++ == 0; }
  bool end_array() override {
    --depth_;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  int depth_ = 0;
};

// The form the writer gives a list of texts without escapes, `["a","é"]`, read directly: every
// row of a store holds one, and the full parser costs more than the rest of the row. Anything
// else (escapes, spaces, other scalars, damage, text that is not UTF-8) is left to the full
// parser.
std::optional<Value::StringList> readPlainList(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 2 || bytes.front() != '[' || bytes.back() != ']') return std::nullopt;
  const std::size_t end = bytes.size() - 1;
  Value::StringList list;
  // Held by every row read: room for exactly the texts there are.
  list.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), ',')) + 1);
  std::size_t i = 1;
  while (i < end) {
    if (bytes[i] != '"') return std::nullopt;
    const std::size_t start = ++i;
    std::uint8_t high = 0;
    while (i < end && bytes[i] != '"') {
      if (bytes[i] < 0x20 || bytes[i] == '\\') return std::nullopt;
      high |= bytes[i] & 0x80;
      ++i;
    }
    if (i == end) return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()) + start, i - start);
    if (high != 0 && !isValidUtf8(text)) return std::nullopt;
    list.emplace_back(text);
    if (++i == end) break;
    if (bytes[i] != ',' || ++i == end) return std::nullopt;
  }
  return list;
}

std::optional<Value> decodeStringList(std::span<const std::uint8_t> bytes) {
  if (auto plain = readPlainList(bytes)) return Value(std::move(*plain));
  // The parser takes a NUL for the end of its input and would read what comes before it.
  if (std::find(bytes.begin(), bytes.end(), std::uint8_t{0}) != bytes.end()) return std::nullopt;
  StringListReader reader;
  try {
    const bool parsed = nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &reader,
                                                  nlohmann::json::input_format_t::json, true);
    if (!parsed) return std::nullopt;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
  return Value(std::move(reader.list));
}

constexpr ValueTransformer transformers[] = {
    {ValueTransformer::secureUnarchiveFromDataName, acceptsStringList, encodeStringList,
     decodeStringList},
};

}  // namespace

const ValueTransformer* ValueTransformer::named(std::string_view name) {
  for (const auto& transformer : transformers) {
    if (transformer.name == name) return &transformer;
  }
  return nullptr;
}

}  // namespace kelvo::data
