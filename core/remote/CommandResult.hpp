#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>

#include "core/remote/LibraryPage.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo::Remote {

/// The host's answer to a command, in the single-key form: "ok", "library", "file", "failed".
struct CommandResult {
  struct OK {
    std::string text;
    friend bool operator==(const OK& a, const OK& b);
  };
  struct Library {
    LibraryPage page;
    friend bool operator==(const Library&, const Library&) = default;
  };
  struct File {
    std::string filename;
    Bytes data;
    friend bool operator==(const File& a, const File& b);
  };
  struct Failed {
    std::string text;
    friend bool operator==(const Failed& a, const Failed& b);
  };

  using Value = std::variant<OK, Library, File, Failed>;
  Value value;

  static const std::array<std::string_view, 4> caseNames;

  static CommandResult ok(std::string text) { return {OK{std::move(text)}}; }
  static CommandResult failed(std::string text) { return {Failed{std::move(text)}}; }

  /// False for `failed` only.
  bool isOK() const { return !std::holds_alternative<Failed>(value); }
  /// The carried text of `ok` and `failed`; a fixed localised sentence for the others.
  std::string message() const;

  void encode(OrderedJson& json) const;
  /// Throws `DecodingError`; the one-key failure names "Remote.CommandResult".
  static CommandResult decode(const JSONReader& reader);

  friend bool operator==(const CommandResult&, const CommandResult&) = default;
};

}  // namespace kelvo::Remote
