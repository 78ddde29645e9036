#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

/// Titles of buttons that several screens share. Each fits on one line.
struct KelvoButtonCopy {
  // Localised each time they are read.
  static std::string keepClipboard();
  static std::string openSystemSettings();
  static std::string choosePhotoAnotherWay();
  static std::string keepFirstThing();
  /// A fixed text, never localised.
  static constexpr std::string_view addCard = "Add a card";

  /// The most characters a shared button title may have and still stay on one line.
  static constexpr int singleLineBudget = 26;

  /// The titles in the order above, as they read when first asked for.
  static const std::vector<std::string>& all();
};

}  // namespace kelvo
