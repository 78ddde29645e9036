#include "core/remote/Security.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Hex.hpp"
#include "tests/remote/RemoteTestSupport.hpp"

namespace kelvo::Remote {
namespace {

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

TEST(SecurityTest, ProofsAndTheirCheck) {
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
}

TEST(SecurityTest, SessionsSealAndOpen) {
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

}  // namespace
}  // namespace kelvo::Remote
