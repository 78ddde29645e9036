#include "core/model/Card.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/model/CardClipboardSnapshot.hpp"
#include "core/model/CardEdit.hpp"
#include "core/model/CardType.hpp"
#include "core/model/FactKind.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SnippetMetrics.hpp"
#include "core/model/VariableTemplate.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/foundation/Hex.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/model/Library.hpp"
#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

using testing::day;
using testing::Library;

TEST(CardTest, ContentHashCoversTypeAndWholePayload) {
  EXPECT_NE(Card::contentHash(CardType::fact, "abc"), Card::contentHash(CardType::text, "abc"));
  // The whole payload counts, past a NUL byte.
  EXPECT_NE(Card::contentHash(CardType::text, std::string("a\0b", 3)),
            Card::contentHash(CardType::text, "a"));
  // The hasher is reused: each call, on any thread, hashes its own type and payload alone.
  const std::string expected =
      hexString(crypto::SHA256::hash("fact\x1f"
                                     "abc"));
  for (int i = 0; i < 2; ++i) EXPECT_EQ(Card::contentHash(CardType::fact, "abc"), expected);
  std::string onAnotherThread;
  std::thread([&] { onAnotherThread = Card::contentHash(CardType::fact, "abc"); }).join();
  EXPECT_EQ(onAnotherThread, expected);
}

TEST(CardTest, PreviewIsOneTrimmedLine) {
  // Every line end is one space, a CR LF pair included; none survives into the line.
  EXPECT_EQ(Card::makePreview("a\r\nb\rc\nd", 140), "a b c d");
  EXPECT_EQ(Card::makePreview("\r\n\t x \r", 140), "x");
  const std::string exact(140, 'x');
  EXPECT_EQ(Card::makePreview(exact, 140), exact);
  const std::string longer = exact + "y";
  EXPECT_EQ(Card::makePreview(longer, 140), exact + "\u2026");
  // The cut is not trimmed again, and never splits a character.
  EXPECT_EQ(Card::makePreview("ab cd", 3), "ab \u2026");
  EXPECT_EQ(Card::makePreview("e\u0301e\u0301e\u0301", 2), "e\u0301e\u0301\u2026");
  EXPECT_EQ(Card::makePreview("abc", 0), "\u2026");
}

// The preview as first written: the whole text made one line, trimmed, then cut.
std::string wholeTextPreview(std::string_view text, std::size_t limit) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    line += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
  }
  line = text::trimmed(line);
  const std::string head = text::prefix(line, limit);
  return head.size() == line.size() ? line : head + "\u2026";
}

TEST(CardTest, PreviewReadsOnlyAWindowYetAgreesWithTheWholeText) {
  // Pieces that matter at a window's edge: line ends split across it, marks joining the
  // character before, wide scalars, blank tails and broken bytes.
  const std::vector<std::string> pieces = {"a",
                                           "word ",
                                           " ",
                                           "\r",
                                           "\n",
                                           "\r\n",
                                           "\t",
                                           "\u0301",
                                           "\u00e9",
                                           "\U0001F642",
                                           "\u200D",
                                           "\U0001F1EB",
                                           "\u2028",
                                           "\u3000",
                                           "\xff",
                                           "\xe2\x82",
                                           std::string(300, ' '),
                                           std::string(200, 'x')};
  std::mt19937 random(15);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const std::size_t count = random() % 60;
    for (std::size_t i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
    if (random() % 4 == 0) text += std::string(random() % 3000, random() % 2 ? ' ' : '\n');
    for (const std::size_t limit :
         {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{140}}) {
      ASSERT_EQ(Card::makePreview(text, limit), wholeTextPreview(text, limit))
          << "round " << round << ", limit " << limit;
    }
  }
}

