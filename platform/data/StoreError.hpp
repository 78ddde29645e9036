#pragma once

#include <string>

#include "platform/foundation/Error.hpp"

namespace kelvo::data {

/// A failure of a store: opening, reading, migrating or saving.
class StoreError : public Error {
 public:
  enum class Kind {
    /// SQLite refused an operation; `extendedCode()` says why.
    sqlite,
    /// A save found an object that breaks the model's rules; nothing was written.
    validation,
    /// The file is not a store of ours, was made by a newer version, needs a migration that
    /// its description does not allow, or is damaged (found when opened, or at any later read
    /// or save). The file is left as it was. Damage, and only damage, has `primaryCode()` 11
    /// (SQLITE_CORRUPT): a host keeps such a store aside and leaves the other files alone.
    incompatibleStore,
    /// A save was asked of a context without a store.
    noStore,
    /// A row changed or vanished under the context (another writer got there first).
    conflict,
    /// A table has handed out every row key up to the largest 64-bit integer; nothing was
    /// written.
    keysExhausted,
  };

  StoreError(Kind kind, const std::string& message, int extendedCode = 0)
      : Error(message), kind_(kind), extendedCode_(extendedCode) {}

  Kind kind() const { return kind_; }
  /// SQLite's extended result code (for example 266, SQLITE_IOERR_READ); 0 when SQLite did not
  /// report the failure.
  int extendedCode() const { return extendedCode_; }
  /// The primary result code, the low byte of the extended one (for example 10, SQLITE_IOERR).
  int primaryCode() const { return extendedCode_ & 0xFF; }

 private:
  Kind kind_;
  int extendedCode_;
};

}  // namespace kelvo::data
