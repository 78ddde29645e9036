#include "tools/WordNetSource.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string_view>

namespace kelvo::tools {
namespace {

// One line's fields, read in order, each failure naming the file and line.
class Fields {
 public:
  Fields(std::string_view line, const std::filesystem::path& file, std::size_t number)
      : file_(file), number_(number) {
    std::size_t at = 0;
    while (at < line.size()) {
      const std::size_t end = std::min(line.find(' ', at), line.size());
      if (end > at) fields_.push_back(line.substr(at, end - at));
      at = end + 1;
    }
  }
  bool done() const { return next_ >= fields_.size(); }
  std::string_view text() {
    if (done()) fail("the line ends early");
    return fields_[next_++];
  }
  std::uint64_t number(int base = 10) {
    const std::string_view field = text();
    std::uint64_t value = 0;
    const auto [end, error] =
        std::from_chars(field.data(), field.data() + field.size(), value, base);
    if (error != std::errc() || end != field.data() + field.size()) {
      fail("\"" + std::string(field) + "\" is not a number");
    }
    return value;
  }
  [[noreturn]] void fail(const std::string& message) const {
    throw WordNetError(file_.string() + ":" + std::to_string(number_) + ": " + message);
  }

 private:
  std::vector<std::string_view> fields_;
  std::size_t next_ = 0;
  const std::filesystem::path& file_;
  std::size_t number_;
};

// Calls `read` with each line that is not part of the licence (which begins with a space).
template <class Read>
void eachLine(const std::filesystem::path& file, Read read) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw WordNetError(file.string() + ": cannot be read");
  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == ' ') continue;
    Fields fields(line, file, number);
    read(fields);
  }
}

std::uint8_t partOf(std::string_view symbol, Fields& fields) {
  if (symbol == "n") return 0;
  if (symbol == "v") return 1;
  if (symbol == "a" || symbol == "s") return 2;
  if (symbol == "r") return 3;
  fields.fail("\"" + std::string(symbol) + "\" is not a part of speech");
}

void readIndex(const std::filesystem::path& file,
               std::map<std::string, std::vector<std::uint64_t>>& index) {
  eachLine(file, [&](Fields& fields) {
    const std::string lemma(fields.text());
    partOf(fields.text(), fields);
    const std::uint64_t synsets = fields.number();
    const std::uint64_t pointers = fields.number();
    for (std::uint64_t i = 0; i < pointers; ++i) fields.text();
    fields.number();  // sense count
    fields.number();  // tagged sense count
    auto& offsets = index[lemma];
    for (std::uint64_t i = 0; i < synsets; ++i) offsets.push_back(fields.number());
    if (!fields.done()) fields.fail("more synsets than counted");
  });
}

void readData(const std::filesystem::path& file,
              std::map<SynsetKey, std::vector<SynsetKey>>& broader) {
  eachLine(file, [&](Fields& fields) {
    const std::uint64_t offset = fields.number();
    fields.number();  // lexicographer file
    const std::uint8_t part = partOf(fields.text(), fields);
    const std::uint64_t words = fields.number(16);
    for (std::uint64_t i = 0; i < words; ++i) {
      fields.text();
      fields.number(16);
    }
    auto& targets = broader[{part, offset}];
    const std::uint64_t pointers = fields.number();
    for (std::uint64_t i = 0; i < pointers; ++i) {
      const std::string_view symbol = fields.text();
      const std::uint64_t target = fields.number();
      const std::uint8_t targetPart = partOf(fields.text(), fields);
      fields.number(16);  // source and target word
      if (symbol == "@" || symbol == "@i" || (part == 2 && symbol == "&")) {
        targets.emplace_back(targetPart, target);
      }
    }
  });
}

void readExceptions(const std::filesystem::path& file,
                    std::vector<std::pair<std::string, std::string>>& exceptions) {
  eachLine(file, [&](Fields& fields) {
    const std::string inflected(fields.text());
    do {
      exceptions.emplace_back(inflected, std::string(fields.text()));
    } while (!fields.done());
  });
}

// Lines of "lemma%ss_type:lex_filenum:lex_id:head_word:head_id sense_number tag_count", where
// ss_type is 1–5 (5, an adjective satellite, counts as an adjective).
void readTaggedCounts(const std::filesystem::path& file,
                      std::array<std::map<std::string, std::uint64_t>, 4>& counts) {
  eachLine(file, [&](Fields& fields) {
    const std::string_view key = fields.text();
    const std::size_t percent = key.find('%');
    if (percent == std::string_view::npos || percent == 0 || percent + 1 >= key.size() ||
        key[percent + 1] < '1' || key[percent + 1] > '5') {
      fields.fail("\"" + std::string(key) + "\" is not a sense key");
    }
    constexpr std::array<std::size_t, 5> parts{0, 1, 2, 3, 2};
    const std::size_t part = parts[static_cast<std::size_t>(key[percent + 1] - '1')];
    fields.number();  // sense number
    const std::uint64_t tagged = fields.number();
    if (!fields.done()) fields.fail("more fields than a count has");
    counts[part][std::string(key.substr(0, percent))] += tagged;
  });
}

}  // namespace

WordNetSource WordNetSource::read(const std::filesystem::path& folder) {
  WordNetSource source;
  for (std::size_t part = 0; part < partNames.size(); ++part) {
    const std::string name = partNames[part];
    readIndex(folder / ("index." + name), source.index[part]);
    readData(folder / ("data." + name), source.broader);
    readExceptions(folder / (name + ".exc"), source.exceptions[part]);
  }
  readTaggedCounts(folder / "cntlist.rev", source.taggedCounts);
  return source;
}

}  // namespace kelvo::tools
