#include "core/remote/Command.hpp"

#include <gtest/gtest.h>

#include "core/remote/AuthRecords.hpp"
#include "core/remote/CommandResult.hpp"
#include "core/remote/DeviceInfo.hpp"
#include "core/remote/Message.hpp"
#include "core/remote/PairedDevice.hpp"
#include "core/remote/PairingAttemptLimiter.hpp"
#include "core/remote/PairingCode.hpp"
#include "core/remote/RefusalReason.hpp"
#include "core/remote/Remote.hpp"
#include "core/remote/RemoteDisplayAvailability.hpp"
#include "core/remote/Security.hpp"
#include "platform/foundation/Hex.hpp"
#include "tests/model/Library.hpp"
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

TEST(CommandTest, WrittenFormsOptionalValuesAndResults) {
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

TEST(MessageTest, EveryCaseRoundTripsAndSingleKeyRules) {
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
  // So do long runs of containers and of white space, which nothing holds on to.
  std::string run = R"({"ping":{},"junk":[0)";
  for (int i = 0; i < 40'000; ++i) run += ",[]";
  EXPECT_EQ(Message::decoded(run + "]}"), Message::ping());
  const std::string blanks(70'000, ' ');
  EXPECT_EQ(Message::decoded(R"({"ping":{})" + blanks + "}"), Message::ping());
  // Inside a string (escaped quotes and backslashes included) blanks are text.
  EXPECT_EQ(Message::decoded(R"({"command":{"_0":{"keepText":{"_0":"\")" + blanks + R"(\\"}}}})"),
            Message::command({Command::KeepText{"\"" + blanks + "\\"}}));
  // The nesting limit holds under an unknown key too.
  EXPECT_EQ(
      messageFailure(R"({"ping":{},"junk":)" + std::string(513, '[') + std::string(513, ']') + "}"),
      Kind::dataCorrupted);
  // Tiny containers where a page keeps its rows are denser than any real message.
  std::string dense = R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)";
  for (int i = 0; i < 10'000; ++i) dense += "{},";
  dense += "{}]}}}}}";
  EXPECT_EQ(messageFailure(dense), Kind::dataCorrupted);
}

const Date t0(800'000'000);
const std::string fullWidth = "\uFF11\uFF12\uFF13\uFF14\uFF15\uFF16";
const std::string token = "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";

TEST(PairingTest, CodesAcceptSixNumberCharacters) {
  const struct {
    std::string digits;
    bool accepted;
  } cases[] = {
      {"042195", true},
      {fullWidth, true},
      {"\u0661\u0662\u0663\u0664\u0665\u0666", true},
      {"\u00BD\u00BD\u00BD\u00BD\u00BD\u00BD", true},
      {"12345", false},
      {"1234567", false},
      {"12345a", false},
      {"", false},
  };
  for (const auto& c : cases) {
    const auto code = PairingCode::make(c.digits, t0);
    EXPECT_EQ(code.has_value(), c.accepted) << c.digits;
    if (code) {
      EXPECT_TRUE(code->matches(c.digits));
    }
  }
  const auto wide = *PairingCode::make(fullWidth, t0);
  EXPECT_FALSE(wide.matches("123456"));
  EXPECT_EQ(wide.formatted(), "\uFF11\uFF12\uFF13 \uFF14\uFF15\uFF16");

  const auto code = *PairingCode::make("042195", t0);
  EXPECT_EQ(code.formatted(), "042 195");
  for (const char* candidate : {"042195 ", "", "042 195", "04219", "0421950", "042195\n"}) {
    EXPECT_FALSE(code.matches(candidate)) << candidate;
  }
  EXPECT_FALSE(code.isExpired(t0 + 299.999));
  EXPECT_FALSE(code.isExpired(t0 + 300));
  EXPECT_TRUE(code.isExpired(t0 + 300.5));
  EXPECT_FALSE(code.isExpired(t0 - 1000));
  EXPECT_NE(code, *PairingCode::make("042195", t0 + 1));
}

