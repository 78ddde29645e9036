// The record a store file keeps of a log left beside another name of it, read back from the
// file's extended attribute, which any program that may write the file can set: never crashes,
// and a text read as a record is the very text that record writes.
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.hpp"
#include "platform/data/internal/KeptLog.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::data_internal::KeptLog;
  using kelvo::fuzz::require;
  const std::string_view text = kelvo::fuzz::text(data, size);
  const auto record = KeptLog::parse(text);
  if (!record) return 0;
  require(KeptLog::text(*record) == text);
  require(!record->path.empty() && record->path.find('\0') == std::string::npos);
  return 0;
}
