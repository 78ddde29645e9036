#include "platform/data/ValueTransformer.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/foundation/JSON.hpp"

namespace kelvo::data {
namespace {

std::optional<Value> decode(std::string_view text) {
  const auto* transformer = ValueTransformer::named(ValueTransformer::secureUnarchiveFromDataName);
  return transformer->decode({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

TEST(ValueTransformerTest, KeepsListsOfStringsExactly) {
  const auto* transformer = ValueTransformer::named("SecureUnarchiveFromData");
  ASSERT_NE(transformer, nullptr);
  EXPECT_EQ(ValueTransformer::named("NoSuchTransformer"), nullptr);
  Value::StringList tags{"", "a/b", "quote \" and \\", "tab\tnew\nline\x01", "é ✓ 🙂"};
  tags.push_back(std::string("nul\0byte", 8));
  const auto encoded = transformer->encode(Value(tags));
  ASSERT_TRUE(encoded);
  EXPECT_NE(encoded->find("a\\/b"), std::string::npos);
  EXPECT_EQ(decode(*encoded), Value(tags));
  EXPECT_EQ(*transformer->encode(Value(Value::StringList{})), "[]");
  EXPECT_EQ(decode(" [ \"a\" , \"b\" ] "), Value(Value::StringList{"a", "b"}));
}

TEST(ValueTransformerTest, ThePlainFormReadsAsTheFullParserReadsIt) {
  // Near misses of the writer's plain form must fall through to the full parser's answer.
  const std::vector<std::pair<std::string, std::optional<Value::StringList>>> cases = {
      {"[]", Value::StringList{}},
      {"[\"\"]", Value::StringList{""}},
      {"[\"work\",\"mail\",\"draft\"]", Value::StringList{"work", "mail", "draft"}},
      {"[\"a\\/b\",\"c\"]", Value::StringList{"a/b", "c"}},
      {"[\"~ !#$%&'()*+,-.:;<=>?@[]^_`{|}\"]", Value::StringList{"~ !#$%&'()*+,-.:;<=>?@[]^_`{|}"}},
      {"[\"q\\\"\",\"\\u007f\"]", Value::StringList{"q\"", "\x7f"}},
      {"[\"\\u00e9\"]", Value::StringList{"\u00e9"}},
      {"[\"\u00e9\"]", Value::StringList{"\u00e9"}},
      {"[\"caf\u00e9\",\"\u6771\",\"\U0001F642\x7f\"]",
       Value::StringList{"caf\u00e9", "\u6771", "\U0001F642\x7f"}},
      {"[\"ok\",\"\xc3\x28\"]", std::nullopt},
      {"[\"\xed\xa0\x80\"]", std::nullopt},      // a surrogate
      {"[\"\xc0\x80\"]", std::nullopt},          // overlong
      {"[\"\xf4\x90\x80\x80\"]", std::nullopt},  // past U+10FFFF
      {"[\"a\", \"b\"]", Value::StringList{"a", "b"}},
      {"[\"a\"]\n", Value::StringList{"a"}},
      {"[\"a\tb\"]", std::nullopt},
      {"[\"a\",]", std::nullopt},
      {"[,\"a\"]", std::nullopt},
      {"[\"a\"\"b\"]", std::nullopt},
      {"[\"a]", std::nullopt},
      {"[\"]", std::nullopt},
      {"[", std::nullopt},
      {"]", std::nullopt},
  };
  const auto* transformer = ValueTransformer::named("SecureUnarchiveFromData");
  for (const auto& [text, expected] : cases) {
    // Whatever is written reads back, and plain lists are written as the JSON writer writes.
    if (expected) {
      EXPECT_EQ(transformer->encode(Value(*expected)), json::write(Json(*expected))) << text;
    }
    const auto decoded = decode(text);
    if (expected) {
      EXPECT_EQ(decoded, Value(*expected)) << text;
    } else {
      EXPECT_FALSE(decoded) << text;
    }
  }
}

TEST(ValueTransformerTest, RefusesEverythingElse) {
  const auto* transformer = ValueTransformer::named("SecureUnarchiveFromData");
  // Values it does not keep, and text that is not UTF-8, are refused rather than altered.
  for (const Value& value : {Value("tag"), Value(3), Value(Value::StringList{"\xff"}),
                             Value(Value::StringList{"ok", "\xed\xa0\x80"}),  // a surrogate
                             Value(Value::StringList{"\xe2\x82"}),            // cut short
                             Value(Value::StringList{"\xc0\x80"})}) {         // overlong
    EXPECT_FALSE(transformer->encode(value));
    EXPECT_FALSE(transformer->accepts(value));
  }
  for (const char* text : {"", "\"a\"", "[1]", "[\"a\",[\"b\"]]", "[\"a\"", "[\"a\"] x", "{}",
                           "[null]", "[\"\xff\"]", "[[[[[[[[[[[[[[[[[[[[", "nul"}) {
    EXPECT_FALSE(decode(text)) << text;
  }
  // The parser reads a NUL as the end of its input: a column cut short by one, or with one
  // inside, is damaged rather than the list before it.
  using namespace std::string_view_literals;
  for (const auto text :
       {"[\"a\"]\0junk"sv, "[\"a\",\"b\"]\0"sv, "[\"a\\u0041\"]\0x"sv, "\0[\"a\"]"sv}) {
    EXPECT_FALSE(decode(text)) << text.substr(0, text.find('\0'));
  }
}

}  // namespace
}  // namespace kelvo::data
