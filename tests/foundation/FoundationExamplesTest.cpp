// The usage examples at the top of the foundation's headers, run as written.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/foundation/Date.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Hash.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Regex.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/URLComponents.hpp"
#include "platform/foundation/UUID.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

TEST(Text, APIExamples) {
  const std::string title = "Cafe\u0301 au lait";                // an "e" and a combining accent
  const std::size_t length = text::characterCount(title);        // 12
  const std::string shown = text::prefix(title, 4);              // "Café", accent and all
  const bool same = text::canonicallyEqual(shown, "Caf\u00E9");  // true
  const std::string key = text::folded("Crème BRÛLÉE");          // "creme brulee"

  EXPECT_EQ(length, 12u);
  EXPECT_EQ(shown, "Cafe\u0301");
  EXPECT_TRUE(same);
  EXPECT_EQ(key, "creme brulee");
}

TEST(JSON, APIExamples) {
  Json document;
  document["title"] = "Tax/VAT";
  document["createdAt"] = Date(700'000'000);
  const std::string text = json::write(document);  // {"createdAt":700000000,"title":"Tax\/VAT"}
  const Json back = json::parse(text);             // throws DecodingError for text that is not JSON

  EXPECT_EQ(text, R"({"createdAt":700000000,"title":"Tax\/VAT"})");
  EXPECT_EQ(back, document);
  EXPECT_THROW(json::parse(R"({"title":)"), DecodingError);
}

TEST(JSONReader, APIExamples) {
  const Json document = json::parse(R"({"title":"Wi-Fi","createdAt":7e8,"tags":["home"]})");
  const JSONReader reader(document);
  const std::string title = reader["title"].string();
  const Date createdAt = reader["createdAt"].date();
  const auto tags = reader["tags"].map([](const JSONReader& tag) { return tag.string(); });
  const bool hasNote = reader.optional("note").has_value();  // false: absent or null

  EXPECT_EQ(title, "Wi-Fi");
  EXPECT_EQ(createdAt, Date(700'000'000));
  EXPECT_EQ(tags, std::vector<std::string>{"home"});
  EXPECT_FALSE(hasNote);
  try {
    reader["tags"].elements()[0].integer();
    ADD_FAILURE() << "a text read as a number";
  } catch (const DecodingError& error) {
    EXPECT_EQ(error.codingPath(), (std::vector<std::string>{"tags", "Index 0"}));
  }
}

TEST(URLComponents, APIExamples) {
  URLComponents parts;
  parts.scheme = "kelvo";
  parts.host = "search";
  parts.queryItems = std::vector<URLQueryItem>{{"q", "tax & vat"}};
  const std::optional<std::string> link = parts.string();  // "kelvo://search?q=tax%20%26%20vat"
  const std::optional<std::string> query = URLComponents::parse(*link)->firstValue("q");

  EXPECT_EQ(link, "kelvo://search?q=tax%20%26%20vat");
  EXPECT_EQ(query, "tax & vat");
}

TEST(FileManager, APIExamples) {
  const testing::TemporaryDirectory home;
  const std::filesystem::path dataHome = home.path() / "data";
  const std::filesystem::path configHome = home.path() / "config";

  const FileManager files(dataHome, configHome);  // or FileManager(): $XDG_… or ~
  const std::filesystem::path folder = files.applicationSupportDirectory(true) / "Kelvo";
  files.createDirectory(folder);
  files.write(folder / "order.json", R"({"unsorted":[]})");  // throws FileError
  const std::string stored = files.contents(folder / "order.json", 1024 * 1024);

  EXPECT_EQ(folder, dataHome / "Kelvo");
  EXPECT_EQ(stored, R"({"unsorted":[]})");
  EXPECT_THROW(files.contents(folder / "order.json", 4), FileError);
}

TEST(UUID, APIExamples) {
  const UUID id = UUID::random();
  const std::string stored = id.uuidString();  // 36 characters, upper case
  const std::optional<UUID> read = UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
  std::unordered_map<UUID, std::string> titles{{id, "Wi-Fi"}};

  EXPECT_EQ(stored.size(), 36u);
  EXPECT_EQ(stored, text::uppercased(stored));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->uuidString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(titles.at(*UUID::parse(stored)), "Wi-Fi");
}

TEST(Regex, APIExamples) {
  static const Regex blank(R"(\{(\w+)\})");  // a pattern of the code, compiled once
  const std::vector<Regex::Match> blanks = blank.allMatches("Dear {name}, re {topic}");
  const std::string_view second = *blanks[1].captures[0];  // "topic"
  std::string error;
  const bool refused = !Regex::make("(unclosed", {}, &error);  // true

  EXPECT_EQ(blanks.size(), 2u);
  EXPECT_EQ(blanks[1].offset, 16u);
  EXPECT_EQ(second, "topic");
  EXPECT_TRUE(refused);
  EXPECT_FALSE(error.empty());
}

TEST(Localized, APIExamples) {
  const std::string title = "Wi-Fi";
  const std::int64_t cardCount = 3;

  const std::string copied = localized("Copied %@", title);             // "Copied Wi-Fi"
  const std::string counted = localized("%lld cards", cardCount);       // "3 cards"
  const std::string turned = formatted("%2$@ %1$@", "world", "hello");  // "hello world"

  EXPECT_EQ(copied, "Copied Wi-Fi");
  EXPECT_EQ(counted, "3 cards");
  EXPECT_EQ(turned, "hello world");
}

TEST(Date, APIExamples) {
  for (const auto& [now, expected] : {std::pair{Date::fromUnixTime(1'701'209'599), false},
                                      std::pair{Date::fromUnixTime(1'701'209'600), true}}) {
    const Date capturedAt = Date::fromUnixTime(1'700'000'000);
    const Date due = capturedAt + 14 * 86'400;  // fourteen days later
    const bool outdated = now >= due;
    const double stored = due.timeIntervalSinceReferenceDate();  // the number JSON holds

    EXPECT_EQ(outdated, expected);
    EXPECT_EQ(stored, 722'902'400.0);
  }
}

TEST(Hash, APIExamples) {
  const std::string name = "Wi-Fi";
  std::set<std::size_t> seeds;
  for (const std::int64_t count : {1, 2}) {
    std::size_t seed = std::hash<std::string>{}(name);
    kelvo::hashCombine(seed, std::hash<std::int64_t>{}(count));
    seeds.insert(seed);
  }
  EXPECT_EQ(seeds.size(), 2u);  // every part counts
}

}  // namespace
}  // namespace kelvo
