// Builds the English lemma and neighbour tables from a WordNet 3.0 dictionary folder:
//   kelvo-wordnet-tables /usr/share/wordnet build/share/kelvo/language
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/language/LanguageData.hpp"
#include "tools/LanguageTables.hpp"

namespace {

void write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  const std::filesystem::path partial = path.string() + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw kelvo::tools::WordNetError(partial.string() + ": cannot be written");
  }
  std::filesystem::rename(partial, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kelvo-wordnet-tables <wordnet folder> <output folder>\n");
    return 2;
  }
  try {
    const auto source = kelvo::tools::WordNetSource::read(argv[1]);
    const std::filesystem::path out = argv[2];
    std::filesystem::create_directories(out);
    write(out / kelvo::language::lemmaFileName, kelvo::tools::lemmaTable(source));
    write(out / kelvo::language::neighbourFileName, kelvo::tools::neighbourTable(source));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kelvo-wordnet-tables: %s\n", error.what());
    return 1;
  }
  return 0;
}
