// The remote-control framer: many small frames in one chunk, an 8 MiB keepFile against the
// least any decoder or encoder does (nlohmann and the foundation's Base64, side by side), and
// the peak heap of decoding ceiling-sized frames, real and hostile.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <nlohmann/json.hpp>
#include <random>

#include "core/remote/Framer.hpp"
#include "core/remote/Remote.hpp"
#include "platform/foundation/Base64.hpp"

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

Bytes smallFrames(int count) {
  Bytes stream;
  for (int i = 0; i < count; ++i) {
    const Bytes frame =
        Framer::encode(i % 2 ? Message::ping() : Message::command({Command::Library{i}}));
    stream.insert(stream.end(), frame.begin(), frame.end());
  }
  return stream;
}

void BM_FramerAppendSmallFrames(benchmark::State& state) {
  const Bytes stream = smallFrames(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Framer framer;
    benchmark::DoNotOptimize(framer.append(stream));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FramerAppendSmallFrames)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

Message keepFile() {
  Bytes file(static_cast<std::size_t>(maximumRemoteFileByteCount));
  std::mt19937 random(3);
  for (auto& byte : file) byte = static_cast<std::uint8_t>(random());
  return Message::command({Command::KeepFile{"photo.heic", std::move(file)}});
}

void BM_KeepFileDecode(benchmark::State& state) {
  const Bytes frame = Framer::encode(keepFile());
  for (auto _ : state) {
    Framer framer;
    std::vector<Message> messages;
    for (std::size_t at = 0; at < frame.size(); at += 64 * 1024) {
      const std::size_t count = std::min<std::size_t>(64 * 1024, frame.size() - at);
      for (Message& m : framer.append(std::span(frame).subspan(at, count))) {
        messages.push_back(std::move(m));
      }
    }
    benchmark::DoNotOptimize(messages);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_KeepFileDecode)->Unit(benchmark::kMillisecond);

void BM_KeepFileDecodePeer(benchmark::State& state) {
  const Bytes frame = Framer::encode(keepFile());
  const std::string_view payload(reinterpret_cast<const char*>(frame.data()) + 4, frame.size() - 4);
  for (auto _ : state) {
    const auto json = nlohmann::json::parse(payload);
    benchmark::DoNotOptimize(
        base64Decoded(json["command"]["_0"]["keepFile"]["data"].get_ref<const std::string&>()));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_KeepFileDecodePeer)->Unit(benchmark::kMillisecond);

void BM_KeepFileEncode(benchmark::State& state) {
  const Message message = keepFile();
  for (auto _ : state) benchmark::DoNotOptimize(Framer::encode(message));
}
BENCHMARK(BM_KeepFileEncode)->Unit(benchmark::kMillisecond);

void BM_KeepFileEncodePeer(benchmark::State& state) {
  const auto& file = std::get<Command::KeepFile>(
      std::get<Message::CommandMessage>(keepFile().value).command.value);
  for (auto _ : state) {
    nlohmann::ordered_json json;
    json["command"]["_0"]["keepFile"]["filename"] = file.filename;
    json["command"]["_0"]["keepFile"]["data"] = base64Encoded(file.data);
    benchmark::DoNotOptimize(json.dump());
  }
}
BENCHMARK(BM_KeepFileEncodePeer)->Unit(benchmark::kMillisecond);

// A frame near the ceiling: `row` repeated inside `open` ... `close`.
Bytes ceilingFrame(std::string_view open, std::string_view row, std::string_view close) {
  std::string json(open);
  const std::size_t room = static_cast<std::size_t>(Framer::maximumFrameByteCount) - close.size();
  while (json.size() + row.size() + 1 < room) {
    json += row;
    json += ',';
  }
  json.pop_back();
  json += close;
  Bytes frame(json.size() + 4);
  for (int i = 0; i < 4; ++i) frame[i] = static_cast<std::uint8_t>(json.size() >> (24 - 8 * i));
  std::copy(json.begin(), json.end(), frame.begin() + 4);
  return frame;
}

// Peak heap of decoding `frame` in one chunk, per byte of the frame (the frame's own copy in
// the framer's buffer counts).
void peakOfDecoding(benchmark::State& state, const Bytes& frame) {
  double ratio = 0;
  for (auto _ : state) {
    const std::size_t before = liveBytes.load();
    peakBytes = before;
    {
      Framer framer;
      try {
        benchmark::DoNotOptimize(framer.append(frame));
      } catch (const Framer::FramingError&) {
      }
    }
    ratio = static_cast<double>(peakBytes.load() - before) / static_cast<double>(frame.size());
  }
  state.counters["peakPerFrameByte"] = ratio;
  state.counters["frameBytes"] = static_cast<double>(frame.size());
}

void BM_PeakRealPage(benchmark::State& state) {
  const std::string row =
      R"({"id":"0B6E4C2A-1D3F-4A5B-8C7D-9E0F1A2B3C4D","title":"Quarterly invoice","type":"text",)"
      R"("text":"Pay by Friday","shelfID":"5A4B3C2D-1E0F-4A9B-8C7D-6E5F4A3B2C1D","isReadOnly":false})";
  peakOfDecoding(state, ceilingFrame(R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)",
                                     row, "]}}}}}"));
}
BENCHMARK(BM_PeakRealPage)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PeakHostileUnderUnknownKey(benchmark::State& state) {
  peakOfDecoding(state, ceilingFrame(R"({"ping":{},"junk":[)", "[]", "]}"));
}
BENCHMARK(BM_PeakHostileUnderUnknownKey)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PeakHostileInsideCards(benchmark::State& state) {
  peakOfDecoding(state, ceilingFrame(R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)",
                                     "{}", "]}}}}}"));
}
BENCHMARK(BM_PeakHostileInsideCards)->Iterations(1)->Unit(benchmark::kMillisecond);

// Rows that the value budget, not the run bound, has to stop: a key and a container each.
void BM_PeakHostileOneMemberRows(benchmark::State& state) {
  peakOfDecoding(state, ceilingFrame(R"({"result":{"_0":{"library":{"_0":{"shelves":[],"cards":[)",
                                     R"({"_0":{}})", "]}}}}}"));
}
BENCHMARK(BM_PeakHostileOneMemberRows)->Iterations(1)->Unit(benchmark::kMillisecond);

// White space between two tokens: the lexer keeps all of it until the next one.
void BM_PeakHostileWhiteSpace(benchmark::State& state) {
  std::string json = R"({"ping":{})";
  json.resize(static_cast<std::size_t>(Framer::maximumFrameByteCount) - 1, ' ');
  json += '}';
  Bytes frame(json.size() + 4);
  for (int i = 0; i < 4; ++i) frame[i] = static_cast<std::uint8_t>(json.size() >> (24 - 8 * i));
  std::copy(json.begin(), json.end(), frame.begin() + 4);
  peakOfDecoding(state, frame);
}
BENCHMARK(BM_PeakHostileWhiteSpace)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
