#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportDestination.hpp"
#include "core/import/ImportError.hpp"
#include "core/import/ImportFormat.hpp"

/// Every text of the import sheet. Fixed texts and sentences with counts are looked up by
/// their English text; the texts marked assembled are joined from fixed English pieces, with
/// counts in plain decimal, and never looked up whole.
///
///   ImportCopy::kept(2, 5, "Work")               // "Kept 2 of 5 in Work" (assembled)
///   ImportCopy::error(ImportError::notASnippetExport())
namespace kelvo::ImportCopy {

std::string sheetTitle();
std::string settingsButton();
std::string menuTitle();
std::string cancel();
std::string pasteButton();
std::string pasteUnavailable();
std::string pasteHint();
std::string openFileButton();
std::string useFixtureButton();
std::string understands();
std::string reading();
std::string treatAs();
std::string change();
std::string badgeAlready();
std::string badgeEmpty();
std::string badgeTooLong();
std::string badgeRepeated();
std::string nothingNew();
std::string emptyTitle();
std::string emptyReasonHeaderOnly();
std::string emptyReasonNoClipboard();
std::string emptyReasonBlankLines();
std::string chooseAnotherFile();
std::string pasteInstead();
std::string keepAsOneCard();
std::string errorTitle();
std::string tryAnotherFile();
std::string backToPreview();
std::string undone();
std::string destinationGone();

/// "1 snippet", "0 snippets", "-1 snippets" (assembled).
std::string snippets(std::int64_t count);
/// "1 card", "3 cards" (assembled).
std::string cards(std::int64_t count);

/// The display name, " · " and the snippet count (assembled).
std::string header(ImportFormat format, std::int64_t count);
std::string newChip(std::int64_t count);
std::string alreadyChip(std::int64_t count);
std::string skippedChip(std::int64_t count);
std::string warningsDisclosure(std::int64_t count);
std::string found(std::int64_t count);
std::string includeToggle(std::string_view title);
std::string keeping(std::int64_t total);
/// "Looks like 3 snippets. Import them as separate cards?" (assembled).
std::string nudge(std::int64_t count);
/// "Sig, Already in Kelvo, blanks: name, date" (assembled).
std::string rowLabel(std::string_view title, std::string_view status,
                     const std::vector<std::string>& blanks);
std::string importButton(std::int64_t included, std::int64_t requested);
std::string kept(std::int64_t count, std::int64_t requested, std::string_view shelf);
std::string keptWithFallback(std::int64_t count, std::int64_t requested, std::string_view shelf,
                             std::string_view reason);
/// Only the case of the destination and a new shelf's name are read; the caller passes the
/// names of the project and the shelf.
std::string destination(const ImportDestination& destination,
                        const std::optional<std::string>& projectName,
                        const std::optional<std::string>& shelfName);
std::string error(const ImportError& error);

/// Every text above with sample values, in the sheet's fixed order (56 texts).
std::vector<std::string> everyString();
/// The message of one sample warning of each kind, in declaration order.
std::vector<std::string> everyWarningString();

}  // namespace kelvo::ImportCopy
