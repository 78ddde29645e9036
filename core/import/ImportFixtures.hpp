#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Bytes.hpp"

namespace kelvo {

/// Fourteen sample inputs for the importer, one per format it reads and one per case it must
/// refuse or report; each is what a user would hand over (a file's bytes and name, or pasted
/// text without a name). Built once, never changed.
///
///   const auto& sample = ImportFixtures::raycastBroken();
///   SnippetImporter::parse(sample.data, sample.filename, std::nullopt);  // malformed, line 3
struct ImportFixtures {
  struct Fixture {
    std::string name;
    /// None for a sample that stands for pasted text.
    std::optional<std::string> filename;
    Bytes data;

    /// The bytes as UTF-8, each ill-formed sequence as U+FFFD.
    std::string text() const;
    friend bool operator==(const Fixture&, const Fixture&) = default;
  };

  static const Fixture& raycast();
  static const Fixture& textExpanderCSV();
  static const Fixture& appleTextReplacements();
  static const Fixture& alfredJSON();
  static const Fixture& markdown();
  static const Fixture& lines();
  static const Fixture& paragraphs();
  static const Fixture& thirtyLines();
  static const Fixture& foldersCSV();
  static const Fixture& headerOnlyCSV();
  static const Fixture& invalidUTF8();
  static const Fixture& espanso();
  static const Fixture& alfredBundle();
  static const Fixture& raycastBroken();

  /// The fourteen in the order above.
  static const std::vector<Fixture>& all();
  /// The first sample with exactly this name.
  static std::optional<Fixture> named(std::string_view name);
};

}  // namespace kelvo
