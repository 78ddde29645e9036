#include "platform/data/internal/SQLiteCloseOrder.hpp"

#include <algorithm>
#include <cstddef>

namespace kelvo::data_internal {

// Should a newer header declare members past xUnfetch, the copy would carry them, and the
// version it may claim grows with them: this stops the build until the number is raised.
static_assert(sizeof(sqlite3_io_methods) ==
                  offsetof(sqlite3_io_methods, xUnfetch) + sizeof(sqlite3_io_methods::xUnfetch),
              "sqlite3_io_methods has members past version 3: raise headerMethodsVersion");

bool SQLiteCloseOrder::isOwnVFS(const sqlite3_vfs* vfs) {
  return vfs != nullptr && vfs->zName != nullptr && std::string_view(vfs->zName) == ownVFSName;
}

bool SQLiteCloseOrder::asksWhetherToKeepTheLog(int operation, const void* argument) {
  return operation == SQLITE_FCNTL_PERSIST_WAL && argument != nullptr &&
         *static_cast<const int*>(argument) < 0;
}

sqlite3_io_methods SQLiteCloseOrder::closingCopy(const sqlite3_io_methods& original,
                                                 int (*fileControl)(sqlite3_file*, int, void*)) {
  sqlite3_io_methods copy = original;
  copy.iVersion = std::min(original.iVersion, headerMethodsVersion);
  copy.xFileControl = fileControl;
  return copy;
}

}  // namespace kelvo::data_internal
