// What a peer can make a host build or hold: the wire reader's strictness and bounds, framers
// facing hostile frames and an exhausted heap, and authentication records.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "core/remote/AuthRecords.hpp"
#include "core/remote/ByteFramer.hpp"
#include "core/remote/Framer.hpp"
#include "core/remote/internal/WireParser.hpp"
#include "tests/remote/RemoteTestSupport.hpp"

namespace {

// Allocations of at least this many bytes fail on this thread: an exhausted heap, on demand.
thread_local std::size_t refusedAllocation = SIZE_MAX;

void* allocate(std::size_t size) {
  if (size >= refusedAllocation) throw std::bad_alloc();
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size) noexcept {
  try {
    return allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocateOrNull(size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace kelvo::Remote {
namespace {

using Kind = DecodingError::Kind;

// While alive, no allocation of `bytes` or more succeeds on this thread.
class HeapLimit {
 public:
  explicit HeapLimit(std::size_t bytes) { refusedAllocation = bytes; }
  ~HeapLimit() { refusedAllocation = SIZE_MAX; }
  HeapLimit(const HeapLimit&) = delete;
  HeapLimit& operator=(const HeapLimit&) = delete;
};

constexpr std::array<std::string_view, 3> keys{"a", "b", "id"};

std::optional<Kind> wireFailure(std::string_view text, std::string* description = nullptr) {
  try {
    remote_internal::parseWire(text, keys);
  } catch (const DecodingError& error) {
    if (description) *description = error.description();
    return error.kind();
  }
  return std::nullopt;
}

// The failure reading a received `Record` from `json` gives, or none when it reads as `expected`.
template <class Record>
std::optional<Kind> readFailure(const std::string& json, const Record& expected) {
  try {
    EXPECT_EQ(Record::decoded(json), expected) << json.substr(0, 80);
  } catch (const DecodingError& error) {
    return error.kind();
  }
  return std::nullopt;
}

Bytes header(std::uint32_t length) {
  return {static_cast<std::uint8_t>(length >> 24), static_cast<std::uint8_t>(length >> 16),
          static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
}

TEST(WireReaderTest, AsStrictAsThePlatformReader) {
  const struct {
    std::string text;
    bool accepted;
  } cases[] = {
      {R"({"a":[1,-0,0.5,-1.5e3,1E+2,2e-2,1e-400,18446744073709551615,18446744073709551616,)"
       R"(-9223372036854775808,-9223372036854775809,-1.7976931348623157e+308]})",
       true},
      {R"({"a":"\"\\\/\b\f\n\r\t\u00e9\u20AC\ud83d\ude00\u0000x"})", true},
      {"\xEF\xBB\xBF {\"a\" : [ true , false , null ] } \r\n\t", true},
      {"{\"a\":\"caf\xC3\xA9 \xF0\x9F\x98\x80\"}", true},
      {R"({"a":1,"a":{"b":2}})", true},
      {R"({"\u0069d":"x","a":{}})", true},
      {"\"text\"", true},
      {"-12", true},
      {"", false},
      {" ", false},
      {"{", false},
      {"[1,]", false},
      {R"({"a":1,})", false},
      {R"({"a" 1})", false},
      {"{a:1}", false},
      {"[01]", false},
      {"[1.]", false},
      {"[.5]", false},
      {"[+1]", false},
      {"[-]", false},
      {"[1e]", false},
      {"[--1]", false},
      {"[tru]", false},
      {"[nul]", false},
      {"{} {}", false},
      {"[1] x", false},
      {R"(["\x"])", false},
      {R"(["\u12G4"])", false},
      {R"(["\ud800"])", false},
      {R"(["\udc00"])", false},
      {R"(["\ud800\u0041"])", false},
      {"[\"a\x01\"]", false},
      {"[\"\xC0\x80\"]", false},
      {"[\"\xED\xA0\x80\"]", false},
      {"[\"\xF5\x80\x80\x80\"]", false},
      {"[\"\xE2\x82\"]", false},
      {"[1e400]", false},
      {"[-1e400]", false},
      {"[\"open", false},
      {"\xEF\xBB", false},
  };
  for (const auto& c : cases) {
    if (c.accepted) {
      EXPECT_EQ(remote_internal::parseWire(c.text, keys), json::parse(c.text, true)) << c.text;
    } else {
      EXPECT_EQ(wireFailure(c.text), Kind::dataCorrupted) << c.text;
      EXPECT_THROW(json::parse(c.text, true), DecodingError) << c.text;
    }
  }
}

TEST(WireReaderTest, UnknownMembersAreCheckedButNeverBuilt) {
  EXPECT_EQ(remote_internal::parseWire(R"({"a":1,"note":{"c":[1,"x",{"a":2}]},"nope":null})", keys),
            json::parse(R"({"a":1})"));
  // Checked as strictly as the rest, nesting included.
  const std::string deep = std::string(511, '[') + std::string(511, ']');
  EXPECT_EQ(wireFailure(R"({"note":)" + deep + "}"), std::nullopt);
  EXPECT_EQ(wireFailure(R"({"note":[)" + deep + "]}"), Kind::dataCorrupted);
  for (const std::string text : {"{\"note\":\"\xC0\x80\"}", R"({"note":[01]})",
                                 R"({"note":"\ud800"})", R"({"note":[1,]})", R"({"note":1e400})"}) {
    EXPECT_EQ(wireFailure(text), Kind::dataCorrupted) << text;
  }
  // A long string under an unknown name, or as a name, is never built; under a known one it is.
  const std::string text(1 << 20, 'x');
  const std::string unknownValue = R"({"ping":{},"note":")" + text + "\"}";
  const std::string unknownName = R"({"ping":{},")" + text + R"(":1})";
  const std::string escapedName = R"({"ping":{},"\u0078)" + text + R"(":1})";
  const std::string known = R"({"command":{"_0":{"keepText":{"_0":")" + text + "\"}}}}";
  HeapLimit limit(64 * 1024);
  for (const std::string* hostile : {&unknownValue, &unknownName, &escapedName}) {
    EXPECT_EQ(Message::decoded(*hostile), Message::ping());
  }
  EXPECT_THROW(Message::decoded(known), std::bad_alloc);
}

TEST(WireReaderTest, NumbersAndDensityAreBounded) {
  const auto number = [](std::size_t length) {
    return R"({"note":1)" + std::string(length - 1, '0') + "}";
  };
  EXPECT_EQ(wireFailure(number(64)), std::nullopt);
  std::string description;
  EXPECT_EQ(wireFailure(number(65), &description), Kind::dataCorrupted);
  EXPECT_NE(description.find("longer than 64 characters"), std::string::npos) << description;
  {
    // Refused where it passes its bound, having built nothing.
    const std::string long1 = number(1 << 20);
    HeapLimit limit(4096);
    EXPECT_EQ(wireFailure(long1), Kind::dataCorrupted);
  }
  // What is kept is weighed as the text is read: dense values up front are refused even when
  // a long string after them would make the whole document sparse enough.
  std::string values = R"("a":[0)";
  for (int i = 0; i < 2'000; ++i) values += ",0";
  values += "]";
  const std::string padding = R"("b":")" + std::string(20'000, 'x') + "\"";
  EXPECT_EQ(wireFailure("{" + values + "," + padding + "}"), Kind::dataCorrupted);
  EXPECT_EQ(wireFailure("{" + padding + "," + values + "}"), std::nullopt);
  // The densest page a host writes is read whole.
  LibraryPage page;
  for (int i = 0; i < 5'000; ++i) {
    page.cards.push_back({UUID::random(), "", CardType::fact, "", std::nullopt, true});
  }
  const Message densest = Message::result({CommandResult::Library{page}});
  EXPECT_EQ(Message::decoded(densest.encoded()), densest);
}

TEST(AuthRecordsTest, ReadFromBytesAsMessagesAre) {
  const AuthRequest request{testing::iPad(), AuthMode::pair, {1, 2, 3}};
  const AuthResponse response{true, std::nullopt, std::string(64, 'a'), testing::iPad()};
  EXPECT_EQ(AuthRequest::decoded(testing::written(request)), request);
  EXPECT_EQ(AuthResponse::decoded(testing::written(response)), response);
  EXPECT_EQ(AuthResponse::decoded(R"({"accepted":false,"refusal":"hostBusy","x":[[]]})"),
            AuthResponse::refused(RefusalReason::hostBusy));

  std::string arrays = "[]";
  for (int i = 0; i < 300'000; ++i) arrays += ",[]";
  const std::string head = testing::written(request);
  const std::string answer = testing::written(response);
  const struct {
    std::string json;
    std::optional<Kind> kind;
  } requests[] =
      {
          // skipped, nothing built
          {head.substr(0, head.size() - 1) + R"(,"extra":[)" + arrays + "]}", std::nullopt},
          // refused as too dense, long before decoding
          {R"({"device":)" + testing::written(testing::iPad()) + R"(,"mode":"pair","proof":[)" +
               arrays + "]}",
           Kind::dataCorrupted},
          {R"({"device":{},"mode":"pair","proof":"AAAA"})", Kind::keyNotFound},
      },
    responses[] = {
        {answer.substr(0, answer.size() - 1) + R"(,"extra":[)" + arrays + "]}", std::nullopt},
        {R"({"accepted":true,"token":[)" + arrays + "]}", Kind::dataCorrupted},
        {R"({"accepted":true,"host":{"id":[)" + arrays + "]}}", Kind::dataCorrupted},
    };
  HeapLimit limit(64 * 1024);
  for (const auto& c : requests) EXPECT_EQ(readFailure(c.json, request), c.kind);
  for (const auto& c : responses) EXPECT_EQ(readFailure(c.json, response), c.kind);
}

TEST(FramerBoundsTest, MemoryFollowsTheBytesThatArrive) {
  const Bytes body(64 * 1024, 'x');
  {
    // A header alone takes nothing; its body is held as it comes, not reserved.
    HeapLimit limit(256 * 1024);
    Framer messages;
    EXPECT_TRUE(messages.append(header(Framer::maximumFrameByteCount)).empty());
    EXPECT_TRUE(messages.append(body).empty());
    ByteFramer payloads(std::int64_t{1} << 40);
    EXPECT_TRUE(payloads.append(header(0xFFFF'FFFF)).empty());
    EXPECT_TRUE(payloads.append(body).empty());
    EXPECT_EQ(payloads.pendingByteCount(), 4 + body.size());
  }
  // When the heap gives out, the framer reports the frame and drops it, ready for the next.
  ByteFramer payloads(std::int64_t{1} << 30);
  payloads.append(header(8 << 20));
  for (int i = 0; i < 16; ++i) payloads.append(body);
  ByteFramer::FramingError error = ByteFramer::FramingError::frameTooLarge(0);
  try {
    const HeapLimit limit(1 << 20);
    for (int i = 0; i < 16; ++i) payloads.append(body);
  } catch (const ByteFramer::FramingError& thrown) {
    error = thrown;
  }
  EXPECT_EQ(error, ByteFramer::FramingError::frameTooLarge(8 << 20));
  EXPECT_EQ(payloads.pendingByteCount(), 0u);
  EXPECT_EQ(payloads.append(ByteFramer::encode(Bytes{7}, 1)), std::vector<Bytes>{{7}});
}

// Feeds all of `frame` but its last byte, in two reads: the second, knowing the header, takes
// room for the whole frame.
template <class Framer>
void feedAllButTheLastByte(Framer& framer, const Bytes& frame) {
  const std::span<const std::uint8_t> all(frame);
  EXPECT_TRUE(framer.append(all.first(5)).empty());
  EXPECT_TRUE(framer.append(all.subspan(5, frame.size() - 6)).empty());
}

TEST(FramerBoundsTest, AMessageThereIsNoMemoryForIsTooLarge) {
  const Message keepText = Message::command({Command::KeepText{std::string(512 * 1024, 'x')}});
  const Bytes frame = Framer::encode(keepText);
  const Bytes last{frame.back()};
  Framer framer;
  feedAllButTheLastByte(framer, frame);
  try {
    // The frame has its room; the message read from it is what cannot be had.
    const HeapLimit limit(256 * 1024);
    framer.append(last);
    ADD_FAILURE() << "no framing error";
  } catch (const Framer::FramingError& error) {
    EXPECT_EQ(error,
              Framer::FramingError::frameTooLarge(static_cast<std::int64_t>(frame.size() - 4)));
  }
  EXPECT_EQ(framer.pendingByteCount(), 0u);
  const Bytes ping = Framer::encode(Message::ping());
  EXPECT_EQ(framer.append(ping), std::vector<Message>{Message::ping()});
  EXPECT_EQ(framer.append(frame), std::vector<Message>{keepText});

  // A payload that ends what arrived is handed over in the framer's own storage, not copied.
  ByteFramer payloads(1 << 20);
  feedAllButTheLastByte(payloads, frame);
  const HeapLimit limit(256 * 1024);
  const auto received = payloads.append(last);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_TRUE(std::equal(received[0].begin(), received[0].end(), frame.begin() + 4, frame.end()));
}

}  // namespace
}  // namespace kelvo::Remote
