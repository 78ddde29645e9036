#include "core/remote/Command.hpp"

#include <gtest/gtest.h>

#include "core/remote/CommandResult.hpp"
#include "tests/remote/RemoteTestSupport.hpp"

namespace kelvo::Remote {
namespace {

using testing::failure;
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
  EXPECT_EQ(results[0].message(), "Done");
  EXPECT_TRUE(results[0].isOK());
  EXPECT_EQ(results[1].message(), "Library refreshed");
  EXPECT_EQ(results[2].message(), "File received from the connected device");
  EXPECT_TRUE(results[2].isOK());
  EXPECT_EQ(results[3].message(), "");
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

}  // namespace
}  // namespace kelvo::Remote
