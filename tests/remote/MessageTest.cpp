#include "core/remote/Message.hpp"

#include <gtest/gtest.h>

#include "tests/remote/RemoteTestSupport.hpp"

namespace kelvo::Remote {
namespace {

using testing::iPad;
using Kind = DecodingError::Kind;

std::optional<Kind> failure(std::string_view json, std::string* description = nullptr) {
  try {
    Message::decoded(json);
  } catch (const DecodingError& error) {
    if (description) *description = error.description();
    return error.kind();
  }
  return std::nullopt;
}

TEST(MessageTest, EveryCaseRoundTrips) {
  const Message messages[] = {
      Message::hello(iPad()),
      Message::pair("", iPad()),
      Message::resume("c0ffee", iPad()),
      Message::paired("t\u00F6ken", iPad()),
      Message::refused(RefusalReason::hostBusy),
      Message::command({Command::Library{40}}),
      Message::result(CommandResult::ok("Done")),
      Message::ping(),
      Message::pong(),
  };
  for (const Message& message : messages) {
    EXPECT_EQ(Message::decoded(message.encoded()), message) << message.encoded();
  }
  EXPECT_EQ(Message::command({Command::Library{40}}).encoded(),
            R"({"command":{"_0":{"library":{"offset":40}}}})");
  EXPECT_EQ(Message::pong().encoded(), R"({"pong":{}})");
  EXPECT_EQ(Message::refused(RefusalReason::wrongCode).encoded(),
            R"({"refused":{"_0":"wrongCode"}})");
  // Members in another order, and the host's kind before its id.
  EXPECT_EQ(Message::decoded(R"({"paired":{"host":{"kind":"iPad","name":"Studio iPad",)"
                             R"("version":2,"id":"6F1C2B9E-0A4D-4E8B-9C3F-2D7A1B5E8F40"},)"
                             R"("token":"t"}})"),
            Message::paired("t", iPad()));
}

TEST(MessageTest, SingleKeyRules) {
  std::string description;
  EXPECT_EQ(Message::decoded(R"({"ping":{"x":1},"extra":[1]})"), Message::ping());
  EXPECT_EQ(Message::decoded(R"({"extra":{"pong":{}},"pong":{}})"), Message::pong());
  for (const char* json : {R"({})", R"({"ping":{},"pong":{}})", R"({"Hello":{}})"}) {
    EXPECT_EQ(failure(json, &description), Kind::typeMismatch) << json;
    EXPECT_EQ(description, "Invalid number of keys found, expected one.");
  }
  const struct {
    const char* json;
    Kind kind;
  } failures[] = {
      {R"({"pong":null})", Kind::valueNotFound},
      {R"({"ping":[]})", Kind::typeMismatch},
      {R"([])", Kind::typeMismatch},
      {R"({"hello":{"id":"6F1C2B9E-0A4D-4E8B-9C3F-2D7A1B5E8F40","name":"a","kind":"mac",)"
       R"("version":2}})",
       Kind::keyNotFound},
      {R"({"refused":{"_0":"WrongCode"}})", Kind::dataCorrupted},
      {R"({"refused":{"_0":"Wrongcode"}})", Kind::dataCorrupted},
      {R"({"pair":{"code":null,"from":{}}})", Kind::valueNotFound},
      {"", Kind::dataCorrupted},
      {"{\"result\":{\"_0\":{\"ok\":{\"_0\":\"\xC3\"}}}}", Kind::dataCorrupted},
      {R"({"ping":{}} x)", Kind::dataCorrupted},
  };
  for (const auto& f : failures) EXPECT_EQ(failure(f.json), f.kind) << f.json;
}

TEST(MessageTest, UnknownMembersAreDroppedAndDensityIsBounded) {
  // Deep and wide junk under an unknown key costs nothing to keep.
  std::string junk = R"({"ping":{},"junk":[)" + std::string(500, '[') + std::string(500, ']');
  for (int i = 0; i < 20'000; ++i) junk += ",{},[],0";
  EXPECT_EQ(Message::decoded(junk + "]}"), Message::ping());
  // ...but the nesting limit holds there too, and so does the bound on runs of containers.
  std::string run = R"({"ping":{},"junk":[0)";
  for (int i = 0; i < 40'000; ++i) run += ",[]";
  EXPECT_EQ(failure(run + "]}"), Kind::dataCorrupted);
  const std::string blanks(70'000, ' ');
  EXPECT_EQ(failure(R"({"ping":{})" + blanks + "}"), Kind::dataCorrupted);
  // Inside a string (escaped quotes and backslashes included) blanks are text.
  EXPECT_EQ(Message::decoded(R"({"command":{"_0":{"keepText":{"_0":"\")" + blanks + R"(\\"}}}})"),
            Message::command({Command::KeepText{"\"" + blanks + "\\"}}));
  EXPECT_EQ(failure(R"({"ping":{},"junk":)" + std::string(513, '[') + std::string(513, ']') + "}"),
            Kind::dataCorrupted);
  // Tiny containers where a page keeps its rows are denser than any real message.
  std::string dense = R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)";
  for (int i = 0; i < 10'000; ++i) dense += "{},";
  dense += "{}]}}}}}";
  EXPECT_EQ(failure(dense), Kind::dataCorrupted);
}

}  // namespace
}  // namespace kelvo::Remote
