#include "core/guidance/TutorialLibrary.hpp"

#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/foundation/Error.hpp"

namespace kelvo {

std::optional<URL> TutorialClip::url() const {
  const auto* ready = std::get_if<Ready>(&value_);
  return ready ? std::optional<URL>(ready->url) : std::nullopt;
}

TutorialLibrary::TutorialLibrary(Locate locate, Measure measure)
    : locate_(std::move(locate)), measure_(measure ? std::move(measure) : Measure(byteCount)) {
  if (!locate_) fatal("a tutorial library needs a way to locate its clips");
}

std::optional<std::int64_t> TutorialLibrary::byteCount(const URL& location) {
  if (!location.isFileURL()) return 1;
  std::error_code error;
  // file_size refuses folders and anything else that is not a regular file.
  const std::uintmax_t size = std::filesystem::file_size(location.path(), error);
  if (error) return std::nullopt;
  if (size > static_cast<std::uintmax_t>(std::numeric_limits<std::int64_t>::max())) {
    return std::numeric_limits<std::int64_t>::max();
  }
  return static_cast<std::int64_t>(size);
}

TutorialClip TutorialLibrary::clip(const TutorialFeature& feature) const {
  const std::optional<URL> location = locate_(feature.clipFilename());
  if (!location) return TutorialClip::missing();
  const std::optional<std::int64_t> size = measure_(*location);
  if (!size) return TutorialClip::unplayable(std::string(unreadableReason));
  if (*size <= 0) return TutorialClip::unplayable(std::string(emptyReason));
  return TutorialClip::ready(*location);
}

std::vector<TutorialFeature> TutorialLibrary::featuresWithClips() const {
  std::vector<TutorialFeature> playable;
  for (TutorialFeature& feature : TutorialCatalogue::listed(TutorialPlatform::touch)) {
    if (clip(feature).isPlayable()) playable.push_back(std::move(feature));
  }
  return playable;
}

}  // namespace kelvo
