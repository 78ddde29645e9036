#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <future>
#include <random>

#include <atomic>
#include <deque>
#include <nlohmann/json.hpp>

#include <sys/mman.h>
#include "core/remote/AuthRecords.hpp"
#include "core/remote/ByteFramer.hpp"
#include "core/remote/Framer.hpp"
#include "core/remote/PairedDevice.hpp"
#include "core/remote/PairingAttemptLimiter.hpp"
#include "core/remote/PairingCode.hpp"
#include "core/remote/Remote.hpp"
#include "core/remote/Security.hpp"
#include "tests/remote/RemoteTestSupport.hpp"

namespace kelvo::Remote {
namespace {

using testing::iPad;
using testing::written;

// Writes every message's frame in random slices of 1 byte to 64 KiB.
void send(int socket, const std::vector<Message>& messages, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> slice(1, 64 * 1024);
  for (const Message& message : messages) {
    const Bytes frame = Framer::encode(message);
    for (std::size_t at = 0; at < frame.size();) {
      const std::size_t count = std::min(slice(random), frame.size() - at);
      const ssize_t written = ::write(socket, frame.data() + at, count);
      if (written <= 0) return;
      at += static_cast<std::size_t>(written);
    }
  }
}

std::vector<Message> receive(int socket, std::size_t count) {
  Framer framer;
  std::vector<Message> received;
  std::uint8_t chunk[64 * 1024];
  while (received.size() < count) {
    const ssize_t read = ::read(socket, chunk, sizeof chunk);
    if (read <= 0) break;
    for (Message& message : framer.append(std::span(chunk, static_cast<std::size_t>(read)))) {
      received.push_back(std::move(message));
    }
  }
  return received;
}

LibraryPage pageOf(std::size_t count) {
  LibraryPage page;
  const UUID shelf = UUID::random();
  page.shelves.push_back({shelf, "Work"});
  for (std::size_t i = 0; i < count; ++i) {
    page.cards.push_back({UUID::random(), "Card " + std::to_string(i), CardType::text,
                          "Text of card " + std::to_string(i) + " \u2014 with a/slash",
                          i % 2 ? std::optional(shelf) : std::nullopt, i % 7 == 0});
  }
  page.nextOffset = 500;
  return page;
}

void connect(int (&sockets)[2]) {
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
  const timeval timeout{30, 0};
  for (int socket : sockets) {
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
}

TEST(RemoteConversationTest, BothSidesReceiveExactlyWhatTheOtherSent) {
  int sockets[2];
  connect(sockets);
  DeviceInfo phone{UUID::random(), "Pocket", DeviceKind::iPhone, version};
  Bytes file(static_cast<std::size_t>(maximumRemoteFileByteCount));
  std::mt19937 random(7);
  for (auto& byte : file) byte = static_cast<std::uint8_t>(random());

  const std::vector<Message> fromController{
      Message::hello(phone), Message::pair("042195", phone),
      Message::command({Command::Library{0}}),
      Message::command({Command::KeepFile{"photo.heic", file}}), Message::ping()};
  const std::vector<Message> fromHost{
      Message::hello(iPad()), Message::paired(std::string(64, 'a'), iPad()),
      Message::result({CommandResult::Library{pageOf(500)}}),
      Message::result(CommandResult::ok("Kept photo.heic")), Message::pong()};

  auto controllerSends = std::async(std::launch::async, send, sockets[0], fromController, 1u);
  auto hostSends = std::async(std::launch::async, send, sockets[1], fromHost, 2u);
  auto hostReceives = std::async(std::launch::async, receive, sockets[1], fromController.size());
  const std::vector<Message> atController = receive(sockets[0], fromHost.size());
  controllerSends.get();
  hostSends.get();
  const std::vector<Message> atHost = hostReceives.get();
  ::close(sockets[0]);
  ::close(sockets[1]);
  EXPECT_TRUE(atController == fromHost);
  EXPECT_TRUE(atHost == fromController);
}

// One end of a connection carrying opaque payloads.
class Peer {
 public:
  explicit Peer(int socket) : socket_(socket) {}

  void send(std::span<const std::uint8_t> payload) {
    const Bytes frame = ByteFramer::encode(payload, limit);
    ASSERT_EQ(::write(socket_, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
  }
  void send(const std::string& text) { send(asBytes(text)); }
  /// The next payload, or none once the other end has closed.
  std::optional<Bytes> receive() {
    std::uint8_t chunk[4096];
    while (inbox_.empty()) {
      const ssize_t read = ::read(socket_, chunk, sizeof chunk);
      if (read <= 0) return std::nullopt;
      for (Bytes& payload : framer_.append(std::span(chunk, static_cast<std::size_t>(read)))) {
        inbox_.push_back(std::move(payload));
      }
    }
    Bytes payload = std::move(inbox_.front());
    inbox_.pop_front();
    return payload;
  }

 private:
  static constexpr std::int64_t limit = 1 << 20;
  int socket_;
  ByteFramer framer_{limit};
  std::deque<Bytes> inbox_;
};

template <class Record>
Record record(const Bytes& payload) {
  return Record::decoded(toString(payload));
}

struct HostReport {
  int handled = 0;
  int dropped = 0;
};

// The host's side as a host application would run it: one limiter, asked before the code; a
// fresh challenge for every attempt; the token only inside a box; then sealed commands.
HostReport runHost(int socket, const std::atomic<double>& clock) {
  Peer peer(socket);
  const PairingCode code = *PairingCode::make("042195", Date(0));
  PairingAttemptLimiter limiter(3, 60);
  std::optional<PairedDevice> paired;
  std::optional<Security::Session> session;
  while (!session) {
    const Bytes challenge = Security::newChallenge();
    peer.send(challenge);
    const auto request = record<AuthRequest>(peer.receive().value());
    const Date now(clock.load());
    const DeviceInfo& from = request.device;
    if (request.mode == AuthMode::resume) {
      const bool known = paired && paired->id == from.id;
      if (!known || !Security::verify(request.proof, paired->preSharedKey(), challenge, from.id)) {
        peer.send(written(AuthResponse::refused(RefusalReason::notPaired)));
        continue;
      }
      peer.send(written(AuthResponse{true, {}, {}, iPad()}));
      session.emplace(paired->preSharedKey(), challenge);
    } else if (limiter.isLocked(now)) {
      peer.send(written(AuthResponse::refused(RefusalReason::tooManyAttempts)));
    } else if (!Security::verify(request.proof, code.preSharedKey(), challenge, from.id)) {
      limiter.recordFailure(now);
      peer.send(written(AuthResponse::refused(RefusalReason::wrongCode)));
    } else {
      limiter.recordSuccess();
      paired = PairedDevice{from.id, from.name, from.kind, now, now, PairedDevice::newToken()};
      const Security::Session keyed(code.preSharedKey(), challenge);
      peer.send(keyed.seal(asBytes(written(AuthResponse{true, {}, paired->token, iPad()}))));
    }
  }
  HostReport report;
  Security::ReplayGuard guard;
  while (const auto box = peer.receive()) {
    const auto plaintext = guard.open(*session, *box);
    if (!plaintext) {
      ++report.dropped;
      continue;
    }
    const auto message = Message::decoded(toString(*plaintext));
    const auto& command = std::get<Message::CommandMessage>(message.value).command;
    peer.send(guard.seal(
        *session,
        asBytes(Message::result(CommandResult::ok(command.hostDescription())).encoded())));
    ++report.handled;
  }
  return report;
}

TEST(RemoteConversationTest, PairResumeAndExchangeSealedCommands) {
  int sockets[2];
  connect(sockets);
  std::atomic<double> clock{0};
  auto host = std::async(std::launch::async, runHost, sockets[1], std::cref(clock));

  Peer peer(sockets[0]);
  const DeviceInfo phone{UUID::random(), "Pocket", DeviceKind::iPhone, version};
  const Bytes rightKey = PairingCode::make("042195", Date(0))->preSharedKey();
  const Bytes wrongKey = PairingCode::make("042196", Date(0))->preSharedKey();
  // Proves `key` over the host's next challenge; gives the challenge and the answer.
  const auto attempt = [&](AuthMode mode, const Bytes& key) {
    const Bytes challenge = peer.receive().value();
    peer.send(written(AuthRequest{phone, mode, Security::proof(key, challenge, phone.id)}));
    return std::pair(challenge, peer.receive().value());
  };
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(record<AuthResponse>(attempt(AuthMode::pair, wrongKey).second).refusal,
              RefusalReason::wrongCode);
  }
  EXPECT_EQ(record<AuthResponse>(attempt(AuthMode::pair, rightKey).second).refusal,
            RefusalReason::tooManyAttempts);
  clock = 61;
  const auto [pairChallenge, sealed] = attempt(AuthMode::pair, rightKey);
  const auto accepted =
      record<AuthResponse>(Security::Session(rightKey, pairChallenge).open(sealed).value());
  ASSERT_TRUE(accepted.accepted && accepted.token);
  EXPECT_EQ(accepted.host, iPad());

  const PairedDevice remembered{UUID(), "Studio iPad",  DeviceKind::iPad, Date(61),
                                {},     *accepted.token};
  const auto [resumeChallenge, answer] = attempt(AuthMode::resume, remembered.preSharedKey());
  EXPECT_TRUE(record<AuthResponse>(answer).accepted);
  const Security::Session session(remembered.preSharedKey(), resumeChallenge);
  Security::ReplayGuard guard;
  const auto exchange = [&](const Command& command) {
    const Bytes box = guard.seal(session, asBytes(Message::command(command).encoded()));
    peer.send(box);
    const auto reply = guard.open(session, peer.receive().value());
    EXPECT_EQ(Message::decoded(toString(reply.value())),
              Message::result(CommandResult::ok(command.hostDescription())));
    return box;
  };
  const Bytes paste =
      exchange({Command::PasteIntoFrontmostApp{{UUID(), "T", CardType::text, "x"}}});
  peer.send(paste);  // played again: dropped without an answer
  exchange({Command::KeepText{"after the replay"}});
  ::shutdown(sockets[0], SHUT_WR);
  const HostReport report = host.get();
  EXPECT_EQ(report.handled, 2);
  EXPECT_EQ(report.dropped, 1);
  ::close(sockets[0]);
  ::close(sockets[1]);
}

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