TEST(PairingTest, RandomCodesAndKeyDigests) {
  std::vector<std::uint64_t> values{0, ~0ull, ~0ull, ~0ull, ~0ull, ~0ull, ~0ull};
  std::size_t used = 0;
  const auto code = PairingCode::random(t0, [&] { return values.at(used++); });
  EXPECT_EQ(code.digits(), "999999");
  EXPECT_EQ(used, 7u);
  // Small values give zeros, kept as leading zeros.
  EXPECT_EQ(PairingCode::random(t0, [] { return std::uint64_t{6}; }).digits(), "000000");
  const auto drawn = PairingCode::random(t0);
  EXPECT_TRUE(PairingCode::make(drawn.digits(), t0));
  EXPECT_EQ(hexString(PairingCode::make("042195", t0)->preSharedKey()),
            "f35621a855d2a5d9fd90c499d6a9139da94caee0a0094e893ef104fef9da815c");
  EXPECT_EQ(hexString(PairingCode::make(fullWidth, t0 + 5)->preSharedKey()),
            "647fe6f5f13825adff904b1f1a5a7526fd9a2ef1d8c757807d803f9dbf6fc2e7");
  const PairedDevice device{testing::iPad().id, "Studio", DeviceKind::iPad, t0, {}, token};
  EXPECT_EQ(hexString(device.preSharedKey()),
            "01822dfed1170f17f985e59b49ee9909d9e8006cfe82dc1da0330c91c9b81ce8");
}

TEST(PairingTest, PairedDevicesTokensAndTheirRecord) {
  const std::string fresh = PairedDevice::newToken();
  EXPECT_EQ(fresh.size(), 64u);
  EXPECT_EQ(fresh.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(fresh, PairedDevice::newToken());

  PairedDevice device{testing::iPad().id, "Studio", DeviceKind::iPad, t0, {}, token};
  EXPECT_TRUE(device.tokenMatches(token));
  for (const std::string& candidate :
       {token.substr(1), token + "0", std::string(64, '0'), std::string()}) {
    EXPECT_FALSE(device.tokenMatches(candidate)) << candidate;
  }
  for (const std::string& stored : {std::string(), std::string(64, 'A'), std::string(63, 'a'),
                                    std::string(64, 'g'), token.substr(1) + " "}) {
    device.token = stored;
    EXPECT_FALSE(device.tokenMatches(stored)) << stored;
    // Nor is such a record, which this system never writes, read back for a resume to use.
    EXPECT_EQ(failure(device.encoded(), PairedDevice::decode), Kind::dataCorrupted) << stored;
  }
  device.token = token;

  EXPECT_EQ(device.encoded(),
            R"({"id":"6F1C2B9E-0A4D-4E8B-9C3F-2D7A1B5E8F40","name":"Studio","kind":"iPad",)"
            R"("pairedAt":800000000,"token":")" +
                token + "\"}");
  EXPECT_EQ(PairedDevice::decoded(device.encoded()), device);
  device.lastSeenAt = t0 + 0.5;
  EXPECT_EQ(PairedDevice::decoded(device.encoded()), device);
  std::string nulled = device.encoded();
  nulled.replace(nulled.find("800000000.5"), 11, "null");
  EXPECT_EQ(PairedDevice::decoded(nulled).lastSeenAt, std::nullopt);
  std::string wrongKind = device.encoded();
  wrongKind.replace(wrongKind.find("iPad"), 4, "IPad");
  EXPECT_THROW(PairedDevice::decoded(wrongKind), DecodingError);
}

TEST(PairingTest, LimiterLocksAfterTooManyWrongCodes) {
  PairingAttemptLimiter limiter(2, 10);
  EXPECT_FALSE(limiter.recordFailure(Date(0)));
  EXPECT_EQ(limiter.remainingAttempts(), 1);
  EXPECT_TRUE(limiter.recordFailure(Date(10)));  // 10 s old counts still
  EXPECT_TRUE(limiter.isLocked(Date(19.999)));
  EXPECT_FALSE(limiter.isLocked(Date(20)));
  EXPECT_EQ(limiter.remainingAttempts(), 2);
  // A stale failure goes with the next one.
  EXPECT_FALSE(limiter.recordFailure(Date(30)));
  EXPECT_FALSE(limiter.recordFailure(Date(40.5)));
  EXPECT_TRUE(limiter.recordFailure(Date(41)));
  limiter.recordSuccess();
  EXPECT_FALSE(limiter.isLocked(Date(42)));
  EXPECT_EQ(limiter, PairingAttemptLimiter(2, 10));

  PairingAttemptLimiter strict(0, 60);
  EXPECT_TRUE(strict.recordFailure(Date(5)));
  EXPECT_TRUE(strict.recordFailure(Date(6)));
  EXPECT_EQ(strict.remainingAttempts(), 0);

  PairingAttemptLimiter instant(2, 0);
  EXPECT_FALSE(instant.recordFailure(Date(1)));
  EXPECT_FALSE(instant.recordFailure(Date(1.001)));  // the earlier one is already too old
  EXPECT_TRUE(instant.recordFailure(Date(1.001)));   // the same instant counts
  EXPECT_FALSE(instant.isLocked(Date(1.001)));       // and the lockout ends at once
}

