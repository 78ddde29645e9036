// The usage examples at the top of the remote layer's headers, run as written.

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/remote/ByteFramer.hpp"
#include "core/remote/FrameBuffer.hpp"
#include "core/remote/Framer.hpp"
#include "core/remote/Message.hpp"
#include "core/remote/PairedDevice.hpp"
#include "core/remote/PairingAttemptLimiter.hpp"
#include "core/remote/PairingCode.hpp"
#include "core/remote/Remote.hpp"
#include "core/remote/Security.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/DecodingError.hpp"

namespace kelvo {
namespace {

TEST(Remote, APIExamples) {
  const Bytes frame = Remote::Framer::encode(Remote::Message::ping());  // written to the stream
  Remote::Framer receiving;  // one per connection, fed whatever arrives
  const auto early = receiving.append(std::span(frame).first(3));       // not a whole frame yet
  const auto messages = receiving.append(std::span(frame).subspan(3));  // the ping

  EXPECT_TRUE(early.empty());
  EXPECT_EQ(messages, std::vector<Remote::Message>{Remote::Message::ping()});
  EXPECT_EQ(receiving.pendingByteCount(), 0u);
}

TEST(Framer, APIExamples) {
  Bytes chunk = Remote::Framer::encode(Remote::Message::ping());
  const Bytes pong = Remote::Framer::encode(Remote::Message::pong());
  chunk.insert(chunk.end(), pong.begin(), pong.end());  // two frames arrive together
  Remote::Framer receiving;
  const std::vector<Remote::Message> messages = receiving.append(chunk);  // ping, pong

  EXPECT_EQ(messages,
            (std::vector<Remote::Message>{Remote::Message::ping(), Remote::Message::pong()}));
  const Bytes notAMessage = Remote::FrameBuffer::frame(toBytes("{}"));
  try {
    receiving.append(notAMessage);
    ADD_FAILURE() << "a frame without a message was read";
  } catch (const Remote::Framer::FramingError& error) {
    EXPECT_EQ(error.kind(), Remote::Framer::FramingError::Kind::malformed);
  }
}

TEST(ByteFramer, APIExamples) {
  const Bytes frame = Remote::ByteFramer::encode(toBytes("sealed box"), 1 << 20);  // 14 bytes
  Remote::ByteFramer receiving(1 << 20);                        // the largest payload it takes
  const std::vector<Bytes> payloads = receiving.append(frame);  // "sealed box"

  EXPECT_EQ(frame.size(), 14u);
  ASSERT_EQ(payloads.size(), 1u);
  EXPECT_EQ(toString(payloads[0]), "sealed box");
  Remote::ByteFramer small(8);
  EXPECT_THROW(small.append(frame), Remote::ByteFramer::FramingError);
}

TEST(FrameBuffer, APIExamples) {
  Remote::FrameBuffer buffer;
  buffer.append(Remote::FrameBuffer::frame(toBytes("one")));  // what arrived
  std::vector<Bytes> payloads;                                // "one"
  auto next = buffer.next(1024);                              // at most 1024 bytes a frame
  while (next.state == Remote::FrameBuffer::State::complete) {
    payloads.push_back(buffer.take(next));
    next = buffer.next(1024);
  }

  EXPECT_EQ(payloads, std::vector<Bytes>{toBytes("one")});
  EXPECT_EQ(next.state, Remote::FrameBuffer::State::incomplete);
}

TEST(Message, APIExamples) {
  const Remote::Message asked = Remote::Message::command({Remote::Command::Library{40}});
  const std::string json = asked.encoded();  // {"command":{"_0":{"library":{"offset":40}}}}
  const Remote::Message read = Remote::Message::decoded(json);  // DecodingError when not one

  EXPECT_EQ(json, R"({"command":{"_0":{"library":{"offset":40}}}})");
  EXPECT_EQ(read, asked);
  EXPECT_THROW(Remote::Message::decoded(R"({"ping":{},"pong":{}})"), DecodingError);
}

TEST(PairedDevice, APIExamples) {
  const std::string token = Remote::PairedDevice::newToken();  // 64 hexadecimal digits
  const Remote::PairedDevice phone{
      UUID::random(), "Ann's iPhone", Remote::DeviceKind::iPhone, Date(0), {}, token};
  const std::string stored = phone.encoded();  // kept by the host application
  const bool resumes = Remote::PairedDevice::decoded(stored).tokenMatches(token);  // true

  EXPECT_EQ(token.size(), 64u);
  EXPECT_TRUE(resumes);
  EXPECT_FALSE(phone.tokenMatches(Remote::PairedDevice::newToken()));
}

TEST(PairingAttemptLimiter, APIExamples) {
  const Date now(700'000'000);
  Remote::PairingAttemptLimiter limiter(/*maximumAttempts=*/3, /*lockoutDuration=*/300);
  for (int wrong = 0; wrong < 3; ++wrong) limiter.recordFailure(now);
  const bool locked = limiter.isLocked(now + 60);  // true: answer tooManyAttempts
  const bool open = !limiter.isLocked(now + 300);  // true: the lockout is over

  EXPECT_TRUE(locked);
  EXPECT_TRUE(open);
  EXPECT_EQ(limiter.remainingAttempts(), 3);
}

TEST(PairingCode, APIExamples) {
  const Date now(700'000'000);
  const std::optional<Remote::PairingCode> code = Remote::PairingCode::make("042195", now);
  const std::string shown = code->formatted();                                  // "042 195"
  const bool accepted = !code->isExpired(now + 60) && code->matches("042195");  // true
  const bool late = code->isExpired(now + 301);  // true: five minutes have passed
  const Remote::PairingCode fresh = Remote::PairingCode::random(now);  // six random digits

  EXPECT_EQ(shown, "042 195");
  EXPECT_TRUE(accepted);
  EXPECT_TRUE(late);
  EXPECT_FALSE(code->matches("042 195"));
  EXPECT_EQ(fresh.digits().size(), 6u);
}

TEST(Security, APIExamples) {
  const Bytes key = Remote::PairingCode::random(Date(0)).preSharedKey();  // both sides know it
  const UUID deviceID = UUID::random();
  const Bytes challenge = Remote::Security::newChallenge();  // fresh for each authentication
  const Bytes proof = Remote::Security::proof(key, challenge, deviceID);         // the device's
  const bool valid = Remote::Security::verify(proof, key, challenge, deviceID);  // the host's
  const Remote::Security::Session session(key, challenge);
  Remote::Security::ReplayGuard guard;                      // one per connection
  const Bytes box = guard.seal(session, toBytes("frame"));  // 28 bytes longer

  EXPECT_TRUE(valid);
  EXPECT_FALSE(Remote::Security::verify(proof, key, Remote::Security::newChallenge(), deviceID));
  EXPECT_EQ(box.size(), 5u + 28u);
  Remote::Security::ReplayGuard peer;
  EXPECT_EQ(peer.open(session, box), toBytes("frame"));
  EXPECT_EQ(peer.open(session, box), std::nullopt);   // played again
  EXPECT_EQ(guard.open(session, box), std::nullopt);  // reflected back
}

}  // namespace
}  // namespace kelvo
