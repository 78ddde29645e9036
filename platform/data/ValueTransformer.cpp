#include "platform/data/ValueTransformer.hpp"

#include <nlohmann/json.hpp>

namespace kelvo::data {
namespace {

// The length of the UTF-8 sequence at the start of `text`; 0 when it is not well formed.
size_t sequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

// Writes the JSON text of one string, "/" escaped as the house JSON does; false for text that
// is not UTF-8, which is refused rather than stored as something else.
bool appendJSONString(std::string& out, std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  out.push_back('"');
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t length = sequenceLength(text.substr(i));
      if (length == 0) return false;
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
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
          out.push_back(static_cast<char>(c));
        }
    }
    ++i;
  }
  out.push_back('"');
  return true;
}

bool isUTF8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = sequenceLength(text.substr(i));
    if (length == 0) return false;
    i += length;
  }
  return true;
}

bool acceptsStringList(const Value& value) {
  const auto* list = value.stringList();
  if (list == nullptr) return false;
  for (const auto& text : *list) {
    if (!isUTF8(text)) return false;
  }
  return true;
}

std::optional<std::string> encodeStringList(const Value& value) {
  const auto* list = value.stringList();
  if (list == nullptr) return std::nullopt;
  std::string json = "[";
  for (size_t i = 0; i < list->size(); ++i) {
    if (i > 0) json.push_back(',');
    if (!appendJSONString(json, (*list)[i])) return std::nullopt;
  }
  json.push_back(']');
  return json;
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

std::optional<Value> decodeStringList(std::span<const std::uint8_t> bytes) {
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
