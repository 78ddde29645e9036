#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <future>
#include <random>

#include "core/remote/Framer.hpp"
#include "core/remote/Remote.hpp"
#include "tests/remote/RemoteTestSupport.hpp"

namespace kelvo::Remote {
namespace {

using testing::iPad;

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

TEST(RemoteConversationTest, BothSidesReceiveExactlyWhatTheOtherSent) {
  int sockets[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sockets), 0);
  const timeval timeout{30, 0};
  for (int socket : sockets) {
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
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

}  // namespace
}  // namespace kelvo::Remote
