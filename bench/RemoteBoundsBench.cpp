// What one remote-control connection can make the host hold: the peak heap of receiving one
// frame, real and hostile, at 1 MiB and at the ceiling (fed in 64 KiB reads, the framer's copy
// counting), the heap an idle connection keeps after a header, and a replay guard's heap over a
// million messages.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>

#include "core/remote/AuthRecords.hpp"
#include "core/remote/ByteFramer.hpp"
#include "core/remote/Framer.hpp"
#include "core/remote/Security.hpp"

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

void noteAllocated(void* pointer) {
  const std::size_t now = liveBytes += malloc_usable_size(pointer);
  std::size_t peak = peakBytes.load();
  while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
  }
}

}  // namespace

void* operator new(std::size_t size) {
  void* pointer = std::malloc(size ? size : 1);
  if (!pointer) throw std::bad_alloc();
  noteAllocated(pointer);
  return pointer;
}
void operator delete(void* pointer) noexcept {
  if (!pointer) return;
  liveBytes -= malloc_usable_size(pointer);
  std::free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

namespace {

using namespace kelvo;
using namespace kelvo::Remote;

constexpr std::int64_t oneMiB = 1 << 20;
constexpr std::int64_t ceiling = Framer::maximumFrameByteCount;
constexpr std::size_t readSize = 64 * 1024;

const std::string device =
    R"({"id":"6F1C2B9E-0A4D-4E8B-9C3F-2D7A1B5E8F40","name":"Pocket","kind":"iPhone","version":2})";

// `open`, then `row` repeated with commas while the text stays within `size`, then `close`.
std::string rows(std::string_view open, std::string_view row, std::string_view close,
                 std::size_t size) {
  std::string json(open);
  json.reserve(size);
  while (json.size() + row.size() + 1 + close.size() <= size) {
    json += row;
    json += ',';
  }
  if (json.back() == ',') json.pop_back();
  json += close;
  return json;
}

// `open`, `fill` repeated to make the text `size` long, then `close`.
std::string filled(std::string_view open, char fill, std::string_view close, std::size_t size) {
  std::string json(open);
  json.resize(size - close.size(), fill);
  json += close;
  return json;
}

std::string realPage(std::size_t size) {
  return rows(R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)",
              R"({"id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D","title":"Quarterly invoice",)"
              R"("type":"text","text":"Pay by Friday","shelfID":"5A4B3C2D-1E0F-4A9B-8C7D-)"
              R"(6E5F4A3B2C1D","isReadOnly":false})",
              "]}}}}}", size);
}

// The densest page a host writes: rows with empty titles and texts and no shelf.
std::string densestPage(std::size_t size) {
  return rows(R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)",
              R"({"id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D","title":"","type":"fact",)"
              R"("text":"","isReadOnly":true})",
              "]}}}}}", size);
}

std::string nested(std::size_t size) {
  const std::size_t depth = (size - 20) / 2;
  return R"({"ping":{},"junk":)" + std::string(depth, '[') + std::string(depth, ']') + "}";
}

std::string padded(std::size_t size) { return filled(R"({"ping":{})", ' ', "}", size); }

std::string longStringKnown(std::size_t size) {
  return filled(R"({"command":{"_0":{"keepText":{"_0":")", 'a', R"("}}}})", size);
}

std::string longStringUnknown(std::size_t size) {
  return filled(R"({"ping":{},"note":")", 'a', R"("})", size);
}

std::string longNumber(std::size_t size) {
  return filled(R"({"command":{"_0":{"library":{"offset":1)", '0', "}}}}", size);
}

std::string smallObjectsKnown(std::size_t size) {
  return rows(R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)", "{}", "]}}}}}", size);
}

std::string oneMemberRows(std::size_t size) {
  return rows(R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)", R"({"_0":{}})",
              "]}}}}}", size);
}

// Dense rows, or bare numbers, after a long string under an unknown member: as dense as the
// reader lets through, the most a frame can make it keep.
std::string denseAfterPadding(std::size_t size) {
  const std::string open = R"({"result":{"_0":{"library":{"_0":{"shelves":[],"note":")" +
                           std::string(size * 6 / 10, 'a') + R"(","cards":[)";
  return rows(open, R"({"_0":{}})", "]}}}}}", size);
}

std::string zerosAfterPadding(std::size_t size) {
  const std::string open = R"({"result":{"_0":{"library":{"_0":{"shelves":[],"note":")" +
                           std::string(size * 7 / 10, 'a') + R"(","cards":[)";
  return rows(open, "0", "]}}}}}", size);
}

std::string authEmptyArrays(std::size_t size) {
  return rows(R"({"device":)" + device + R"(,"mode":"pair","proof":"AAAA","extra":[)", "[]", "]}",
              size);
}

// Where the answer keeps its token: refused as too dense.
std::string authTokenEmptyArrays(std::size_t size) {
  return rows(R"({"accepted":true,"token":[)", "[]", "]}", size);
}

Bytes frameOf(const std::string& json) {
  Bytes frame(json.size() + 4);
  for (int i = 0; i < 4; ++i) frame[i] = static_cast<std::uint8_t>(json.size() >> (24 - 8 * i));
  std::copy(json.begin(), json.end(), frame.begin() + 4);
  return frame;
}

