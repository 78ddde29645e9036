#include "core/remote/Command.hpp"

#include <gtest/gtest.h>

#include "core/remote/CommandResult.hpp"
#include "core/remote/Message.hpp"
#include "tests/remote/RemoteTestSupport.hpp"

namespace kelvo::Remote {
namespace {

using testing::failure;
using testing::iPad;
using testing::readBack;
using testing::uuid;
using testing::written;
using Kind = DecodingError::Kind;

const UUID cardID = uuid("0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D");
const UUID shelfID = uuid("5A4B3C2D-1E0F-4A9B-8C7D-6E5F4A3B2C1D");
const CardEnvelope envelope{cardID, "Invoice", CardType::text, "Pay by Friday"};
const LibraryCard row{cardID, "Invoice", CardType::fact, "ab@c.de", shelfID, true};

TEST(CommandTest, EveryCaseRoundTripsWithItsNotice) {
  const struct {
    Command command;
    const char* notice;
  } cases[] = {
      {{Command::Library{40}}, "Library opened from your iPhone"},
      {{Command::ReadFile{cardID}}, "File opened from your iPhone"},
      {{Command::CreateCard{"T", "x", std::nullopt}}, "Card created from your iPhone"},
      {{Command::UpdateCard{cardID, "T", "x", shelfID, row}}, "Card updated from your iPhone"},
      {{Command::UpdateCard{cardID, "T", "x", std::nullopt, std::nullopt}},
       "Card updated from your iPhone"},
      {{Command::TrashCard{cardID}}, "Card moved to Trash from your iPhone"},
      {{Command::RestoreCard{cardID}}, "Card restored from your iPhone"},
      {{Command::CreateShelf{"Work"}}, "Shelf created from your iPhone"},
      {{Command::CopyToClipboard{envelope}}, "Copied from your iPhone"},
      {{Command::PasteIntoFrontmostApp{envelope}}, "Pasted from your iPhone"},
      {{Command::KeepText{"a/b"}}, "Kept text from your iPhone"},
      {{Command::KeepFile{"a.pdf", {1, 2, 3}}}, "Kept \u201Ca.pdf\u201D from your iPhone"},
      {{Command::KeepFile{"", {}}}, "Kept \u201C\u201D from your iPhone"},
      {{Command::KeepFile{"two\nlines ", {0}}}, "Kept \u201Ctwo\nlines \u201D from your iPhone"},
      {{Command::ShowCard{envelope}}, "Showing a card from your iPhone"},
  };
  for (const auto& c : cases) {
    const std::string text = written(c.command);
    EXPECT_EQ(readBack<Command>(text), c.command) << text;
    EXPECT_EQ(c.command.hostDescription(), c.notice);
    EXPECT_EQ(c.command.requiresMac(),
              std::holds_alternative<Command::PasteIntoFrontmostApp>(c.command.value));
  }
}

TEST(CommandTest, WrittenFormAndOptionalValues) {
  EXPECT_EQ(
      written(Command{Command::CreateCard{"T", "x", shelfID}}),
      R"({"createCard":{"title":"T","text":"x","shelfID":"5A4B3C2D-1E0F-4A9B-8C7D-6E5F4A3B2C1D"}})");
  EXPECT_EQ(written(Command{Command::CreateCard{"T", "x", std::nullopt}}),
            R"({"createCard":{"title":"T","text":"x"}})");
  EXPECT_EQ(written(Command{Command::KeepText{"a/b"}}), R"({"keepText":{"_0":"a\/b"}})");
  EXPECT_EQ(readBack<Command>(R"({"keepText":{"_0":"a/b"}})"), (Command{Command::KeepText{"a/b"}}));
  EXPECT_EQ(readBack<Command>(R"({"createCard":{"title":"T","text":"x","shelfID":null}})"),
            (Command{Command::CreateCard{"T", "x", std::nullopt}}));

  std::string description;
  const struct {
    const char* json;
    Kind kind;
  } failures[] = {
      {R"({"keepText":{"text":"x"}})", Kind::keyNotFound},
      {R"({"updateCard":{"id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D","text":"x"}})",
       Kind::keyNotFound},
      {R"({"showCard":{"card":{"id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D","title":"",)"
       R"("type":"Text","text":""}}})",
       Kind::dataCorrupted},
      {R"({"copyToClipboard":{"card":{"id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D","title":"",)"
       R"("type":"note","text":""}}})",
       Kind::dataCorrupted},
      {R"({"keepFile":{"filename":"a","data":"AAA"}})", Kind::dataCorrupted},
      {R"({"library":{"offset":"4"}})", Kind::typeMismatch},
      {R"({"ping":{}})", Kind::typeMismatch},
      {R"({"trashCard":{"id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D"},"restoreCard":{}})",
       Kind::typeMismatch},
  };
  for (const auto& f : failures) {
    EXPECT_EQ(failure(f.json, Command::decode, &description), f.kind) << f.json;
  }
  EXPECT_EQ(failure(R"({"copyToClipboard":{},"pasteIntoFrontmostApp":{}})", Command::decode,
                    &description),
            Kind::typeMismatch);
  EXPECT_EQ(description, "Invalid number of keys found, expected one.");
}

TEST(CommandTest, ResultsTheirMessagesAndForms) {
  const LibraryPage page{{row}, {{shelfID, "Work"}}, 40};
  const CommandResult results[] = {CommandResult::ok("Done"),
                                   {CommandResult::Library{page}},
                                   {CommandResult::File{"a.png", {9, 8}}},
                                   CommandResult::failed("")};
  for (const CommandResult& result : results) {
    EXPECT_EQ(readBack<CommandResult>(written(result)), result);
  }
  EXPECT_EQ(results[1].message(), "Library refreshed");
  EXPECT_TRUE(results[2].isOK());
  EXPECT_FALSE(results[3].isOK());
  EXPECT_TRUE(CommandResult::ok("").isOK());
  EXPECT_EQ(written(results[3]), R"({"failed":{"_0":""}})");
  EXPECT_EQ(failure(R"({"file":{"filename":"a"}})", CommandResult::decode), Kind::keyNotFound);
}

TEST(CommandTest, LibraryPages) {
  const LibraryCard plain{cardID, "T", CardType::text, "x", std::nullopt, false};
  const LibraryPage last{{plain}, {}, std::nullopt};
  EXPECT_EQ(written(last),
            R"({"cards":[{"id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D","title":"T","type":"text",)"
            R"("text":"x","isReadOnly":false}],"shelves":[]})");
  EXPECT_EQ(readBack<LibraryPage>(R"({"cards":[],"shelves":[],"nextOffset":null})"), LibraryPage{});
  EXPECT_EQ(readBack<LibraryPage>(R"({"cards":[],"shelves":[],"nextOffset":0})").nextOffset, 0);
  // A row may name a shelf the page does not carry.
  const LibraryPage orphan{{row}, {}, 7};
  EXPECT_EQ(readBack<LibraryPage>(written(orphan)), orphan);

  LibraryCard readOnly = plain;
  readOnly.isReadOnly = true;
  EXPECT_NE(readOnly, plain);
  EXPECT_NE((LibraryPage{{plain, row}, {}, {}}), (LibraryPage{{row, plain}, {}, {}}));

  const std::string id = R"("id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D")";
  const struct {
    std::string json;
    Kind kind;
  } failures[] = {
      {R"({"cards":[]})", Kind::keyNotFound},
      {R"({"cards":{},"shelves":[]})", Kind::typeMismatch},
      {R"({"cards":[],"shelves":[],"nextOffset":1.5})", Kind::dataCorrupted},
      {R"({"cards":[{)" + id + R"(,"title":"","type":"text","text":""}],"shelves":[]})",
       Kind::keyNotFound},
      {R"({"cards":[{)" + id +
           R"(,"title":"","type":"Image","text":"","isReadOnly":true}],)"
           R"("shelves":[]})",
       Kind::dataCorrupted},
      {R"({"cards":[],"shelves":[{)" + id + R"(,"name":null}]})", Kind::valueNotFound},
  };
  for (const auto& f : failures) {
    EXPECT_EQ(failure(f.json, LibraryPage::decode), f.kind) << f.json;
  }
}

std::optional<Kind> messageFailure(std::string_view json, std::string* description = nullptr) {
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
    EXPECT_EQ(messageFailure(json, &description), Kind::typeMismatch) << json;
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
  for (const auto& f : failures) EXPECT_EQ(messageFailure(f.json), f.kind) << f.json;
}

TEST(MessageTest, UnknownMembersAreDroppedAndDensityIsBounded) {
  // Deep and wide junk under an unknown key costs nothing to keep.
  std::string junk = R"({"ping":{},"junk":[)" + std::string(500, '[') + std::string(500, ']');
  for (int i = 0; i < 20'000; ++i) junk += ",{},[],0";
  EXPECT_EQ(Message::decoded(junk + "]}"), Message::ping());
  // ...but the nesting limit holds there too, and so does the bound on runs of containers.
  std::string run = R"({"ping":{},"junk":[0)";
  for (int i = 0; i < 40'000; ++i) run += ",[]";
  EXPECT_EQ(messageFailure(run + "]}"), Kind::dataCorrupted);
  const std::string blanks(70'000, ' ');
  EXPECT_EQ(messageFailure(R"({"ping":{})" + blanks + "}"), Kind::dataCorrupted);
  // Inside a string (escaped quotes and backslashes included) blanks are text.
  EXPECT_EQ(Message::decoded(R"({"command":{"_0":{"keepText":{"_0":"\")" + blanks + R"(\\"}}}})"),
            Message::command({Command::KeepText{"\"" + blanks + "\\"}}));
  EXPECT_EQ(
      messageFailure(R"({"ping":{},"junk":)" + std::string(513, '[') + std::string(513, ']') + "}"),
      Kind::dataCorrupted);
  // Tiny containers where a page keeps its rows are denser than any real message.
  std::string dense = R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)";
  for (int i = 0; i < 10'000; ++i) dense += "{},";
  dense += "{}]}}}}}";
  EXPECT_EQ(messageFailure(dense), Kind::dataCorrupted);
}

}  // namespace
}  // namespace kelvo::Remote
