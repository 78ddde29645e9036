#include "platform/foundation/FileManager.hpp"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <random>

namespace kelvo {
namespace fs = std::filesystem;
namespace {

std::error_code systemError(int code) { return {code, std::system_category()}; }

std::optional<fs::path> homeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
  std::array<char, 4096> buffer;
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir != nullptr && *found->pw_dir == '/') {
    return fs::path(found->pw_dir);
  }
  return std::nullopt;
}

// XDG base directories ignore relative values.
std::optional<fs::path> xdgDirectory(const char* variable, const char* fallbackUnderHome) {
  if (const char* value = std::getenv(variable); value != nullptr && *value == '/') return value;
  const auto home = homeDirectory();
  if (!home) return std::nullopt;
  return *home / fallbackUnderHome;
}

// Closes on every path out, so that a failed step never leaks the descriptor.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

std::string randomSuffix() {
  static constexpr char digits[] = "0123456789abcdef";
  std::random_device device;
  std::string suffix;
  for (int i = 0; i < 4; ++i) {
    const unsigned value = device();
    for (int k = 0; k < 4; ++k) suffix.push_back(digits[(value >> (4 * k)) & 0xF]);
  }
  return suffix;
}

}  // namespace

FileError::FileError(std::string_view action, fs::path path, std::error_code code)
    : Error(std::string(action) + " \"" + path.string() + "\": " + code.message()),
      path_(std::move(path)),
      code_(code) {}

FileManager::FileManager()
    : dataHome_(xdgDirectory("XDG_DATA_HOME", ".local/share")),
      configHome_(xdgDirectory("XDG_CONFIG_HOME", ".config")) {}

FileManager::FileManager(fs::path dataHome, fs::path configHome)
    : dataHome_(std::move(dataHome)), configHome_(std::move(configHome)) {}

fs::path FileManager::userDirectory(const std::optional<fs::path>& folder, bool create) const {
  if (!folder) throw FileError("Could not find the home folder for", "~", systemError(ENOENT));
  if (create) createDirectory(*folder);
  return *folder;
}

fs::path FileManager::applicationSupportDirectory(bool create) const {
  return userDirectory(dataHome_, create);
}

fs::path FileManager::configurationDirectory(bool create) const {
  return userDirectory(configHome_, create);
}

std::optional<fs::path> FileManager::containerDirectory(
    std::optional<std::string_view> groupIdentifier) const {
  if (!groupIdentifier || !dataHome_) return std::nullopt;
  // The identifier becomes one folder name: nothing may lead out of "app-groups".
  const std::string_view id = *groupIdentifier;
  if (id.empty() || id == "." || id == ".." ||
      id.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) {
    return std::nullopt;
  }
  return *dataHome_ / "app-groups" / id;
}

void FileManager::createDirectory(const fs::path& path) const {
  std::error_code error;
  fs::create_directories(path, error);
  if (error) throw FileError("Could not create the folder", path, error);
  if (!fs::is_directory(path, error)) {
    throw FileError("Could not create the folder", path, systemError(ENOTDIR));
  }
}

std::string FileManager::contents(const fs::path& path) const {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) throw FileError("Could not read", path, systemError(errno));
  struct stat status {};
  if (::fstat(file.get(), &status) != 0)
    throw FileError("Could not read", path, systemError(errno));
  if (S_ISDIR(status.st_mode)) throw FileError("Could not read", path, systemError(EISDIR));
  std::string bytes;
  if (status.st_size > 0) bytes.reserve(static_cast<size_t>(status.st_size));
  std::array<char, 65536> buffer;
  while (true) {
    const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      throw FileError("Could not read", path, systemError(errno));
    }
    bytes.append(buffer.data(), static_cast<size_t>(count));
  }
  return bytes;
}

void FileManager::write(const fs::path& path, std::string_view bytes) const {
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const auto fail = [&](int code) { throw FileError("Could not write", path, systemError(code)); };
  const auto probe = [&](WriteStep step) { return probe_ ? probe_(step) : 0; };

  if (const int code = probe(WriteStep::createTemporary)) fail(code);
  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    // Appended piecewise: "literal" + string trips a false -Wrestrict in g++ 12 at -O3.
    std::string name = ".";
    name += path.filename().string();
    name += ".tmp-";
    name += randomSuffix();
    temporary = folder / name;
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) fail(errno);
  Descriptor file(fd);

  // Until the rename, the old file is untouched; the temporary goes with any failure.
  const auto abandon = [&](int code) {
    file.close();
    ::unlink(temporary.c_str());
    fail(code);
  };
  if (const int code = probe(WriteStep::writeBytes)) abandon(code);
  for (size_t written = 0; written < bytes.size();) {
    const ssize_t count = ::write(file.get(), bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) continue;
      abandon(errno);
    }
    written += static_cast<size_t>(count);
  }
  if (const int code = probe(WriteStep::syncFile)) abandon(code);
  if (::fsync(file.get()) != 0) abandon(errno);
  if (file.close() != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    fail(code);
  }
  if (const int code = probe(WriteStep::rename)) {
    ::unlink(temporary.c_str());
    fail(code);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    fail(code);
  }

  // The new file is in place; syncing the folder makes the rename itself durable.
  if (const int code = probe(WriteStep::syncFolder)) fail(code);
  Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() < 0) fail(errno);
  if (::fsync(directory.get()) != 0 && errno != EINVAL) fail(errno);
}

void FileManager::removeItem(const fs::path& path) const {
  std::error_code error;
  const auto status = fs::symlink_status(path, error);
  if (!fs::exists(status)) {
    throw FileError("Could not remove", path, error ? error : systemError(ENOENT));
  }
  fs::remove_all(path, error);
  if (error) throw FileError("Could not remove", path, error);
}

bool FileManager::fileExists(const fs::path& path) const {
  std::error_code error;
  return fs::exists(path, error);
}

std::uintmax_t FileManager::fileSize(const fs::path& path) const {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  if (error) throw FileError("Could not read the size of", path, error);
  return size;
}

}  // namespace kelvo