Bytes hex(std::string_view text) { return parseHex(text).value(); }

// The key of the code "042195", and the challenge 00 01 ... 1F.
const Bytes codeKey = hex("f35621a855d2a5d9fd90c499d6a9139da94caee0a0094e893ef104fef9da815c");
Bytes challenge() {
  Bytes bytes(32);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return bytes;
}

Bytes flipped(Bytes bytes, std::size_t bit) {
  bytes[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
  return bytes;
}

TEST(SecurityTest, ProofsAndSessions) {
  const UUID device = testing::iPad().id;
  const Bytes proof = Security::proof(codeKey, challenge(), device);
  // Computed with Python's hmac module.
  EXPECT_EQ(hexString(proof), "891ba4582ec0fd3b87710d3f41fe1cf28babac9ca0f57f041ad422c8a34bf28c");
  EXPECT_TRUE(Security::verify(proof, codeKey, challenge(), device));
  EXPECT_EQ(Security::proof({}, challenge(), device).size(), 32u);
  EXPECT_EQ(Security::proof(Bytes(1000, 7), {}, device).size(), 32u);

  for (const Bytes& wrong : {Bytes{}, Bytes(proof.begin(), proof.begin() + 16),
                             [&] {
                               Bytes longer = proof;
                               longer.push_back(0);
                               return longer;
                             }(),
                             flipped(proof, 77)}) {
    EXPECT_FALSE(Security::verify(wrong, codeKey, challenge(), device)) << wrong.size();
  }
  EXPECT_FALSE(Security::verify(proof, flipped(codeKey, 3), challenge(), device));
  EXPECT_FALSE(Security::verify(proof, codeKey, flipped(challenge(), 200), device));
  auto otherBytes = device.bytes();
  otherBytes[15] ^= 1;
  EXPECT_FALSE(Security::verify(proof, codeKey, challenge(), UUID(otherBytes)));

  const Bytes fresh = Security::newChallenge();
  EXPECT_EQ(fresh.size(), Security::challengeByteCount);
  EXPECT_NE(fresh, Security::newChallenge());
  const Security::Session session(codeKey, challenge());
  const Bytes empty = session.seal({});
  EXPECT_EQ(empty.size(), 28u);
  EXPECT_EQ(session.open(empty), Bytes{});
  // Sealed once by Python's cryptography package under the same derived key.
  EXPECT_EQ(session.open(hex("a1a2a3a4a5a6a7a8a9aaabac557ee64bdaf2b9da32752093eaf033f31f3837c9"
                             "24f3281d4edbfc")),
            toBytes(R"({"ping":{}})"));

  const Bytes box = session.seal(toBytes("keep this"));
  EXPECT_NE(box, session.seal(toBytes("keep this")));
  EXPECT_EQ(Security::Session(codeKey, challenge()).open(box), toBytes("keep this"));
  EXPECT_EQ(session.open(Bytes(box.begin(), box.begin() + 27)), std::nullopt);
  EXPECT_EQ(session.open(flipped(box, 100)), std::nullopt);
  EXPECT_EQ(Security::Session(codeKey, flipped(challenge(), 0)).open(box), std::nullopt);
  EXPECT_EQ(Security::Session(flipped(codeKey, 0), challenge()).open(box), std::nullopt);
}

TEST(SecurityTest, TheGuardRefusesReplaysAndReflections) {
  const Security::Session host(codeKey, challenge());
  const Security::Session controller(codeKey, challenge());
  Security::ReplayGuard hostGuard;
  Security::ReplayGuard controllerGuard;

  const Bytes paste = controllerGuard.seal(controller, toBytes("paste"));
  EXPECT_EQ(hostGuard.open(host, paste), toBytes("paste"));
  EXPECT_EQ(hostGuard.open(host, paste), std::nullopt);  // replayed
  EXPECT_EQ(host.open(paste), toBytes("paste"));         // a bare session cannot tell

  const Bytes answer = hostGuard.seal(host, toBytes("ok"));
  EXPECT_EQ(hostGuard.open(host, answer), std::nullopt);  // reflected back to its sealer
  EXPECT_EQ(controllerGuard.open(controller, answer), toBytes("ok"));
  // A forged box is not remembered: the real one with the same nonce still opens.
  const Bytes next = controllerGuard.seal(controller, toBytes("next"));
  EXPECT_EQ(hostGuard.open(host, flipped(next, 150)), std::nullopt);
  EXPECT_EQ(hostGuard.open(host, next), toBytes("next"));
}

TEST(SecurityTest, AGuardRemembersABoundedNumberOfMessages) {
  const Security::Session controller(codeKey, challenge());
  const Security::Session host(codeKey, challenge());
  Security::ReplayGuard guard;
  const Bytes text{'p'};
  // Each exchange leaves two nonces with the host's guard: the box it opened and its answer.
  Bytes firstBox;
  for (std::size_t i = 0; i < Security::ReplayGuard::maximumMessageCount / 2; ++i) {
    EXPECT_FALSE(guard.isExhausted());
    const Bytes box = controller.seal(text);
    if (i == 0) firstBox = box;
    ASSERT_EQ(guard.open(host, box), text) << i;
    ASSERT_EQ(controller.open(guard.seal(host, text)), text);
  }
  EXPECT_TRUE(guard.isExhausted());
  EXPECT_EQ(guard.open(host, controller.seal(text)), std::nullopt);
  EXPECT_EQ(guard.open(host, firstBox), std::nullopt);
  // Sealing goes on, so the host can still say why it ends the session.
  EXPECT_EQ(controller.open(guard.seal(host, text)), text);
  // A session over a fresh challenge starts afresh, and no earlier box opens under it.
  const Security::Session reopened(codeKey, flipped(challenge(), 0));
  Security::ReplayGuard fresh;
  EXPECT_EQ(fresh.open(reopened, firstBox), std::nullopt);
  EXPECT_EQ(fresh.open(reopened, reopened.seal(text)), text);
}

TEST(RemoteRecordsTest, ConstantsAndDeviceKinds) {
  EXPECT_FALSE(canHost(DeviceKind::iPhone));
  EXPECT_TRUE(canHost(DeviceKind::iPad) && canHost(DeviceKind::mac));
  for (const char* text : {"ipad", "MAC", "iPhone ", "", " mac"}) {
    EXPECT_FALSE(fromRawValue<DeviceKind>(text)) << text;
    const std::string json = std::string(R"({"id":"6F1C2B9E-0A4D-4E8B-9C3F-2D7A1B5E8F40",)") +
                             R"("name":"x","version":2,"kind":")" + text + "\"}";
    EXPECT_EQ(failure(json, DeviceInfo::decode), Kind::dataCorrupted) << text;
  }
}

