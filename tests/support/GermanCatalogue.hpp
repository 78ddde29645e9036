#pragma once

#include <locale.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "platform/foundation/Locale.hpp"
#include "platform/foundation/Localized.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::testing {

/// Installs a German gettext catalogue of `entries` for the life of the value, so a test can
/// tell localised texts from fixed ones. `installed()` is false where the system lacks the
/// C.UTF-8 locale that gettext needs here.
class GermanCatalogue {
 public:
  explicit GermanCatalogue(std::initializer_list<std::pair<const std::string, std::string>> list) {
    std::map<std::string, std::string> entries(list);
    if (setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) return;
    entries.emplace("", "Content-Type: text/plain; charset=UTF-8\n");
    const auto folder = directory_.path() / "de" / "LC_MESSAGES";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "kelvo.mo", std::ios::binary) << machineObject(entries);
    setenv("LANGUAGE", "de", 1);
    setLocalizationDirectory(directory_.path().string());
    Locale::setCurrent(Locale("de_DE"));
    installed_ = true;
  }
  ~GermanCatalogue() {
    if (!installed_) return;
    unsetenv("LANGUAGE");
    setlocale(LC_MESSAGES, "C");
    Locale::setCurrent(Locale("en_US"));
  }
  GermanCatalogue(const GermanCatalogue&) = delete;
  GermanCatalogue& operator=(const GermanCatalogue&) = delete;

  bool installed() const { return installed_; }

 private:
  // The GNU .mo layout: header, key and value tables, then the strings; keys sorted.
  static std::string machineObject(const std::map<std::string, std::string>& entries) {
    std::string header;
    std::string strings;
    const auto word = [&](std::uint32_t value) {
      for (int i = 0; i < 4; ++i) header.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    };
    const auto count = static_cast<std::uint32_t>(entries.size());
    const std::uint32_t text = 28 + 16 * count;
    for (const std::uint32_t value : {0x950412deU, 0U, count, 28U, 28 + 8 * count, 0U, text}) {
      word(value);
    }
    const auto place = [&](const std::string& s) {
      word(static_cast<std::uint32_t>(s.size()));
      word(text + static_cast<std::uint32_t>(strings.size()));
      strings += s;
      strings.push_back('\0');
    };
    for (const auto& entry : entries) place(entry.first);
    for (const auto& entry : entries) place(entry.second);
    return header + strings;
  }

  TemporaryDirectory directory_;
  bool installed_ = false;
};

}  // namespace kelvo::testing
