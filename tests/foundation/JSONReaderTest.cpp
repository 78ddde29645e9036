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
    "id": "e621e1f8-c36c-495a-93fc-0c247a3e6e5f", "at": 720000000.25, "whole": 3,
    "data": "AAEC/w==", "outcome": "noImage", "flag": false, "ratio": 2,
    "names": ["a", "b"], "missing": null, "extra": {"ignored": [1]}})");
  const JSONReader reader(document);
  EXPECT_EQ(reader["id"].uuid().uuidString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(reader["at"].date(), Date(720000000.25));
  EXPECT_EQ(reader["whole"].date(), Date(3));
  EXPECT_EQ(reader["whole"].integer(), 3);
  EXPECT_EQ(reader["ratio"].number(), 2.0);
  EXPECT_EQ(reader["data"].bytes(), (Bytes{0, 1, 2, 255}));
  EXPECT_EQ(reader["outcome"].rawValue(outcomes, "Outcome"), Outcome::noImage);
  EXPECT_FALSE(reader["flag"].boolean());
  EXPECT_EQ(reader["names"].map([](const JSONReader& name) { return name.string(); }),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(reader.optional("missing"));
  EXPECT_FALSE(reader.optional("absent"));
  EXPECT_EQ(reader.optional("flag")->codingPath(), std::vector<std::string>{"flag"});
  const Json wholeFloat = 1.0;
  const Json smallest = -9223372036854775807LL - 1;
  EXPECT_EQ(JSONReader(wholeFloat).integer(), 1);
  EXPECT_EQ(JSONReader(smallest).integer(), INT64_MIN);
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
  EXPECT_EQ(error.description(), "Expected to decode String but found a number instead.");
  EXPECT_EQ(error.codingPath(), (std::vector<std::string>{"cards", "Index 1", "title"}));
  EXPECT_STREQ(error.what(),
               "Expected to decode String but found a number instead. (at cards.Index 1.title)");

  error = failure(document, [&](const JSONReader& r) { second(r)["name"]; });
  EXPECT_EQ(error.kind(), Kind::keyNotFound);
  EXPECT_EQ(error.codingPath(), (std::vector<std::string>{"cards", "Index 1"}));
  EXPECT_EQ(error.description(), "No value associated with key \"name\".");

  EXPECT_EQ(failure(document, [&](const JSONReader& r) { second(r)["id"].uuid(); }).kind(),
            Kind::valueNotFound);
  for (const char* key : {"uuid", "data", "n", "big"}) {
    error = failure(document, [&](const JSONReader& r) {
      const JSONReader value = second(r)[key];
      if (value.json().is_string()) {
        std::string_view(key) == "uuid" ? (void)value.uuid() : (void)value.bytes();
      } else {
        value.integer();
      }
    });
    EXPECT_EQ(error.kind(), Kind::dataCorrupted) << key;
  }
  error = failure(document,
                  [&](const JSONReader& r) { second(r)["type"].rawValue(outcomes, "Outcome"); });
  EXPECT_EQ(error.kind(), Kind::dataCorrupted);
  EXPECT_EQ(error.description(), "Cannot initialize Outcome from invalid String value Text");

  EXPECT_EQ(failure(document, [](const JSONReader& r) { r["cards"]["x"]; }).kind(),
            Kind::typeMismatch);
  EXPECT_EQ(failure(document, [](const JSONReader& r) { r.elements(); }).kind(),
            Kind::typeMismatch);
  EXPECT_EQ(failure(Json(true), [](const JSONReader& r) { r.integer(); }).kind(),
            Kind::typeMismatch);
  EXPECT_EQ(failure(Json("1"), [](const JSONReader& r) { r.number(); }).kind(), Kind::typeMismatch);
}

TEST(JSONReaderTest, SingleKeyCases) {
  static constexpr std::array<std::string_view, 3> cases = {"hello", "ping", "pong"};
  const auto read = [](const char* text) {
    const Json json = json::parse(text);
    const JSONCase found = JSONReader(json).singleKeyCase(cases, "Remote.Message");
    return std::string(found.name) + ":" + std::to_string(found.payload.json().size());
  };
  EXPECT_EQ(read(R"({"ping": {}})"), "ping:0");
  EXPECT_EQ(read(R"({"pong": {"stray": 1}, "extra": 2, "Hello": {}})"), "pong:1");

  for (const char* text : {"{}", R"({"ping": {}, "pong": {}})", R"({"Hello": {"_0": 1}})"}) {
    const Json json = json::parse(text);
    const DecodingError error =
        failure(json, [](const JSONReader& r) { r.singleKeyCase(cases, "Remote.Message"); });
    EXPECT_EQ(error.kind(), Kind::typeMismatch) << text;
    EXPECT_EQ(error.description(), "Invalid number of keys found, expected one.");
    EXPECT_EQ(error.type(), "Remote.Message");
    EXPECT_TRUE(error.codingPath().empty());
  }
  for (const char* text : {R"({"ping": null})", R"({"ping": []})", R"({"ping": "x"})"}) {
    const Json json = json::parse(text);
    const DecodingError error =
        failure(json, [](const JSONReader& r) { r.singleKeyCase(cases, "Remote.Message"); });
    EXPECT_NE(error.kind(), Kind::keyNotFound) << text;
    EXPECT_EQ(error.codingPath(), std::vector<std::string>{"ping"});
  }
  const Json array = Json::array();
  EXPECT_THROW(JSONReader(array).singleKeyCase(cases, "Remote.Message"), DecodingError);
}

TEST(JSONReaderTest, UUIDsWriteUpperCaseAndReadInAnyCase) {
  const Json written = {{"id", *UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")}};
  EXPECT_EQ(json::write(written), R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"})");
  const Json lower = json::parse(R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"})");
  EXPECT_EQ(JSONReader(lower)["id"].uuid(), JSONReader(written)["id"].uuid());
}

}  // namespace
}  // namespace kelvo
