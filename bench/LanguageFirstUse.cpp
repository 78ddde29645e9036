// A fresh process's first lemma and first neighbour look-up, run by bench_ProcessStartBench
// once per pass. It prints how long each took inside the process and what the process's
// resident memory grew by across both: anonymous pages (its own) and file pages (the page
// cache, shared with every other process that maps the same files).
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/language/LemmaTagger.hpp"
#include "platform/language/WordEmbedding.hpp"

namespace {

struct Resident {
  long anonymousKB = 0;
  long fileKB = 0;
};

Resident resident() {
  std::ifstream status("/proc/self/status");
  Resident found;
  std::string name;
  long value = 0;
  std::string unit;
  while (status >> name) {
    if (name == "RssAnon:" && status >> value >> unit) found.anonymousKB = value;
    if (name == "RssFile:" && status >> value >> unit) found.fileKB = value;
  }
  return found;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  using namespace kelvo::language;
  const Resident before = resident();
  const auto start = std::chrono::steady_clock::now();
  const auto tagger = LemmaTagger::standard();
  const bool lemma = tagger != nullptr && tagger->lemma("invoices") == "invoice";
  const double lemmaMs = millisecondsSince(start);
  const auto next = std::chrono::steady_clock::now();
  const auto english = WordEmbedding::forLanguage("en");
  const bool neighbour = english != nullptr && !english->neighbours("invoice", 12).empty();
  const double neighbourMs = millisecondsSince(next);
  const Resident after = resident();
  std::printf("lemma_ms=%.3f neighbour_ms=%.3f anon_kB=%ld file_kB=%ld\n", lemmaMs, neighbourMs,
              after.anonymousKB - before.anonymousKB, after.fileKB - before.fileKB);
  return lemma && neighbour ? 0 : 1;
}
