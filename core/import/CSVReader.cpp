#include "core/import/CSVReader.hpp"

#include <algorithm>
#include <stdexcept>

#include "core/import/internal/CSVRows.hpp"

#include "core/import/internal/Graphemes.hpp"
#include "core/import/internal/Splitting.hpp"
#include "core/import/internal/Trim.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::CSVReader {
namespace {

using import_internal::lineBreakLength;
using import_internal::standsAlone;

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// One pass over the bytes. Runs of ordinary bytes are copied whole into the table's text; only
// the bytes that may start a quote, a delimiter or a line break are looked at closely. With a
// sink, each row is handed over and forgotten.
class Scanner {
 public:
  Scanner(std::string_view text, char32_t delimiter, Rows& rows,
          const import_internal::RowSink* sink)
      : text_(text), rows_(rows), sink_(sink) {
    appendUtf8(delimiter_, delimiter);
    for (const int byte : {0x0A, 0x0B, 0x0C, 0x0D, 0xC2, 0xE2, 0x22}) {
      special_[byte] = true;
    }
    special_[static_cast<unsigned char>(delimiter_.front())] = true;
  }

  void run() {
    std::size_t i = 0;
    while (i < text_.size() && !stopped_) {
      if (!special_[static_cast<unsigned char>(text_[i])]) {
        ++i;
      } else {
        i = inQuotes_ ? quoted(i) : unquoted(i);
      }
    }
    if (stopped_) return;
    if (runStart_ < text_.size() || pieced_ || rowWidth_ > 0) endRow(text_.size());
  }

 private:
  bool isQuote(std::size_t i) const { return text_[i] == '"' && standsAlone(text_, i, 1); }

  bool isDelimiter(std::size_t i) const {
    return text_.compare(i, delimiter_.size(), delimiter_) == 0 &&
           standsAlone(text_, i, delimiter_.size());
  }

  // Handles the special byte at `i` inside quotes; returns where scanning goes on.
  std::size_t quoted(std::size_t i) {
    if (!isQuote(i)) return i + 1;
    flush(i);
    if (i + 1 < text_.size() && isQuote(i + 1)) {
      rows_.append("\"");
      pieced_ = true;
      return skipTo(i + 2);
    }
    inQuotes_ = false;
    return skipTo(i + 1);
  }

  std::size_t unquoted(std::size_t i) {
    if (const std::size_t length = lineBreakLength(text_, i)) {
      endRow(i);
      return skipTo(i + length);
    }
    if (isQuote(i)) {
      flush(i);
      inQuotes_ = true;
      return skipTo(i + 1);
    }
    if (isDelimiter(i)) {
      endField(i);
      return skipTo(i + delimiter_.size());
    }
    return i + 1;
  }

  std::size_t skipTo(std::size_t next) {
    runStart_ = next;
    return next;
  }

  void flush(std::size_t end) {
    if (end == runStart_) return;
    rows_.append(text_.substr(runStart_, end - runStart_));
    pieced_ = true;
  }

  void endField(std::size_t end) {
    flush(end);
    rows_.endField();
    pieced_ = false;
    ++rowWidth_;
  }

  void endRow(std::size_t end) {
    endField(end);
    rows_.endRow();
    const bool blank =
        rowWidth_ == 1 &&
        import_internal::trimmedView(rows_.back()[0], text::CharacterClass::whitespace).empty();
    rowWidth_ = 0;
    if (blank) {
      rows_.pop_back();
    } else if (sink_) {
      stopped_ = !(*sink_)(rows_.back());
      rows_.clear();
    }
  }

  std::string_view text_;
  Rows& rows_;
  const import_internal::RowSink* sink_;
  bool stopped_ = false;
  std::string delimiter_;
  bool special_[256] = {};
  std::size_t runStart_ = 0;
  bool inQuotes_ = false;
  bool pieced_ = false;  // whether the field being read has bytes appended already
  std::size_t rowWidth_ = 0;
};

char32_t scan(std::string_view text, std::optional<char32_t> delimiter, Rows& rows,
              const import_internal::RowSink* sink) {
  if (text.starts_with(byteOrderMark)) text.remove_prefix(byteOrderMark.size());
  const char32_t used = delimiter ? *delimiter : detectDelimiter(text);
  Scanner(text, used, rows, sink).run();
  return used;
}

}  // namespace

bool operator==(const Table& a, const Table& b) {
  return a.delimiter == b.delimiter && a.rows == b.rows;
}

char32_t detectDelimiter(std::string_view text) {
  std::array<std::size_t, candidateDelimiters.size()> counts{};
  for (std::size_t i = 0; i < text.size() && lineBreakLength(text, i) == 0; ++i) {
    for (std::size_t c = 0; c < candidateDelimiters.size(); ++c) {
      if (static_cast<char32_t>(text[i]) == candidateDelimiters[c] && standsAlone(text, i, 1)) {
        ++counts[c];
      }
    }
  }
  std::size_t best = 0;
  for (std::size_t c = 1; c < counts.size(); ++c) {
    if (counts[c] > counts[best]) best = c;
  }
  return candidateDelimiters[best];
}

Table read(std::string_view text, std::optional<char32_t> delimiter) {
  // The fields hold no more bytes than the text, and are at most one more than its bytes.
  if (text.size() >= Rows::maxTextSize) {
    throw std::length_error("CSVReader::read: a text too long for a table (4 GiB)");
  }
  Table table;
  table.rows.reserveText(text.size());
  table.delimiter = scan(text, delimiter, table.rows, nullptr);
  return table;
}

}  // namespace kelvo::CSVReader

namespace kelvo::import_internal {

std::size_t estimatedRows(std::string_view text) {
  // Line breaks as the text readers find them (LF, CR LF, a lone CR) outside naively paired
  // quotes: exact for ordinary files, and cheap.
  std::size_t rows = 0;
  std::size_t quotes = 0;
  forEachLine(text, [&](std::string_view line) {
    quotes += static_cast<std::size_t>(std::count(line.begin(), line.end(), '"'));
    rows += static_cast<std::size_t>(quotes % 2 == 0);
    return true;
  });
  return std::max<std::size_t>(rows, 1);
}

char32_t scanRows(std::string_view text, std::optional<char32_t> delimiter, const RowSink& sink) {
  CSVReader::Rows row;
  return CSVReader::scan(text, delimiter, row, &sink);
}

}  // namespace kelvo::import_internal
