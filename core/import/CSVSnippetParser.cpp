#include "core/import/CSVSnippetParser.hpp"

#include <algorithm>
#include <utility>

#include "core/import/internal/CSVRows.hpp"
#include "core/import/internal/Trim.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::CSVSnippetParser {
namespace {

using text::CharacterClass;

template <std::size_t N>
bool names(const std::array<std::string_view, N>& headers, std::string_view name) {
  return std::find(headers.begin(), headers.end(), name) != headers.end();
}

// A row's non-empty field at `column`.
std::optional<std::string_view> cell(const CSVReader::Row& row, std::optional<std::size_t> column) {
  if (!column || *column >= row.size()) return std::nullopt;
  const std::string_view field = row[*column];
  if (field.empty()) return std::nullopt;
  return field;
}

std::vector<std::string> folderPath(std::optional<std::string_view> field) {
  std::vector<std::string> path;
  if (!field) return path;
  std::string_view rest = *field;
  while (true) {
    const std::size_t slash = rest.find('/');
    std::string piece = import_internal::trimmed(rest.substr(0, slash), CharacterClass::whitespace);
    if (!piece.empty()) path.push_back(std::move(piece));
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return path;
}

// Fills a snippet where it stands in the list: no temporary to move and destroy.
void fill(ImportedSnippet& snippet, const CSVReader::Row& row, const Columns& columns) {
  if (const auto title = cell(row, columns.title))
    snippet.title.emplace(import_internal::trimmedView(*title));
  snippet.body.assign(cell(row, columns.body).value_or(std::string_view()));
  if (const auto keyword = cell(row, columns.keyword)) {
    snippet.keyword.emplace(import_internal::trimmedView(*keyword));
  }
  snippet.folderPath = folderPath(cell(row, columns.folder));
}

// Lower-casing never gives fewer scalars than it is given, and no name has more than 12, so a
// cell of more than 48 bytes names nothing. A long body is not copied to find that out.
constexpr std::size_t longestName = 4 * 12;

template <class Header>
std::optional<Columns> headerColumns(const Header& header) {
  Columns found;
  bool any = false;
  for (std::size_t i = 0; i < header.size(); ++i) {
    const std::string_view cell = import_internal::trimmedView(header[i]);
    if (cell.size() > longestName) continue;
    const std::string name = text::lowercased(cell);
    auto claim = [&](std::optional<std::size_t>& column, bool named) {
      if (!named || column) return false;
      column = i;
      return any = true;
    };
    claim(found.keyword, names(keywordHeaders, name)) ||
        claim(found.title, names(titleHeaders, name)) ||
        claim(found.body, names(bodyHeaders, name)) ||
        claim(found.folder, names(folderHeaders, name));
  }
  if (!any) return std::nullopt;
  return found;
}

}  // namespace

std::optional<Columns> columns(const CSVReader::Row& header) { return headerColumns(header); }

std::optional<Columns> columns(const std::vector<std::string>& header) {
  return headerColumns(header);
}

bool hasHeader(const CSVReader::Table& table) {
  return !table.rows.empty() && columns(table.rows.front()).has_value();
}

std::optional<std::size_t> fillingBody(const Columns& columns, std::size_t columnCount) {
  for (std::size_t i = 0; i < columnCount; ++i) {
    if (columns.keyword != i && columns.title != i && columns.folder != i) return i;
  }
  return std::nullopt;
}

std::vector<ImportedSnippet> parse(const CSVReader::Table& table) {
  std::vector<ImportedSnippet> snippets;
  if (table.rows.empty()) return snippets;
  std::size_t first = 0;
  Columns chosen{.keyword = 0, .title = 2, .body = 1, .folder = std::nullopt};
  if (const std::optional<Columns> header = columns(table.rows.front())) {
    chosen = *header;
    if (!chosen.body) chosen.body = fillingBody(chosen, table.rows.front().size());
    first = 1;
  }
  snippets.reserve(table.rows.size() - first);
  for (std::size_t i = first; i < table.rows.size(); ++i) {
    fill(snippets.emplace_back(), table.rows[i], chosen);
  }
  return snippets;
}

}  // namespace kelvo::CSVSnippetParser

namespace kelvo::import_internal {

std::optional<std::vector<ImportedSnippet>> csvSnippets(
    std::string_view text, std::size_t limit, const std::function<void(ImportedSnippet&)>& each) {
  using CSVSnippetParser::Columns;
  // A text that looks too long is counted first, so that a refusal holds no snippets; past the
  // limit the reading stops in any case. Marks that join quotes can fool the estimate, so the
  // room reserved on it is never more than a snippet per 32 bytes: no more than a growing list
  // would have taken.
  const std::size_t rows = estimatedRows(text);
  if (rows > limit && csvSnippetCount(text, limit + 1) > limit) return std::nullopt;
  std::vector<ImportedSnippet> snippets;
  snippets.reserve(std::min({rows, limit, text.size() / 32 + 1}));
  std::optional<Columns> chosen;
  bool over = false;
  scanRows(text, std::nullopt, [&](const CSVReader::Row& row) {
    if (!chosen) {
      chosen = CSVSnippetParser::columns(row);
      if (chosen) {
        if (!chosen->body) chosen->body = CSVSnippetParser::fillingBody(*chosen, row.size());
        return true;
      }
      chosen = Columns{.keyword = 0, .title = 2, .body = 1, .folder = std::nullopt};
    }
    if (snippets.size() == limit) return !(over = true);
    CSVSnippetParser::fill(snippets.emplace_back(), row, *chosen);
    if (each) each(snippets.back());
    return true;
  });
  if (over) return std::nullopt;
  return snippets;
}

std::size_t csvSnippetCount(std::string_view text, std::size_t stop) {
  std::size_t count = 0;
  bool first = true;
  scanRows(text, std::nullopt, [&](const CSVReader::Row& row) {
    if (std::exchange(first, false) && CSVSnippetParser::columns(row)) return true;
    return ++count < stop;
  });
  return count;
}

}  // namespace kelvo::import_internal
