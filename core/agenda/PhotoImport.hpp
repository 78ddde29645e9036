#pragma once

// Pictures kept from the photo library: their file names, grid subtitles, spoken labels and size
// check, and the texts of an empty or partly shared library. Reads no library, clock or disk: every
// rule takes what it needs:
//
//   const std::int64_t byteCount = 60'000'000;
//   const auto refusal = PhotoImport::rejection(byteCount);  // too large: above 50 MB
//   const std::string why = refusal ? refusal->message() : "";  // "That file is 57 MB — ..."
//   const PhotoAssetSnapshot photo{"A1/L0/002", std::nullopt, false, 0, 0, " .HEIC"};
//   const Date now(700'000'000);  // 2023-03-08 20:26:40 UTC, the moment of an undated photo
//   const auto name = PhotoImport::filename(photo, now, TimeZone::utc());  // "Photo <now>.heic"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/agenda/PhotoAssetSnapshot.hpp"
#include "core/model/FileCapture.hpp"
#include "platform/foundation/DateFormat.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo {

struct PhotoImport {
  /// How many recent library items the host lists.
  static constexpr int recentLimit = 60;
  /// The extension used when the proposed one is missing or unusable.
  static constexpr std::string_view fallbackExtension = "png";

  /// The proposed extension trimmed, lower-cased and without leading dots, when one to eight
  /// characters remain, each a letter or a number; otherwise "png".
  static std::string normalizedExtension(const std::optional<std::string>& extension);

  /// "Screenshot 2026-03-07 14.05.09.png": the kind word, the creation moment (or `now`) in the
  /// Gregorian calendar of `timeZone`, and the normalised extension.
  static std::string filename(const PhotoAssetSnapshot& snapshot, Date now,
                              const TimeZone& timeZone);

  /// "Photo · 4032×3024", or the kind word alone without both dimensions. Not localised.
  static std::string gridSubtitle(const PhotoAssetSnapshot& snapshot);

  /// "Photo, " and the caller's rendering of the creation date, or "Photo, date unknown".
  static std::string accessibilityLabel(const PhotoAssetSnapshot& snapshot,
                                        const DateFormatter& formatter);

  /// The file-capture size check: empty for 0 or less, too large above 50 MB.
  static std::optional<FileCapture::Rejection> rejection(std::int64_t byteCount);

  /// Shown when the library holds no pictures; localised.
  static std::string emptyExplanation();
  /// Shown when the user shared a chosen set of pictures and it is empty; localised.
  static std::string emptyLimitedExplanation();
  /// How many chosen pictures the application can see. Not localised.
  static std::string limitedAccessSummary(std::int64_t count);
};

}  // namespace kelvo
