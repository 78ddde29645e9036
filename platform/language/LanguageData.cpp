#include "platform/language/LanguageData.hpp"

#include <cstdlib>
#include <system_error>

#include "platform/foundation/ProcessSetting.hpp"
#include "platform/language/LemmaTagger.hpp"
#include "platform/language/WordEmbedding.hpp"

namespace kelvo::language {

// The share folder of the installed package, in a program built against one: the package's
// CMake config compiles a definition of this constant into each program that links
// kelvo::core. A constant rather than a call before main, so that a program that never looks
// for the tables links and starts nothing of this layer; weak, so that a program without the
// definition (one built in this project) links too and finds it null.
[[gnu::weak]] extern const char installedDataFolder[];

namespace {

ProcessSetting<std::filesystem::path>& folderSetting() {
  static ProcessSetting<std::filesystem::path> setting;
  return setting;
}

std::string fileProblem(const std::filesystem::path& file) {
  std::error_code error;
  const bool present = std::filesystem::exists(file, error);
  return file.string() + (present ? " could not be read" : " is missing");
}

}  // namespace

void setDataDirectory(const std::filesystem::path& folder) { folderSetting().set(folder); }

std::filesystem::path dataDirectory() {
  return folderSetting().get([] {
    const char* given = std::getenv("KELVO_LANGUAGE_DATA");
    if (given != nullptr && *given != '\0') return std::filesystem::path(given);
    if (installedDataFolder != nullptr && *installedDataFolder != '\0') {
      return std::filesystem::path(installedDataFolder);
    }
    return std::filesystem::path(KELVO_LANGUAGE_INSTALLED_DATA);
  });
}

std::optional<std::string> dataProblem() {
  const std::filesystem::path folder = dataDirectory();
  const bool lemmas = LemmaTagger::standard() != nullptr;
  const bool neighbours = WordEmbedding::forLanguage("en") != nullptr;
  if (lemmas && neighbours) return std::nullopt;
  if (!lemmas && !neighbours) {
    return "No English lemmas or word neighbours: " + fileProblem(folder / lemmaFileName) +
           " and " + fileProblem(folder / neighbourFileName) + ".";
  }
  return lemmas ? "No English word neighbours: " + fileProblem(folder / neighbourFileName) + "."
                : "No English lemmas: " + fileProblem(folder / lemmaFileName) + ".";
}

}  // namespace kelvo::language
