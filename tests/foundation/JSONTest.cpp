#include "platform/foundation/JSON.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

namespace kelvo {
namespace {

DecodingError parseFailure(std::string_view text, bool allowFragments = false) {
  try {
    json::parse(text, allowFragments);
  } catch (const DecodingError& error) {
    return error;
  }
  ADD_FAILURE() << "parsed: " << text;
  return DecodingError(DecodingError::Kind::typeMismatch, "", {});
}

TEST(JSONTest, WritesAsThePlatformEncoderDoes) {
  EXPECT_EQ(json::write(Json{{"q", "a/b"}}), R"({"q":"a\/b"})");
  Json document = {{"zeta", 1}, {"alpha", {true, nullptr}}, {"Mid", "é\"\\\n\x01"}};
  document["id"] = *UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
  document["at"] = Date(-0.5);
  EXPECT_EQ(json::write(document), R"({"Mid":"é\"\\\n\u0001","alpha":[true,null],"at":-0.5,)"
                                   R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","zeta":1})");
  OrderedJson ordered;
  ordered["zeta"] = 1;
  ordered["alpha"] = OrderedJson::array();
  EXPECT_EQ(json::write(ordered), R"({"zeta":1,"alpha":[]})");
  // Ill-formed UTF-8 is repaired rather than written.
  EXPECT_EQ(json::write(Json{std::string("a\xFF")}), "[\"a\xEF\xBF\xBD\"]");
}

TEST(JSONTest, NumbersPrintInTheirShortestForm) {
  const std::pair<double, const char*> doubles[] = {
      {3.0, "3"},      {0.1, "0.1"}, {1e16, "10000000000000000"},    {1e20, "1e+20"},
      {1e-7, "1e-07"}, {-0.0, "-0"}, {1.0 / 3, "0.3333333333333333"}};
  for (const auto& [value, text] : doubles) {
    EXPECT_EQ(json::write(Json{value}), "[" + std::string(text) + "]");
  }
  EXPECT_EQ(json::write(Json{std::numeric_limits<std::int64_t>::min()}), "[-9223372036854775808]");
  EXPECT_THROW(json::write(Json{{"x", NAN}}), EncodingError);
  for (const double value : {0.1, 5e-324, 1.7976931348623157e308, 720000000.5}) {
    EXPECT_EQ(json::parse(json::write(Json{value}))[0].get<double>(), value);
  }
}

TEST(JSONTest, ASortedDocumentRoundTripsByteForByte) {
  const std::string document =
      R"({"capturedAt":720000000.5,"cards":[{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
      R"("title":"Caf\u00e9 \/ bar","type":"text"}],"remindersDue":2,"version":1})";
  const Json parsed = json::parse(document);
  const std::string written = json::write(parsed);
  EXPECT_EQ(written,
            R"({"capturedAt":720000000.5,"cards":[{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
            R"("title":"Café \/ bar","type":"text"}],"remindersDue":2,"version":1})");
  EXPECT_EQ(json::write(json::parse(written)), written);
}

TEST(JSONTest, ReadsStrictly) {
  for (const char* text :
       {"", "{", "{\"a\":1,}", "[1,]", "{'a':1}", "[01]", "[NaN]", "[1] x", "// c\n[]", "[1e400]",
        "[-1e309]", "[\"\xFF\"]", "[\"\x01\"]", "{\"a\" 1}", "[.5]", "[+1]"}) {
    EXPECT_EQ(parseFailure(text).kind(), DecodingError::Kind::dataCorrupted) << text;
  }
  // A document is an object or an array unless fragments are allowed.
  for (const char* scalar : {"1", "\"text\"", "null", "true"}) {
    EXPECT_EQ(parseFailure(scalar).kind(), DecodingError::Kind::dataCorrupted);
    EXPECT_NO_THROW(json::parse(scalar, true));
  }
  EXPECT_EQ(json::parse("\xEF\xBB\xBF [ ] ").size(), 0u);
}

TEST(JSONTest, RefusesDeepNesting) {
  const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_NO_THROW(json::parse(nested(json::maximumDepth)));
  const DecodingError tooDeep = parseFailure(nested(600));
  EXPECT_EQ(tooDeep.kind(), DecodingError::Kind::dataCorrupted);
  EXPECT_NE(tooDeep.description().find("nested"), std::string::npos);

  std::string objects;
  for (int i = 0; i < 513; ++i) objects += "{\"a\":";
  objects += "1" + std::string(513, '}');
  EXPECT_THROW(json::parse(objects), DecodingError);
  // Brackets inside strings do not count.
  EXPECT_NO_THROW(json::parse("[\"" + std::string(1000, '[') + "\\\"\"]"));
  // Unclosed nesting far past the limit fails quickly, without building anything.
  EXPECT_THROW(json::parse(std::string(1'000'000, '[')), DecodingError);
}

}  // namespace
}  // namespace kelvo
