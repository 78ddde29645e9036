#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The rows of the capture sheet that attach something not on the clipboard.
enum class CaptureAttachOption { photoLibrary, file };

template <>
struct RawValues<CaptureAttachOption> {
  static constexpr std::array<std::pair<CaptureAttachOption, std::string_view>, 2> table{{
      {CaptureAttachOption::photoLibrary, "photoLibrary"},
      {CaptureAttachOption::file, "file"},
  }};
};

/// The raw value.
std::string_view id(CaptureAttachOption option);
/// "Photo library" or "Choose file", localised.
std::string title(CaptureAttachOption option);
KelvoIcon icon(CaptureAttachOption option);
/// What the row does, localised.
std::string accessibilityHint(CaptureAttachOption option);
/// The fixed identifier for interface automation ("capture-attach-file").
std::string_view accessibilityIdentifier(CaptureAttachOption option);

/// The rows of the reference attachment sheet the capture sheet is measured against, in order.
inline constexpr std::array<std::string_view, 3> captureAttachOptionObsidianRows{
    "Photo Library", "Take Photo or Video", "Choose File"};
/// The one reference row the capture sheet does not offer, localised.
std::string captureAttachOptionUnsupportedObsidianRow();
/// Why that row is left out; a fixed text.
inline constexpr std::string_view captureAttachOptionUnsupportedObsidianRowReason =
    "Kelvo has no camera capture path, and a row that opens nothing is worse than no row.";

}  // namespace kelvo