void receiveMessages(const Bytes& frame) {
  Framer framer;
  for (std::size_t at = 0; at < frame.size(); at += readSize) {
    const std::size_t count = std::min(readSize, frame.size() - at);
    try {
      benchmark::DoNotOptimize(framer.append(std::span(frame).subspan(at, count)));
    } catch (const Framer::FramingError&) {
      return;
    }
  }
}

// As a host reads an authentication record: a payload framer, then the record.
template <class Record>
void receiveAuthRecord(const Bytes& frame) {
  ByteFramer framer(ceiling);
  for (std::size_t at = 0; at < frame.size(); at += readSize) {
    const std::size_t count = std::min(readSize, frame.size() - at);
    for (const Bytes& payload : framer.append(std::span(frame).subspan(at, count))) {
      try {
        benchmark::DoNotOptimize(Record::decoded(
            std::string_view(reinterpret_cast<const char*>(payload.data()), payload.size())));
      } catch (const DecodingError&) {
      }
    }
  }
}

// Peak heap above what was live before, per byte of the frame; the time is the whole receipt.
template <class Receive>
void peakOfReceiving(benchmark::State& state, std::string (*shape)(std::size_t), Receive receive) {
  const Bytes frame = frameOf(shape(static_cast<std::size_t>(state.range(0))));
  double ratio = 0;
  for (auto _ : state) {
    const std::size_t before = liveBytes.load();
    peakBytes = before;
    receive(frame);
    ratio = static_cast<double>(peakBytes.load() - before) / static_cast<double>(frame.size());
  }
  state.counters["peakPerFrameByte"] = ratio;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}

void BM_PeakMessage(benchmark::State& state, std::string (*shape)(std::size_t)) {
  peakOfReceiving(state, shape, receiveMessages);
}

void BM_PeakAuthRequest(benchmark::State& state, std::string (*shape)(std::size_t)) {
  peakOfReceiving(state, shape, receiveAuthRecord<AuthRequest>);
}

void BM_PeakAuthResponse(benchmark::State& state, std::string (*shape)(std::size_t)) {
  peakOfReceiving(state, shape, receiveAuthRecord<AuthResponse>);
}

#define KELVO_PEAK(reader, shape)         \
  BENCHMARK_CAPTURE(reader, shape, shape) \
      ->Arg(oneMiB)                       \
      ->Arg(4 * oneMiB)                   \
      ->Arg(8 * oneMiB)                   \
      ->Arg(ceiling)                      \
      ->Unit(benchmark::kMillisecond)

KELVO_PEAK(BM_PeakMessage, realPage);
KELVO_PEAK(BM_PeakMessage, densestPage);
KELVO_PEAK(BM_PeakMessage, nested);
KELVO_PEAK(BM_PeakMessage, padded);
KELVO_PEAK(BM_PeakMessage, longStringKnown);
KELVO_PEAK(BM_PeakMessage, longStringUnknown);
KELVO_PEAK(BM_PeakMessage, longNumber);
KELVO_PEAK(BM_PeakMessage, smallObjectsKnown);
KELVO_PEAK(BM_PeakMessage, oneMemberRows);
KELVO_PEAK(BM_PeakMessage, denseAfterPadding);
KELVO_PEAK(BM_PeakMessage, zerosAfterPadding);
KELVO_PEAK(BM_PeakAuthRequest, authEmptyArrays);
KELVO_PEAK(BM_PeakAuthResponse, authTokenEmptyArrays);

// What a connection holds after a header announcing the ceiling, then `state.range(0)` bytes of
// the body, then silence.
void BM_IdleConnection(benchmark::State& state) {
  const Bytes frame = frameOf(longStringKnown(static_cast<std::size_t>(ceiling)));
  const auto arrived = std::span(frame).first(4 + static_cast<std::size_t>(state.range(0)));
  std::size_t held = 0;
  for (auto _ : state) {
    const std::size_t before = liveBytes.load();
    Framer framer;
    for (std::size_t at = 0; at < arrived.size(); at += readSize) {
      framer.append(arrived.subspan(at, std::min(readSize, arrived.size() - at)));
    }
    held = liveBytes.load() - before;
  }
  state.counters["heldBytes"] = static_cast<double>(held);
}
BENCHMARK(BM_IdleConnection)->Arg(0)->Arg(oneMiB)->Iterations(1);

// A million authentic boxes opened through one connection's guard, sealed by its peer; the
// session is opened again, over a new challenge, whenever the guard is exhausted.
void BM_GuardMillionMessages(benchmark::State& state) {
  const Bytes key(32, 7);
  for (auto _ : state) {
    const std::size_t before = liveBytes.load();
    peakBytes = before;
    int sessions = 0;
    {
      std::optional<Security::Session> session;
      Security::ReplayGuard guard;
      const Bytes text{'p'};
      for (int i = 0; i < 1'000'000; ++i) {
        if (!session || guard.isExhausted()) {
          session.emplace(key, Security::newChallenge());
          guard = Security::ReplayGuard();
          ++sessions;
        }
        benchmark::DoNotOptimize(guard.open(*session, session->seal(text)));
      }
    }
    state.counters["peakBytes"] = static_cast<double>(peakBytes.load() - before);
    state.counters["sessions"] = sessions;
  }
}
BENCHMARK(BM_GuardMillionMessages)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