TEST(CardTest, MakeWritesACompleteCard) {
  Library library;
  auto shelf = library.shelf("Work");
  auto card = Card::make({.id = testing::uuid(7),
                          .type = CardType::fact,
                          .title = "Mail",
                          .payload = "ada@example.com\nsecond line",
                          .factKind = FactKind::email,
                          .syncState = CardSyncState::pendingPush,
                          .isPayloadAvailable = false,
                          .payloadData = data::Bytes{1, 2},
                          .shelf = shelf});
  library.context().save();

  // The derived texts come from the payload.
  EXPECT_EQ(card->generatedTitle(), "Mail");
  EXPECT_EQ(card->previewText(), "ada@example.com second line");
  EXPECT_EQ(card->contentHash(), Card::contentHash(CardType::fact, card->payload()));
  EXPECT_EQ(shelf->cards(), (std::vector<std::shared_ptr<Card>>{card}));
  // Unavailable bytes are not handed out, even though they are stored.
  EXPECT_EQ(card->safePayloadData(), std::nullopt);
  card->setIsPayloadAvailable(true);
  EXPECT_EQ(card->safePayloadData(), (data::Bytes{1, 2}));
  card->setDeletedAt(day(5));
  EXPECT_EQ(card->safePayloadData(), std::nullopt);

  // Given texts are kept as given; setters recompute nothing.
  auto given = Card::make({.id = testing::uuid(8),
                           .title = "T",
                           .generatedTitle = "G",
                           .payload = "p",
                           .previewText = "P"});
  EXPECT_EQ(given->generatedTitle(), "G");
  EXPECT_EQ(given->previewText(), "P");
  given->setPayload("changed");
  EXPECT_EQ(given->contentHash(), Card::contentHash(CardType::text, "p"));
}

TEST(CardTest, StoredTextsReadThroughTheirFallbacks) {
  Library library;
  auto card = library.card("c");
  card->setTypeRaw("sticker");
  EXPECT_EQ(card->type(), CardType::file);
  EXPECT_TRUE(card->isUnknownType());
  EXPECT_TRUE(card->carriesBytes());

  card->setSyncStateRaw("Synced");
  EXPECT_EQ(card->syncState(), CardSyncState::localOnly);
  card->setFactKindRaw("passport");
  EXPECT_EQ(card->factKind(), std::nullopt);

  card->setType(CardType::text);
  card->setPayload("Dear {name}");
  EXPECT_TRUE(card->hasVariables());
  card->setType(CardType::fact);
  EXPECT_FALSE(card->hasVariables());
}

