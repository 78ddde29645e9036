#include "core/design/KelvoButtonCopy.hpp"

#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string KelvoButtonCopy::keepClipboard() { return localized("Keep what's copied"); }

std::string KelvoButtonCopy::openSystemSettings() { return localized("Open Settings"); }

std::string KelvoButtonCopy::choosePhotoAnotherWay() { return localized("Choose another way"); }

std::string KelvoButtonCopy::keepFirstThing() { return localized("Keep your first thing"); }

const std::vector<std::string>& KelvoButtonCopy::all() {
  static const std::vector<std::string> titles{keepClipboard(), openSystemSettings(),
                                               choosePhotoAnotherWay(), keepFirstThing(),
                                               std::string(addCard)};
  return titles;
}

}  // namespace kelvo
