#include "core/remote/Framer.hpp"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include "core/remote/ByteFramer.hpp"
#include "tests/remote/RemoteTestSupport.hpp"

namespace kelvo::Remote {
namespace {

Bytes header(std::uint32_t length) {
  return {static_cast<std::uint8_t>(length >> 24), static_cast<std::uint8_t>(length >> 16),
          static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
}

Bytes joined(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes rawFrame(std::string_view json) {
  return joined({header(static_cast<std::uint32_t>(json.size())), toBytes(json)});
}

/// The error `call` throws; a failure when it throws none.
template <class Error, class Call>
Error thrown(Call call) {
  try {
    call();
  } catch (const Error& error) {
    return error;
  }
  ADD_FAILURE() << "nothing thrown";
  return Error::frameTooLarge(-1);
}

std::vector<Message> conversation() {
  return {Message::hello(testing::iPad()),
          Message::pair("123456", testing::iPad()),
          Message::command({Command::KeepFile{"a/b.txt", {0, 1, 2, 255}}}),
          Message::result(CommandResult::ok("Done")),
          Message::ping(),
          Message::pong()};
}

TEST(FramerTest, FramesAreExactAndSurviveAnyCut) {
  const Bytes done = Framer::encode(Message::result(CommandResult::ok("Done")));
  EXPECT_EQ(done, rawFrame(R"({"result":{"_0":{"ok":{"_0":"Done"}}}})"));
  EXPECT_EQ(done[3], 0x26);

  Bytes stream;
  for (const Message& message : conversation()) {
    const Bytes frame = Framer::encode(message);
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  const std::span<const std::uint8_t> all(stream);
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    Framer framer;
    auto messages = framer.append(all.first(cut));
    const auto rest = framer.append(all.subspan(cut));
    messages.insert(messages.end(), rest.begin(), rest.end());
    ASSERT_EQ(messages, conversation()) << "cut at " << cut;
    EXPECT_EQ(framer.pendingByteCount(), 0u);
  }
}

TEST(FramerTest, TricklingPayloadsAndLimits) {
  ByteFramer framer(5);
  const Bytes frame = ByteFramer::encode(toBytes("hello"), 5);
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
    EXPECT_TRUE(framer.append(std::span(frame).subspan(i, 1)).empty());
    EXPECT_EQ(framer.pendingByteCount(), i + 1);
  }
  EXPECT_EQ(framer.append(std::span(frame).last(1)), std::vector<Bytes>{toBytes("hello")});
  // A frame and a half: one payload, the half pending.
  const Bytes more = joined({frame, Bytes(frame.begin(), frame.begin() + 6)});
  EXPECT_EQ(framer.append(more).size(), 1u);
  EXPECT_EQ(framer.pendingByteCount(), 6u);

  ByteFramer empty(0);
  EXPECT_EQ(empty.append(ByteFramer::encode({}, 0)), std::vector<Bytes>{Bytes{}});
  EXPECT_THROW(ByteFramer::encode(toBytes("x"), 0), ByteFramer::FramingError);
  EXPECT_EQ(thrown<ByteFramer::FramingError>([] { ByteFramer::encode({}, -1); }),
            ByteFramer::FramingError::frameTooLarge(0));
  ByteFramer refusing(-1);
  EXPECT_THROW(refusing.append(header(0)), ByteFramer::FramingError);
  EXPECT_EQ(refusing.pendingByteCount(), 0u);
}

TEST(FramerTest, AnOversizedHeaderKeepsWhatCameBefore) {
  ByteFramer framer(3);
  const Bytes chunk = joined({header(1), {7}, header(0), header(4), {1, 2}});
  const auto tooLarge = thrown<ByteFramer::FramingError>([&] { framer.append(chunk); });
  EXPECT_EQ(tooLarge.byteCount(), 4);
  EXPECT_EQ(tooLarge.completedBefore(), (std::vector<Bytes>{{7}, {}}));
  EXPECT_EQ(framer.pendingByteCount(), 0u);

  Framer messages;
  const Bytes big = joined({Framer::encode(Message::ping()), header(0x101'0001), {1}});
  const auto error = thrown<Framer::FramingError>([&] { messages.append(big); });
  EXPECT_EQ(error, Framer::FramingError::frameTooLarge(0x101'0001));
  EXPECT_EQ(error.completedBefore(), std::vector<Message>{Message::ping()});
  EXPECT_EQ(messages.pendingByteCount(), 0u);
}

TEST(FramerTest, AMalformedFrameIsConsumedAndTheRestKept) {
  Framer framer;
  const Bytes chunk = joined({Framer::encode(Message::ping()), rawFrame("{\"ping\":null}"),
                              header(0), Framer::encode(Message::pong())});
  const auto error = thrown<Framer::FramingError>([&] { framer.append(chunk); });
  EXPECT_EQ(error.kind(), Framer::FramingError::Kind::malformed);
  EXPECT_EQ(error.completedBefore(), std::vector<Message>{Message::ping()});
  // The empty frame is no message either; the pong after it still arrives.
  EXPECT_THROW(framer.append({}), Framer::FramingError);
  EXPECT_EQ(framer.append({}), std::vector<Message>{Message::pong()});
}

TEST(FramerTest, LengthsTheHeaderCannotHoldAreRefused) {
  constexpr std::size_t length = std::size_t{1} << 32;
  void* reserved =
      mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(reserved, MAP_FAILED);
  const std::span<const std::uint8_t> view(static_cast<const std::uint8_t*>(reserved), length);
  EXPECT_EQ(thrown<ByteFramer::FramingError>([&] {
              ByteFramer::encode(view, std::int64_t{1} << 40);
            }).byteCount(),
            std::int64_t{1} << 32);
  munmap(reserved, length);

  const std::string text(static_cast<std::size_t>(Framer::maximumFrameByteCount), 'a');
  const Message tooLong = Message::command({Command::KeepText{text}});
  EXPECT_EQ(thrown<Framer::FramingError>([&] { Framer::encode(tooLong); }).byteCount(),
            static_cast<std::int64_t>(tooLong.encoded().size()));
}

}  // namespace
}  // namespace kelvo::Remote
