#include <gtest/gtest.h>

#include "core/remote/AuthRecords.hpp"
#include "core/remote/DeviceInfo.hpp"
#include "core/remote/RefusalReason.hpp"
#include "core/remote/Remote.hpp"
#include "core/remote/RemoteDisplayAvailability.hpp"
#include "tests/model/Library.hpp"
#include "tests/remote/RemoteTestSupport.hpp"

namespace kelvo::Remote {
namespace {

using testing::failure;
using testing::iPad;
using testing::readBack;
using testing::written;
using Kind = DecodingError::Kind;

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

TEST(RemoteRecordsTest, DeviceRecordsReadStrictly) {
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
}

TEST(RemoteRecordsTest, DeviceEqualityIsCanonicalAndCountsTheVersion) {
  DeviceInfo composed = iPad();
  composed.name = "Caf\u00E9";
  DeviceInfo decomposed = composed;
  decomposed.name = "Cafe\u0301";
  EXPECT_EQ(composed, decomposed);
  DeviceInfo newer = composed;
  newer.version = 3;
  EXPECT_NE(composed, newer);
  EXPECT_EQ(readBack<DeviceInfo>(written(decomposed)), decomposed);
}

TEST(RemoteRecordsTest, RefusalsAndTheirSentences) {
  const char* sentences[] = {
      "That code doesn't match the one on the other device.",
      "That code has expired. Ask the other device for a new one.",
      "Too many wrong codes. The other device has stopped accepting them for a minute.",
      "This device isn't paired any more. Pair it again to carry on.",
      "One of these devices is running an older Kelvo. Update both and try again.",
      "The other device is already being controlled.",
      "Remote control is switched off on the other device.",
  };
  const auto reasons = allCases<RefusalReason>();
  ASSERT_EQ(reasons.size(), 7u);
  for (std::size_t i = 0; i < reasons.size(); ++i) EXPECT_EQ(message(reasons[i]), sentences[i]);
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
