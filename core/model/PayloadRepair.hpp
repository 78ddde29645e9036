#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/foundation/Bytes.hpp"

namespace kelvo {

class Card;

/// Mends an image, file or document card whose bytes never arrived on this device, or were
/// lost, with the file the user chose again. One of the two operations of the core that save
/// by themselves.
struct PayloadRepair {
  /// Why a repair was turned down. Nothing was written.
  struct Failure {
    /// The file is empty or too large; carries the whole sentence.
    struct InvalidFile {
      std::string message;
      friend bool operator==(const InvalidFile&, const InvalidFile&) = default;
    };
    /// The card has no context, is being deleted, is in the trash, or is locked.
    struct Unavailable {
      friend bool operator==(const Unavailable&, const Unavailable&) = default;
    };
    /// The card already has its bytes.
    struct AlreadyPresent {
      friend bool operator==(const AlreadyPresent&, const AlreadyPresent&) = default;
    };
    /// The file is not of the card's kind.
    struct WrongType {
      friend bool operator==(const WrongType&, const WrongType&) = default;
    };

    std::variant<InvalidFile, Unavailable, AlreadyPresent, WrongType> value;

    static Failure invalidFile(std::string message) { return {InvalidFile{std::move(message)}}; }
    static Failure unavailable() { return {Unavailable{}}; }
    static Failure alreadyPresent() { return {AlreadyPresent{}}; }
    static Failure wrongType() { return {WrongType{}}; }

    /// The sentence to show: the carried one, or a fixed English text.
    std::string errorDescription() const;

    friend bool operator==(const Failure&, const Failure&) = default;
  };

  /// The attributes a repair writes, in the order it writes them.
  static constexpr std::string_view attributes[] = {
      "payloadData",        "filename",    "payload",    "byteCount",
      "isPayloadAvailable", "contentHash", "previewText"};

  /// Puts `data`, named `filename`, on `card` and saves the card's context. Checks first, in
  /// order, and returns the first failure without touching the card: no context, deleted,
  /// trashed or locked; bytes already safely present; a file of another kind than the card (so text
  /// and fact cards always fail); an empty or too large file. Then writes the bytes, the name (as
  /// the file name and as the payload), the byte count, availability, the file content hash
  /// and the preview line. When the save throws, the seven attributes are put back as they
  /// were (as unsaved changes; nothing is rolled back) and the save's error is thrown on.
  /// Runs where the card's context allows.
  static std::optional<Failure> attach(Bytes data, std::string_view filename, Card& card);
};

}  // namespace kelvo
