#include "core/design/CaptureAttachOption.hpp"

#include "platform/foundation/Error.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string_view id(CaptureAttachOption option) { return rawValue(option); }

std::string title(CaptureAttachOption option) {
  switch (option) {
    case CaptureAttachOption::photoLibrary:
      return localized("Photo library");
    case CaptureAttachOption::file:
      return localized("Choose file");
  }
  fatal("title: not a capture attach option");
}

KelvoIcon icon(CaptureAttachOption option) {
  switch (option) {
    case CaptureAttachOption::photoLibrary:
      return KelvoIcon::photos;
    case CaptureAttachOption::file:
      return KelvoIcon::browseFiles;
  }
  fatal("icon: not a capture attach option");
}

std::string accessibilityHint(CaptureAttachOption option) {
  switch (option) {
    case CaptureAttachOption::photoLibrary:
      return localized("Opens your photos. What you pick is kept as a card.");
    case CaptureAttachOption::file:
      return localized("Opens Files. What you pick is kept as a card.");
  }
  fatal("accessibilityHint: not a capture attach option");
}

std::string_view accessibilityIdentifier(CaptureAttachOption option) {
  switch (option) {
    case CaptureAttachOption::photoLibrary:
      return "capture-attach-photo-library";
    case CaptureAttachOption::file:
      return "capture-attach-file";
  }
  fatal("accessibilityIdentifier: not a capture attach option");
}

std::string captureAttachOptionUnsupportedObsidianRow() { return localized("Take Photo or Video"); }

}  // namespace kelvo
