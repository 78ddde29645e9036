#pragma once

// Remote control: one of the user's devices (the controller) drives the library of another (the
// host) over a byte stream the host application owns. This layer holds the protocol's values and
// rules, never a connection: device records, frames, messages, commands, results, library pages,
// authentication records and refusals. Each side frames what it writes and feeds what it reads to
// its own receiving framer, in whatever pieces the stream delivers:
//
//   const Bytes frame = Remote::Framer::encode(Remote::Message::ping());  // written to the stream
//   Remote::Framer receiving;  // one per connection, fed whatever arrives
//   const auto early = receiving.append(std::span(frame).first(3));  // not a whole frame yet
//   const auto messages = receiving.append(std::span(frame).subspan(3));  // the ping

#include <cstdint>
#include <string_view>

namespace kelvo::Remote {

/// The DNS-SD service type; also a fixed label inside the pairing key derivations.
inline constexpr std::string_view serviceType = "_kelvo-rc._tcp";
/// The protocol version this system speaks; comparing versions is the host's affair.
inline constexpr std::int64_t version = 2;
/// The largest file remote control carries: 8 MiB, which fits one frame once in Base64.
inline constexpr std::int64_t maximumRemoteFileByteCount = 8 * 1024 * 1024;

}  // namespace kelvo::Remote
