#include "platform/foundation/Locale.hpp"

#include <cstdlib>

#include "platform/foundation/ProcessSetting.hpp"

namespace kelvo {
namespace {

ProcessSetting<Locale>& currentSetting() {
  static ProcessSetting<Locale> setting;
  return setting;
}

}  // namespace

Locale::Locale(std::string_view identifier) {
  const size_t end = identifier.find_first_of(".@");
  if (end != std::string_view::npos) identifier = identifier.substr(0, end);
  if (identifier.empty() || identifier == "C" || identifier == "POSIX") identifier = "en_US";
  identifier_.assign(identifier);
  for (char& c : identifier_) {
    if (c == '-') c = '_';
  }
}

std::string Locale::languageCode() const { return identifier_.substr(0, identifier_.find('_')); }

Locale Locale::current() {
  return currentSetting().get([] { return fromEnvironment(); });
}

void Locale::setCurrent(const Locale& locale) { currentSetting().set(locale); }

Locale Locale::fromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return Locale(value);
  }
  return Locale("en_US");
}

}  // namespace kelvo