TEST(RemoteRecordsTest, DeviceRecordsAndRefusals) {
  const std::string head = R"({"id":"6f1c2b9e-0a4d-4e8b-9c3f-2d7a1b5e8f40","name":"Studio iPad",)"
                           R"("kind":"iPad","extra":[1])";
  const DeviceInfo read = readBack<DeviceInfo>(head + R"(,"version":3.0})");
  EXPECT_EQ(read.version, 3);
  EXPECT_EQ(read.id, iPad().id);
  EXPECT_EQ(written(read), R"({"id":"6F1C2B9E-0A4D-4E8B-9C3F-2D7A1B5E8F40","name":"Studio iPad",)"
                           R"("kind":"iPad","version":3})");
  const struct {
    const char* tail;
    std::optional<Kind> kind;
  } cases[] = {
      {R"(,"version":1})", std::nullopt},  // versions are not compared here
      {R"(,"version":2.5})", Kind::dataCorrupted},
      {R"(,"version":9223372036854775808})", Kind::dataCorrupted},
      {R"(,"version":"2"})", Kind::typeMismatch},
      {R"(,"version":null})", Kind::valueNotFound},
      {R"(})", Kind::keyNotFound},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failure(head + c.tail, DeviceInfo::decode), c.kind) << c.tail;
  }
  EXPECT_EQ(failure(R"({"id":"nope","name":"a","kind":"mac","version":2})", DeviceInfo::decode),
            Kind::dataCorrupted);
  EXPECT_EQ(failure("[]", DeviceInfo::decode), Kind::typeMismatch);
  DeviceInfo composed = iPad();
  composed.name = "Caf\u00E9";
  DeviceInfo decomposed = composed;
  decomposed.name = "Cafe\u0301";
  EXPECT_EQ(composed, decomposed);
  DeviceInfo newer = composed;
  newer.version = 3;
  EXPECT_NE(composed, newer);
  EXPECT_EQ(readBack<DeviceInfo>(written(decomposed)), decomposed);
  const auto reasons = allCases<RefusalReason>();
  ASSERT_EQ(reasons.size(), 7u);
  EXPECT_EQ(message(reasons.front()), "That code doesn't match the one on the other device.");
  EXPECT_EQ(message(reasons.back()), "Remote control is switched off on the other device.");
  EXPECT_EQ(rawValue(RefusalReason::remoteControlOff), "remoteControlOff");
}

