#include "core/import/ImportPlan.hpp"

#include "core/import/TitleDerivation.hpp"
#include "core/import/internal/Trim.hpp"
#include "core/model/Card.hpp"
#include "core/model/CardType.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// Whether `text` has more characters than `limit`, counting no further than needed: a text
// with no more bytes than the limit cannot have more characters.
bool longerThan(std::string_view text, std::size_t limit) {
  return text.size() > limit && text::characterCount(text) > limit;
}

// Trimmed where it stands, so that the plan's copy of a body is the only one made.
void trimInPlace(std::string& text) {
  const std::string_view kept = import_internal::trimmedView(text);
  const auto start = static_cast<std::size_t>(kept.data() - text.data());
  text.erase(start + kept.size());
  text.erase(0, start);
}

}  // namespace

ImportPlan ImportPlan::make(const std::vector<ImportedSnippet>& snippets, Hashes existingHashes,
                            ImportDestination destination, ImportFormat format,
                            std::string sourceName, const UUID& id) {
  ImportPlan plan(id, format, std::move(sourceName), std::move(destination),
                  std::move(existingHashes));
  plan.rows_.reserve(snippets.size());
  std::vector<bool> tooLong(snippets.size());
  for (std::size_t i = 0; i < snippets.size(); ++i) {
    ImportedSnippet snippet = snippets[i];
    trimInPlace(snippet.body);
    tooLong[i] = longerThan(snippet.body, CardTypeLimits::textPayloadLimit);
    std::string title = TitleDerivation::title(snippet, i);
    std::string hash = Card::contentHash(CardType::text, snippet.body);
    plan.rows_.push_back({static_cast<std::int64_t>(i), std::move(snippet), std::move(title),
                          std::move(hash), Status::new_(), false});
  }
  plan.replan(tooLong);
  return plan;
}

// One walk in row order: the first row with a content claims it, later copies repeat it.
void ImportPlan::replan(const std::vector<bool>& tooLong) {
  std::unordered_map<std::string_view, std::int64_t> seen;
  seen.reserve(rows_.size());
  for (Row& row : rows_) {
    if (row.snippet.body.empty()) {
      row.status = Status::empty();
    } else if (tooLong[static_cast<std::size_t>(row.id)]) {
      row.status = Status::tooLong();
    } else if (const auto first = seen.find(row.contentHash); first != seen.end()) {
      row.status = Status::duplicateInFile(first->second);
    } else {
      seen.emplace(row.contentHash, row.id);
      const auto kept = existingHashes_.find(row.contentHash);
      row.status =
          kept != existingHashes_.end() ? Status::alreadyInKelvo(kept->second) : Status::new_();
    }
    row.included = row.status.isNew() && !excluded_.contains(row.id);
  }
}

void ImportPlan::setIncluded(bool included, std::int64_t rowID) {
  if (rowID < 0 || rowID >= static_cast<std::int64_t>(rows_.size())) return;
  Row& row = rows_[static_cast<std::size_t>(rowID)];
  if (!row.canToggle()) return;
  if (included) {
    excluded_.erase(rowID);
  } else {
    excluded_.insert(rowID);
  }
  // Statuses depend only on the bodies and the kept hashes, neither of which a toggle changes,
  // so the walk would give every other row what it has; only this row's flag follows.
  row.included = included;
}

std::vector<ImportPlan::Row> ImportPlan::includedRows() const {
  std::vector<Row> included;
  for (const Row& row : rows_) {
    if (row.included) included.push_back(row);
  }
  return included;
}

ImportPlan::Summary ImportPlan::summary() const {
  Summary summary;
  summary.total = static_cast<std::int64_t>(rows_.size());
  for (const Row& row : rows_) {
    if (row.status.isNew()) {
      ++summary.new_;
      summary.included += row.included ? 1 : 0;
    } else if (std::holds_alternative<Status::AlreadyInKelvo>(row.status.value)) {
      ++summary.alreadyInKelvo;
    } else {
      ++summary.skipped;
    }
  }
  return summary;
}

}  // namespace kelvo
