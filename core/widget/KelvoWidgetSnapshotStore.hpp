#pragma once

// The widget snapshot file that the host application writes and the widget reads, in the app
// group's shared container.
//
//   WidgetSharing::setAppGroupIdentifier("group.kelvo");          // once, by the host
//   const auto store = KelvoWidgetSnapshotStore::shared();
//   store.write(snapshot);                                          // host: after a change
//   const KelvoWidgetState state = store.read(now);                 // widget: at each timeline
//   if (const auto* cards = state.as<KelvoWidgetState::Cards>()) show(cards->snapshot);

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/widget/KelvoWidgetState.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/FileManager.hpp"

namespace kelvo {

class KelvoWidgetSnapshot;

/// The place the host application and its widgets share.
struct WidgetSharing {
  /// The name of the snapshot file in the shared container.
  static constexpr std::string_view snapshotFilename = "kelvo-widget.json";

  /// The app group whose container holds the snapshot: a deployment setting, none until the
  /// host sets it. Without one every store made by `KelvoWidgetSnapshotStore::shared()` is
  /// unavailable.
  static std::optional<std::string> appGroupIdentifier();
  static void setAppGroupIdentifier(std::optional<std::string> identifier);

  /// The container of the app group `identifier`; none for no identifier or an empty one, or
  /// when the platform has no container for it.
  static std::optional<std::filesystem::path> containerURL(
      std::optional<std::string_view> identifier, const FileManager& fileManager);
};

/// Reads, writes and clears the widget snapshot file in a folder. Every call works on the file
/// as it is on disk; writes replace it whole, so a reader in another process sees the old
/// snapshot or the new one, never a part. Nothing is reported beyond the answers below.
class KelvoWidgetSnapshotStore {
 public:
  /// A snapshot holds a handful of short titles: a larger file reads as unreadable, and
  /// `write` makes none.
  static constexpr std::uintmax_t fileSizeLimit = 1024 * 1024;

  /// A store over `directory`; with none the store is unavailable.
  explicit KelvoWidgetSnapshotStore(std::optional<std::filesystem::path> directory,
                                    FileManager fileManager = FileManager())
      : directory_(std::move(directory)), fileManager_(std::move(fileManager)) {}

  /// A store over the container of `WidgetSharing::appGroupIdentifier()`, looked up afresh.
  static KelvoWidgetSnapshotStore shared();

  const std::optional<std::filesystem::path>& directory() const { return directory_; }
  /// The directory with "kelvo-widget.json" appended.
  std::optional<std::filesystem::path> fileURL() const;

  /// `unavailable` without a directory; `waiting` when the file cannot be read or decoded;
  /// `outdated` from 14 days of age; else `cards` when there is anything to show, or `empty`.
  KelvoWidgetState read(Date now) const;
  /// Creates the directory when missing and replaces the file atomically (through links, the
  /// file they lead to; a device is written into); false when there is no directory, the
  /// stored form would pass `fileSizeLimit` (so `read` could not take it), a folder, a socket
  /// or a named pipe stands at the path, or any step fails, leaving the previous file as it
  /// was. It never waits for a pipe's reader.
  bool write(const KelvoWidgetSnapshot& snapshot) const;
  /// Removes the file's name: a file, or a link, a pipe or a device node itself, never what a
  /// link leads to. True when it was removed or was not there; false without a directory, when
  /// a folder stands at the path (it is left as it is, with all it holds), or when the name
  /// could not be removed.
  bool clear() const;

 private:
  std::optional<std::filesystem::path> directory_;
  FileManager fileManager_;
};

}  // namespace kelvo
