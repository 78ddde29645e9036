#pragma once

#include <string_view>

/// The parts of a file name as the platform's path utilities see them. A name is split at "/";
/// empty pieces (from leading, doubled or trailing slashes) do not count.
namespace kelvo::FileNames {

/// The last non-empty piece between slashes; empty when there is none.
std::string_view lastPathComponent(std::string_view name);

/// The text after the last "." of the last path component; empty when it has no ".".
std::string_view pathExtension(std::string_view name);

/// `name` without "." and its path extension (and without the trailing slashes after it); the
/// name unchanged when its extension is empty.
std::string_view deletingPathExtension(std::string_view name);

}  // namespace kelvo::FileNames
