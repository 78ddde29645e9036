#include "platform/foundation/JSONReader.hpp"

#include <gtest/gtest.h>

#include <array>
#include <nlohmann/json.hpp>

namespace kelvo {
namespace {

using Kind = DecodingError::Kind;

enum class Outcome { image, noImage, failed };
constexpr std::array<std::pair<Outcome, std::string_view>, 3> outcomes{
    {{Outcome::image, "image"}, {Outcome::noImage, "noImage"}, {Outcome::failed, "failed"}}};

template <class Read>
DecodingError failure(const Json& json, Read read) {
  try {
    read(JSONReader(json));
  } catch (const DecodingError& error) {
    return error;
  }
  ADD_FAILURE() << "decoded: " << json.dump();
  return DecodingError(Kind::dataCorrupted, "", {});
}

TEST(JSONReaderTest, ReadsTheSharedValueForms) {
  const Json document = json::parse(R"({
    "at": 720000000.25, "data": "AAEC/w==", "outcome": "noImage", "whole": 1.0, "day": 3,
    "names": ["a", "b"], "missing": null, "smallest": -9223372036854775808, "extra": {}})");
  const JSONReader reader(document);
  EXPECT_EQ(reader["at"].date(), Date(720000000.25));
  EXPECT_EQ(reader["day"].date(), Date(3));
  EXPECT_EQ(reader["data"].bytes(), (Bytes{0, 1, 2, 255}));
  EXPECT_EQ(reader["outcome"].rawValue(outcomes, "Outcome"), Outcome::noImage);
  EXPECT_EQ(reader["names"].map([](const JSONReader& name) { return name.string(); }),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(reader.optional("missing"));
  EXPECT_FALSE(reader.optional("absent"));
  EXPECT_EQ(reader["whole"].integer(), 1);
  EXPECT_EQ(reader["smallest"].integer(), INT64_MIN);
}

TEST(JSONReaderTest, FailuresSayWhatAndWhere) {
  const Json document = json::parse(R"({"cards": [{"title": "a"}, {"title": 5, "id": null,
    "type": "Text", "uuid": "E621E1F8C36C495A93FC0C247A3E6E5F", "data": "AAE", "n": 1.5,
    "big": 9223372036854775808}]})");
  const auto second = [](const JSONReader& root) { return root["cards"].elements()[1]; };

  DecodingError error =
      failure(document, [&](const JSONReader& r) { second(r)["title"].string(); });
  EXPECT_EQ(error.kind(), Kind::typeMismatch);
  EXPECT_EQ(error.type(), "String");
  EXPECT_STREQ(error.what(),
               "Expected to decode String but found a number instead. (at cards.Index 1.title)");

  error = failure(document, [&](const JSONReader& r) { second(r)["name"]; });
  EXPECT_EQ(error.kind(), Kind::keyNotFound);
  EXPECT_EQ(error.codingPath(), (std::vector<std::string>{"cards", "Index 1"}));
  EXPECT_EQ(error.description(), "No value associated with key \"name\".");

  const auto kindOf = [&](void (*read)(const JSONReader&)) {
    return failure(document, [&](const JSONReader& r) { read(second(r)); }).kind();
  };
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["id"].uuid(); }), Kind::valueNotFound);
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["uuid"].uuid(); }), Kind::dataCorrupted);
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["data"].bytes(); }), Kind::dataCorrupted);
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["n"].integer(); }), Kind::dataCorrupted);
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["big"].integer(); }), Kind::dataCorrupted);
  error = failure(document,
                  [&](const JSONReader& r) { second(r)["type"].rawValue(outcomes, "Outcome"); });
  EXPECT_EQ(error.kind(), Kind::dataCorrupted);
  EXPECT_EQ(error.description(), "Cannot initialize Outcome from invalid String value Text");
  EXPECT_EQ(failure(document, [](const JSONReader& r) { r["cards"]["x"]; }).kind(),
            Kind::typeMismatch);
  EXPECT_EQ(failure(Json("1"), [](const JSONReader& r) { r.number(); }).kind(), Kind::typeMismatch);
}

TEST(JSONReaderTest, SingleKeyCases) {
  static constexpr std::array<std::string_view, 3> cases = {"hello", "ping", "pong"};
  const auto read = [](const JSONReader& r) { return r.singleKeyCase(cases, "M"); };
  const Json extra = json::parse(R"({"pong": {"stray": 1}, "extra": 2, "Hello": {}})");
  const JSONCase found = read(JSONReader(extra));
  EXPECT_EQ(found.name, "pong");
  EXPECT_EQ(found.payload.json().size(), 1u);

  for (const char* text : {"{}", R"({"ping": {}, "pong": {}})", R"({"Hello": {"_0": 1}})"}) {
    const DecodingError error = failure(json::parse(text), read);
    EXPECT_EQ(error.kind(), Kind::typeMismatch) << text;
    EXPECT_EQ(error.description(), "Invalid number of keys found, expected one.");
  }
  for (const char* text : {R"({"ping": null})", R"({"ping": []})", R"({"ping": "x"})"}) {
    const DecodingError error = failure(json::parse(text), read);
    EXPECT_NE(error.kind(), Kind::keyNotFound) << text;
    EXPECT_EQ(error.codingPath(), std::vector<std::string>{"ping"});
  }
}

TEST(JSONReaderTest, UUIDsWriteUpperCaseAndReadInAnyCase) {
  const Json written = {{"id", *UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")}};
  EXPECT_EQ(json::write(written), R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"})");
  const Json lower = json::parse(R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"})");
  EXPECT_EQ(JSONReader(lower)["id"].uuid(), JSONReader(written)["id"].uuid());
}

}  // namespace
}  // namespace kelvo
