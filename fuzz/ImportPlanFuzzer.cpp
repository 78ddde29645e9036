// Plans the lines of the input as snippets, some bodies already kept, then toggles rows the
// input names: the plan's invariants hold after every step.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/import/ImportPlan.hpp"
#include "core/model/Card.hpp"
#include "fuzz/FuzzInput.hpp"

namespace {

void check(const kelvo::ImportPlan& plan) {
  const auto summary = plan.summary();
  if (summary.total != summary.new_ + summary.alreadyInKelvo + summary.skipped) std::abort();
  for (const auto& row : plan.rows()) {
    if (row.included && !row.status.isNew()) std::abort();
    const auto* repeat = std::get_if<kelvo::ImportPlan::Status::DuplicateInFile>(&row.status.value);
    if (repeat &&
        (repeat->of >= row.id || plan.rows()[repeat->of].contentHash != row.contentHash)) {
      std::abort();
    }
  }
  if (static_cast<std::int64_t>(plan.includedRows().size()) != summary.included) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  std::vector<kelvo::ImportedSnippet> snippets;
  kelvo::ImportPlan::Hashes kept;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\n') continue;
    const std::string body(text.substr(start, i - start));
    if (!body.empty() && body[0] == '!') {
      kept.emplace(kelvo::Card::contentHash(kelvo::CardType::text, body.substr(1)), kelvo::UUID());
    }
    snippets.push_back({std::nullopt, body, std::nullopt, {}, {}});
    start = i + 1;
  }
  kelvo::ImportPlan plan =
      kelvo::ImportPlan::make(snippets, kept, kelvo::ImportDestination::existing(kelvo::UUID()),
                              kelvo::ImportFormat::lines, "Fuzz", kelvo::UUID());
  check(plan);
  for (std::size_t i = 0; i < size && i < 64; ++i) {
    plan.setIncluded(data[i] % 2 == 0, static_cast<std::int64_t>(data[i] % 16) - 2);
    check(plan);
  }
  return 0;
}
