#include "platform/language/LanguageData.hpp"

#include <cstdlib>
#include <system_error>

#include "platform/foundation/ProcessSetting.hpp"
#include "platform/language/LemmaTagger.hpp"
#include "platform/language/WordEmbedding.hpp"

namespace kelvo::language {

// The folder the program was built to look in: the share folder of the installed package it was
// built against, or the one its build installs to. A constant in a small library of its own
// (cmake/KelvoLanguageFolder.cmake) rather than a call before main, so that a program that never
// looks for the tables starts nothing of this layer.
extern const char installedDataFolder[];

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
    return std::filesystem::path(installedDataFolder);
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