TEST(RemoteRecordsTest, AuthenticationRecords) {
  EXPECT_EQ(written(AuthResponse::refused(RefusalReason::codeExpired)),
            R"({"accepted":false,"refusal":"codeExpired"})");
  EXPECT_EQ(readBack<AuthResponse>(R"({"accepted":true,"token":null})"),
            (AuthResponse{true, {}, {}, {}}));
  const AuthResponse full{true, std::nullopt, "ab", iPad()};
  EXPECT_EQ(readBack<AuthResponse>(written(full)), full);
  EXPECT_EQ(failure(R"({"accepted":false,"refusal":"Wrongcode"})", AuthResponse::decode),
            Kind::dataCorrupted);

  const AuthRequest request{iPad(), AuthMode::resume, {0xFB, 0xFF}};
  const std::string text = written(request);
  EXPECT_NE(text.find(R"("mode":"resume","proof":"+\/8="})"), std::string::npos) << text;
  EXPECT_EQ(readBack<AuthRequest>(text), request);
  std::string pairCase = text;
  pairCase.replace(pairCase.find("resume"), 6, "Pair");
  EXPECT_EQ(failure(pairCase, AuthRequest::decode), Kind::dataCorrupted);
  std::string badProof = text;
  badProof.replace(badProof.find("+\\/8="), 5, "+/8");
  EXPECT_EQ(failure(badProof, AuthRequest::decode), Kind::dataCorrupted);
}

TEST(RemoteDisplayAvailabilityTest, WhichCardsCanBeShown) {
  kelvo::testing::Library library;
  const auto make = [&](CardType type, std::string payload) {
    auto card = library.card("Card");
    card->setType(type);
    card->setPayload(std::move(payload));
    return card;
  };
  const Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};

  auto trashed = make(CardType::text, "Fine text");
  trashed->setDeletedAt(Date(10));
  auto unavailable = make(CardType::text, "Fine text");
  unavailable->setIsPayloadAvailable(false);
  auto image = make(CardType::image, "photo.png");
  image->setPayloadData(png);
  image->setFilename("photo.png");
  auto document = make(CardType::document, "scan.pdf");
  document->setFilename("scan.pdf");

  const struct {
    const char* what;
    std::shared_ptr<Card> card;
    bool shown;
  } cases[] = {
      {"text", make(CardType::text, "Dear {name}, thanks"), false},
      {"text without braces", make(CardType::text, "Dear name, thanks"), true},
      {"blank text", make(CardType::text, " \t\n\r\n"), false},
      {"tabs and ideographic spaces", make(CardType::text, "\t\u3000\t"), false},
      {"one visible character", make(CardType::text, "  .  "), true},
      {"fact", make(CardType::fact, "ab@example.com"), true},
      {"trashed", trashed, false},
      {"payload unavailable", unavailable, false},
      {"image with bytes", image, true},
      {"image without bytes", make(CardType::image, "photo.png"), false},
      {"document without bytes", document, false},
  };
  EXPECT_FALSE(RemoteDisplayAvailability::canShow(nullptr));
  for (const auto& c : cases) {
    EXPECT_EQ(RemoteDisplayAvailability::canShow(c.card.get()), c.shown) << c.what;
  }
}

}  // namespace
}  // namespace kelvo::Remote
