#include "platform/language/LanguageData.hpp"

#include <cstdlib>

#include "platform/foundation/ProcessSetting.hpp"

namespace kelvo::language {
namespace {

ProcessSetting<std::filesystem::path>& folderSetting() {
  static ProcessSetting<std::filesystem::path> setting;
  return setting;
}

}  // namespace

void setDataDirectory(const std::filesystem::path& folder) { folderSetting().set(folder); }

std::filesystem::path dataDirectory() {
  return folderSetting().get([] {
    const char* given = std::getenv("KELVO_LANGUAGE_DATA");
    return given != nullptr && *given != '\0'
               ? std::filesystem::path(given)
               : std::filesystem::path(KELVO_LANGUAGE_INSTALLED_DATA);
  });
}

}  // namespace kelvo::language