TEST(CardTest, TrashAndPurgeArithmetic) {
  Library library;
  auto card = library.card("c");
  const Date now = day(100);
  EXPECT_FALSE(card->isTrashed());
  EXPECT_EQ(card->daysUntilPurge(now), std::nullopt);
  EXPECT_FALSE(card->isPurgeable(now));

  // Days since the deletion, days left, and whether the card may go; the future keeps all 30.
  const std::tuple<double, std::int64_t, bool> cases[] = {
      {0, 30, false}, {29.5, 1, false}, {30, 0, true}, {40, 0, true}, {-5, 30, false}};
  for (const auto& [ago, left, purgeable] : cases) {
    card->setDeletedAt(now - ago * 86'400);
    EXPECT_TRUE(card->isTrashed());
    EXPECT_EQ(card->daysUntilPurge(now), left) << ago;
    EXPECT_EQ(card->isPurgeable(now), purgeable) << ago;
  }
  // Moments that are not numbers count as nothing left, never as garbage.
  card->setDeletedAt(Date(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(card->daysUntilPurge(now), 0);
  EXPECT_FALSE(card->isPurgeable(now));
  card->setDeletedAt(Date::distantPast());
  EXPECT_EQ(card->daysUntilPurge(Date(std::numeric_limits<double>::infinity())), 0);
}

TEST(CardTest, RecordUseCountsAndSaturates) {
  Library library;
  auto card = library.card("c");
  card->setValue("useCount", std::nullopt);
  card->recordUse(day(2));
  EXPECT_EQ(card->useCount(), 1);
  EXPECT_EQ(card->lastUsedAt(), day(2));

  constexpr auto largest = std::numeric_limits<std::int64_t>::max();
  card->setUseCount(largest);
  library.context().save();
  card->recordUse(day(4));
  EXPECT_EQ(card->useCount(), largest);
  EXPECT_EQ(card->lastUsedAt(), day(4));
  library.context().save();
}

using Refusal = CardEdit::Refusal;

std::string repeated(std::string_view piece, std::size_t count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(CardEditTest, TitlesAreCountedAfterTrimming) {
  EXPECT_EQ(CardEdit::refusal(CardType::text, std::string(200, 't'), "body"), std::nullopt);
  const auto tooLong = CardEdit::refusal(CardType::text, std::string(201, 't'), "body");
  ASSERT_TRUE(tooLong);
  EXPECT_EQ(*tooLong, Refusal::titleTooLong(201, 200));
  EXPECT_EQ(tooLong->field(), Refusal::Field::title);
  EXPECT_EQ(Refusal::titleTooLong(245, 200).message(),
            "That title is 245 characters — titles hold up to 200.");
  EXPECT_EQ(CardEdit::refusal(CardType::text, "     " + std::string(195, 't') + "     ", "b"),
            std::nullopt);
  // A letter and its combining accent are one character.
  EXPECT_EQ(CardEdit::refusal(CardType::text, repeated("e\u0301", 200), "b"), std::nullopt);
  EXPECT_EQ(CardEdit::refusal(CardType::text, repeated("e\u0301", 201), "b"),
            Refusal::titleTooLong(201, 200));
  // The title is judged before the text, and for every kind of card.
  EXPECT_EQ(CardEdit::refusal(CardType::text, std::string(300, 't'), " "),
            Refusal::titleTooLong(300, 200));
  EXPECT_EQ(CardEdit::refusal(CardType::image, std::string(300, 't'), ""),
            Refusal::titleTooLong(300, 200));
  EXPECT_EQ(CardEdit::refusal(CardType::image, "Cat", ""), std::nullopt);
  EXPECT_EQ(CardEdit::refusal(CardType::text, " \n ", "body"), std::nullopt);
}

TEST(CardEditTest, TextsAreCountedAsTyped) {
  const auto empty = CardEdit::refusal(CardType::text, "T", " \n\t\n ");
  ASSERT_TRUE(empty);
  EXPECT_EQ(*empty, Refusal::emptyText());
  EXPECT_EQ(empty->field(), Refusal::Field::text);
  EXPECT_EQ(empty->message(),
            "A snippet needs some text. Type something, or close without saving.");
  EXPECT_EQ(CardEdit::refusal(CardType::fact, "T", "  "), Refusal::emptyText());

  EXPECT_EQ(CardEdit::refusal(CardType::text, "T", std::string(100'000, 'x')), std::nullopt);
  const auto over = CardEdit::refusal(CardType::text, "T", std::string(99'999, 'x') + "\n\n");
  ASSERT_TRUE(over);
  EXPECT_EQ(*over, Refusal::textTooLong(100'001, 100'000));
  EXPECT_EQ(over->field(), Refusal::Field::text);
  EXPECT_EQ(over->message(),
            "That's 100,001 characters — a card holds up to 100,000. Shorten it, or keep the "
            "rest as a second card.");
  // A CR LF pair is one character.
  EXPECT_EQ(CardEdit::refusal(CardType::text, "T", std::string(99'999, 'x') + "\r\n"),
            std::nullopt);
  EXPECT_EQ(CardEdit::refusal(CardType::fact, "T", repeated("e\u0301", 100'000)), std::nullopt);
  // The numbers follow the locale's grouping; the title's stay plain.
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(over->message(),
            "That's 100.001 characters — a card holds up to 100.000. Shorten it, or keep the "
            "rest as a second card.");
  EXPECT_EQ(Refusal::titleTooLong(1'245, 200).message(),
            "That title is 1245 characters — titles hold up to 200.");
}

TEST(CardEditTest, ResolvingAndChanges) {
  EXPECT_EQ(CardEdit::resolvedTitle("  Trip  ", "Generated"), "Trip");
  EXPECT_EQ(CardEdit::resolvedTitle(" \n ", " Generated "), " Generated ");
  EXPECT_EQ(CardEdit::resolvedText("\n body \n"), "body");

  // Blanks at the ends of a typed title change nothing.
  EXPECT_FALSE(CardEdit::changes(CardType::document, "Scan", "", "Gen", "  Scan ", "ignored"));
  // An empty title falls back to the generated one, which differs from the stored title.
  EXPECT_TRUE(CardEdit::changes(CardType::document, "Scan", "", "Gen", "", ""));
  EXPECT_FALSE(CardEdit::changes(CardType::document, "Gen", "old", "Gen", "", "new"));
  EXPECT_FALSE(CardEdit::changes(CardType::text, "T", "body", "G", "T", " body\n"));
  EXPECT_TRUE(CardEdit::changes(CardType::text, "T", "body", "G", "T", "body!"));
  EXPECT_TRUE(CardEdit::changes(CardType::fact, "T", " body", "G", "T", " body"));
}

TEST(CardTypeTest, RawValuesMatchExactly) {
  EXPECT_EQ(fromRawValue<CardType>("document"), CardType::document);
  for (const char* text : {"Text", "", " text", "video"}) {
    EXPECT_FALSE(fromRawValue<CardType>(text)) << text;
  }
  // A value from outside the enumeration has no raw value rather than reading past the table.
  EXPECT_EQ(rawValue(static_cast<CardType>(9)), "");
}

TEST(FactKindTest, NamesAreLocalisedExceptIDNumber) {
  testing::GermanCatalogue german({{"Email", "E-Mail"}, {"ID number", "Ausweisnummer"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(displayName(FactKind::email), "E-Mail");
  EXPECT_EQ(displayName(FactKind::idNumber), "ID number");
}

const Date now = testing::day(9'000);

// The coded form carries every field, so equal records mean equal content.
void expectSameContent(const CardClipboardSnapshot& a, const CardClipboardSnapshot& b) {
  EXPECT_EQ(a.encoded(), b.encoded());
}

TEST(CardClipboardSnapshotTest, CarriesContentButNoIdentityOrHistory) {
  testing::Library library;
  auto work = library.shelf("Work");
  auto card = Card::make({.id = UUID::random(),
                          .type = CardType::fact,
                          .title = "Home",
                          .payload = "1 Main Street",
                          .autoTags = {"home", "address"},
                          .createdAt = testing::day(1),
                          .lastUsedAt = testing::day(2),
                          .useCount = 5,
                          .isPinned = true,
                          .isLocked = true,
                          .factKind = FactKind::address,
                          .factLabel = "Home",
                          .syncState = CardSyncState::synced,
                          .isPayloadAvailable = false,
                          .shelf = work});
  card->setDeletedAt(testing::day(3));
  card->setContentHash("not-recomputed");
  library.context().save();

  const CardClipboardSnapshot snapshot(*card);
  auto other = library.shelf("Other");
  auto copy = snapshot.makeCard(other, now);
  EXPECT_NE(copy->id(), card->id());
  EXPECT_EQ(copy->id(), copy->id());  // stored, not made up at each read
  // No history comes along: counts, moments, flags and sync state start afresh.
  EXPECT_EQ(std::tuple(copy->useCount(), copy->lastUsedAt(), copy->isTrashed(), copy->createdAt(),
                       copy->isPinned(), copy->isLocked(), copy->isPayloadAvailable(),
                       copy->syncStateRaw()),
            std::tuple(0, std::optional<Date>(), false, now, false, false, true, "localOnly"));
  EXPECT_EQ(copy->contentHash(), "not-recomputed");
  EXPECT_EQ(other->cards(), (std::vector<std::shared_ptr<Card>>{copy}));
  expectSameContent(CardClipboardSnapshot(*copy), snapshot);
  library.context().save();
}

TEST(CardClipboardSnapshotTest, UnknownStoredKindsAndMissingValues) {
  testing::Library library;
  auto video = library.card("Clip");
  video->setTypeRaw("video");
  video->setFactKindRaw("pin");
  video->setContentHash("");
  const CardClipboardSnapshot snapshot(*video);
  EXPECT_EQ(snapshot.type, CardType::file);
  EXPECT_EQ(snapshot.factKind, std::nullopt);
  EXPECT_EQ(snapshot.payloadData, std::nullopt);

  // Without a shelf the card is in no context and on no shelf.
  auto loose = snapshot.makeCard(nullptr, now);
  EXPECT_EQ(loose->context(), nullptr);
  EXPECT_EQ(loose->typeRaw(), "file");

  // Bytes are taken as stored, even from a card whose bytes are flagged unavailable.
  auto image = library.card("Cat");
  image->setType(CardType::image);
  image->setPayloadData(Bytes{1, 2, 3});
  image->setIsPayloadAvailable(false);
  EXPECT_EQ(CardClipboardSnapshot(*image).payloadData, (Bytes{1, 2, 3}));
}

TEST(CardClipboardSnapshotCodingTest, OptionalKeysAreLeftOutAndRoundTrip) {
  CardClipboardSnapshot text;
  text.type = CardType::text;
  text.title = "Greeting";
  text.payload = "Hi {name}/";
  text.autoTags = {"mail"};
  text.byteCount = 0;
  text.contentHash = "abc";
  const std::string encoded = text.encoded();
  EXPECT_EQ(encoded,
            R"({"autoTags":["mail"],"byteCount":0,"contentHash":"abc","extractedText":"",)"
            R"("generatedTitle":"","payload":"Hi {name}\/","previewText":"","title":"Greeting",)"
            R"("type":"text"})");
  expectSameContent(CardClipboardSnapshot::decoded(encoded), text);

  CardClipboardSnapshot full = text;
  full.type = CardType::document;
  full.sourceApp = "Mail";
  full.factKind = FactKind::idNumber;
  full.factLabel = "Passport";
  full.pageCount = 3;
  full.payloadData = Bytes{0x25, 0x50, 0x44, 0x46, 0x00, 0xFF};
  full.thumbnailData = Bytes{};
  full.filename = "scan.pdf";
  full.byteCount = 6;
  Json json;
  full.encode(json);
  EXPECT_EQ(json.size(), 16u);
  EXPECT_EQ(json["payloadData"], "JVBERgD/");
  EXPECT_EQ(json["thumbnailData"], "");
  expectSameContent(CardClipboardSnapshot::decode(JSONReader(json)), full);

  // Nulls read as absent; keys that are not ours are ignored.
  json["filename"] = nullptr;
  json["pageCount"] = nullptr;
  json["isPinned"] = true;
  const auto decoded = CardClipboardSnapshot::decode(JSONReader(json));
  EXPECT_EQ(decoded.filename, std::nullopt);
  EXPECT_EQ(decoded.pageCount, std::nullopt);
}

TEST(CardClipboardSnapshotCodingTest, BadRecordsAreRefused) {
  CardClipboardSnapshot snapshot;
  snapshot.type = CardType::fact;
  Json valid;
  snapshot.encode(valid);
  const auto failure = [&](const Json& json) {
    try {
      CardClipboardSnapshot::decode(JSONReader(json));
    } catch (const DecodingError& error) {
      return std::optional(error);
    }
    return std::optional<DecodingError>();
  };

  Json withoutHash = valid;
  withoutHash.erase("contentHash");
  ASSERT_TRUE(failure(withoutHash));
  EXPECT_EQ(failure(withoutHash)->kind(), DecodingError::Kind::keyNotFound);

  for (const auto& [key, value] : {std::pair<std::string, Json>{"type", "video"},
                                   {"factKind", "pin"},
                                   {"payloadData", "not base64!"}}) {
    Json json = valid;
    json[key] = value;
    const auto error = failure(json);
    ASSERT_TRUE(error) << key;
    EXPECT_EQ(error->kind(), DecodingError::Kind::dataCorrupted) << key;
    EXPECT_EQ(error->codingPathText(), key);
  }
  for (const auto& [key, value] : {std::pair<std::string, Json>{"byteCount", "12"},
                                   {"autoTags", "tag"},
                                   {"pageCount", 1.5},
                                   {"title", 7}}) {
    Json json = valid;
    json[key] = value;
    EXPECT_TRUE(failure(json)) << key;
  }
  Json nullTitle = valid;
  nullTitle["title"] = nullptr;
  EXPECT_EQ(failure(nullTitle)->kind(), DecodingError::Kind::valueNotFound);
  EXPECT_THROW(CardClipboardSnapshot::decoded("[]"), DecodingError);
  EXPECT_THROW(CardClipboardSnapshot::decoded("{"), DecodingError);
}

using Segments = std::vector<TemplateSegment>;

TemplateSegment lit(std::string text) { return TemplateSegment::literal(std::move(text)); }
TemplateSegment var(std::string name) { return TemplateSegment::variable(std::move(name)); }

TEST(VariableTemplateTest, ParsesBlanksBetweenLiterals) {
  const VariableTemplate hello("Hello {name}!");
  EXPECT_EQ(hello.segments(), (Segments{lit("Hello "), var("name"), lit("!")}));

  const VariableTemplate spaced("{ first name }");
  EXPECT_EQ(spaced.segments(), (Segments{var("first name")}));
  EXPECT_EQ(spaced.displayText(), "{first name}");
  // Tabs, line ends and no-break spaces are trimmed from a name too.
  EXPECT_EQ(VariableTemplate("{\t\n\u00a0x\u2003}").segments(), (Segments{var("x")}));

  EXPECT_EQ(VariableTemplate("{a{b}").segments(), (Segments{lit("{a"), var("b")}));

  const VariableTemplate repeated("{x} and {x} or {y}");
  EXPECT_EQ(repeated.variableNames(), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(VariableTemplate("{Name}{name}").variableNames(),
            (std::vector<std::string>{"Name", "name"}));
}

TEST(VariableTemplateTest, MalformedBlanksStayText) {
  for (const char* text : {"{}", "{ }", "{name", "}", "a}b{", "{\n}", "{a{", "x{}y"}) {
    const VariableTemplate value(text);
    EXPECT_FALSE(value.hasVariables()) << text;
    EXPECT_EQ(value.segments(), (Segments{lit(text)})) << text;
    EXPECT_EQ(value.displayText(), text);
  }
  // After an empty blank, reading resumes right after its "{".
  EXPECT_EQ(VariableTemplate("{ }{x}").segments(), (Segments{lit("{ }"), var("x")}));
  EXPECT_TRUE(VariableTemplate("").segments().empty());
}

TEST(VariableTemplateTest, BackslashesEscapeOnlyBraces) {
  EXPECT_EQ(VariableTemplate("\\{name\\}").segments(), (Segments{lit("{name}")}));
  // The backslash before the first closing brace escapes it; the name search stops there.
  EXPECT_EQ(VariableTemplate("{a\\}b}").segments(), (Segments{lit("{a}b}")}));
  EXPECT_EQ(VariableTemplate("C:\\Users\\ada").segments(), (Segments{lit("C:\\Users\\ada")}));
  // The first backslash is text and the second escapes the brace: one literal, no blank.
  EXPECT_EQ(VariableTemplate("\\\\{x}").segments(), (Segments{lit("\\{x}")}));
  EXPECT_EQ(VariableTemplate("{x}\\").segments(), (Segments{var("x"), lit("\\")}));
  // A backslash before another character inside braces belongs to the name.
  EXPECT_EQ(VariableTemplate("{a\\b}").segments(), (Segments{var("a\\b")}));
  EXPECT_EQ(VariableTemplate("{a\\\\}").segments(), (Segments{lit("{a\\}")}));
  EXPECT_EQ(VariableTemplate("{a\\").segments(), (Segments{lit("{a\\")}));
}

TEST(VariableTemplateTest, BracesJoinedByMarksAreOrdinaryCharacters) {
  // U+0301 joins the brace before it into one character, which is no brace.
  const std::string open = "{\u0301";
  EXPECT_EQ(VariableTemplate(open + "x}").segments(), (Segments{lit(open + "x}")}));
  EXPECT_EQ(VariableTemplate("{x}\u0301").segments(), (Segments{lit("{x}\u0301")}));
  EXPECT_EQ(VariableTemplate("{x\u0301}").segments(), (Segments{var("x\u0301")}));
  // A joined backslash escapes nothing.
  EXPECT_EQ(VariableTemplate("\\\u0301{x}").segments(), (Segments{lit("\\\u0301"), var("x")}));
  // A prepended mark takes the brace after it into its character.
  EXPECT_EQ(VariableTemplate("\u0600{x}").segments(), (Segments{lit("\u0600{x}")}));
  EXPECT_EQ(VariableTemplate("\u00e9{x}\u00e9").segments(),
            (Segments{lit("\u00e9"), var("x"), lit("\u00e9")}));
}

TEST(VariableTemplateTest, FillsOnlyWithNonEmptyValues) {
  const VariableTemplate letter("Dear {name},{ greeting }");
  EXPECT_EQ(letter.filled({{"name", std::nullopt}}), "Dear {name},{greeting}");
  EXPECT_EQ(letter.filled({{"name", ""}}), "Dear {name},{greeting}");
  EXPECT_EQ(letter.filled({{"name", " "}}), "Dear  ,{greeting}");
  // Values go in unchanged, braces included, and keys match exactly.
  EXPECT_EQ(letter.filled({{"name", "{x}"}, {"greeting", "Hi"}}), "Dear {x},Hi");
  EXPECT_EQ(letter.filled({{"Name", "Ada"}, {" greeting ", "Hi"}}), "Dear {name},{greeting}");
}

TEST(VariableTemplateTest, SurvivesHostileInput) {
  std::string opens(100'000, '{');
  EXPECT_EQ(VariableTemplate(opens).segments(), (Segments{lit(opens)}));
  std::string mixed;
  for (int i = 0; i < 20'000; ++i) mixed += "\\{\xff}\u0301{ a}x\\";
  const VariableTemplate value(mixed);
  ASSERT_FALSE(value.segments().empty());
  for (std::size_t i = 1; i < value.segments().size(); ++i) {
    EXPECT_FALSE(!value.segments()[i - 1].isVariable() && !value.segments()[i].isVariable());
  }
  // Malformed bytes are kept as they are, in names too.
  EXPECT_EQ(VariableTemplate(std::string("{\xc3}", 3)).segments(), (Segments{var("\xc3")}));
}

std::string words(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " w" : "w") + std::to_string(i);
  return text;
}

TEST(SnippetMetricsTest, CountsRunsBetweenWhitespace) {
  using SnippetMetrics::wordCount;
  EXPECT_EQ(wordCount("one\ntwo\tthree  four"), 4u);
  EXPECT_EQ(wordCount("\r\n\r\n"), 0u);
  EXPECT_EQ(wordCount("a\r\nb"), 2u);
  // No-break, ideographic and line-separator spaces are whitespace too.
  EXPECT_EQ(wordCount("caf\u00e9\u00a0cr\u00e8me\u3000th\u00e9\u2028x"), 4u);
  // A mark on a space joins it: the character is still whitespace, so the mark is no word.
  EXPECT_EQ(wordCount("a \u0301 b"), 2u);
  // A prepended mark takes the space into its own character, which is not whitespace.
  EXPECT_EQ(wordCount("\u0600 x"), 1u);
  // Zero-width space is not whitespace.
  EXPECT_EQ(wordCount("a\u200bb"), 1u);
  // Malformed bytes count as characters of a word, never as separators.
  EXPECT_EQ(wordCount("a\xff\xfe b\xc3"), 2u);
}

TEST(SnippetMetricsTest, LabelsOnlyLongSnippets) {
  using SnippetMetrics::lengthLabel;
  EXPECT_EQ(lengthLabel(words(12)), std::nullopt);
  EXPECT_EQ(lengthLabel(words(13)), "13 words");
  EXPECT_EQ(lengthLabel(""), std::nullopt);
}

}  // namespace
}  // namespace kelvo
