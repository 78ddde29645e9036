// The remote-control framer: many small frames in one chunk, and an 8 MiB keepFile against the
// least any decoder or encoder does (nlohmann and the foundation's Base64, side by side). What
// frames cost in memory is bench/RemoteBoundsBench.cpp.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <random>

#include "core/remote/Framer.hpp"
#include "core/remote/Remote.hpp"
#include "platform/foundation/Base64.hpp"

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

}  // namespace
