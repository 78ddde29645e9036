#include "core/widget/KelvoWidgetSnapshotStore.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <new>
#include <system_error>

#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/ProcessSetting.hpp"

namespace kelvo {
namespace {

ProcessSetting<std::optional<std::string>>& identifierSetting() {
  static ProcessSetting<std::optional<std::string>> setting;
  return setting;
}

}  // namespace

std::optional<std::string> WidgetSharing::appGroupIdentifier() {
  return identifierSetting().get([] { return std::optional<std::string>(); });
}

void WidgetSharing::setAppGroupIdentifier(std::optional<std::string> identifier) {
  identifierSetting().set(std::move(identifier));
}

std::optional<std::filesystem::path> WidgetSharing::containerURL(
    std::optional<std::string_view> identifier, const FileManager& fileManager) {
  // The file manager turns down a missing, empty or path-like identifier.
  return fileManager.containerDirectory(identifier);
}

KelvoWidgetSnapshotStore KelvoWidgetSnapshotStore::shared() {
  const FileManager fileManager;
  const auto identifier = WidgetSharing::appGroupIdentifier();
  return KelvoWidgetSnapshotStore(
      WidgetSharing::containerURL(
          identifier ? std::optional<std::string_view>(*identifier) : std::nullopt, fileManager),
      fileManager);
}

std::optional<std::filesystem::path> KelvoWidgetSnapshotStore::fileURL() const {
  if (!directory_) return std::nullopt;
  return *directory_ / WidgetSharing::snapshotFilename;
}

KelvoWidgetState KelvoWidgetSnapshotStore::read(Date now) const {
  const auto file = fileURL();
  if (!file) return KelvoWidgetState::unavailable();
  std::optional<KelvoWidgetSnapshot> snapshot;
  try {
    snapshot = KelvoWidgetSnapshot::decode(fileManager_.contents(*file, fileSizeLimit));
  } catch (const Error&) {
    return KelvoWidgetState::waiting();
  } catch (const std::bad_alloc&) {
    // A file far larger than any snapshot is as unreadable as a broken one.
    return KelvoWidgetState::waiting();
  }
  if (snapshot->isOutdated(now)) return KelvoWidgetState::outdated(snapshot->capturedAt());
  if (snapshot->isEmpty()) return KelvoWidgetState::empty();
  return KelvoWidgetState::cards(std::move(*snapshot));
}

bool KelvoWidgetSnapshotStore::write(const KelvoWidgetSnapshot& snapshot) const {
  const auto file = fileURL();
  if (!file) return false;
  try {
    fileManager_.createDirectory(*directory_);
    const std::string stored = snapshot.encoded();
    // A larger file would read as `waiting`: the readable one stays instead.
    if (stored.size() > fileSizeLimit) return false;
    // The widget reads only a regular file: a pipe there never brings it the snapshot, and
    // waiting for the pipe's reader would only hold the host.
    fileManager_.write(*file, stored, FileManager::Pipes::refuse);
  } catch (const Error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool KelvoWidgetSnapshotStore::clear() const {
  const auto file = fileURL();
  if (!file) return false;
  try {
    // By its name alone: what a link leads to, or a folder someone keeps there, is not ours.
    fileManager_.removeFile(*file);
  } catch (const FileError& error) {
    if (error.code() == std::errc::is_a_directory) return false;
    // Removed meanwhile by another process, or never there (a read-only file system refuses
    // even to look): a path through a file names nothing.
    struct stat status {};
    return ::lstat(file->c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR);
  }
  return true;
}

}  // namespace kelvo
