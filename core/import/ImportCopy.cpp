#include "core/import/ImportCopy.hpp"

#include "core/import/ImportWarning.hpp"
#include "core/model/FileCapture.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/NumberFormat.hpp"
#include "platform/foundation/Overloaded.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::ImportCopy {
namespace {

std::string counted(std::int64_t count, std::string_view one, std::string_view many) {
  return count == 1 ? std::string(one) : std::to_string(count) + std::string(many);
}

std::string unsupportedText(UnsupportedFormat format) {
  switch (format) {
    case UnsupportedFormat::alfredBundle:
      return localized(
          "Kelvo can't read Alfred bundles yet. Rename the bundle to .zip, unzip it, and open "
          "one of the .json files inside.");
    case UnsupportedFormat::textExpanderPlist:
      return localized(
          "Kelvo can't read TextExpander's own files yet — export the group as CSV instead.");
    case UnsupportedFormat::espansoYAML:
      return localized(
          "Kelvo can't read Espanso files yet. Paste the replacement texts as a list instead.");
  }
  return localized(
      "That file doesn't look like a snippet export. Try a CSV, JSON, Markdown or "
      "text file.");
}

}  // namespace

std::string sheetTitle() { return localized("Import snippets"); }
std::string settingsButton() { return localized("Import snippets…"); }
std::string menuTitle() { return localized("Import Snippets…"); }
std::string cancel() { return localized("Cancel"); }
std::string pasteButton() { return localized("Paste from clipboard"); }
std::string pasteUnavailable() { return localized("Nothing to paste yet"); }
std::string pasteHint() { return localized("Copy a list or an export, then come back."); }
std::string openFileButton() { return localized("Open a file…"); }
std::string useFixtureButton() { return localized("Use the test fixture"); }
std::string understands() {
  return localized(
      "Kelvo understands TextExpander, Raycast, Alfred, Apple Text Replacements, or any CSV, "
      "JSON, Markdown or text list.");
}
std::string reading() { return localized("Reading…"); }
std::string treatAs() { return localized("Treat as"); }
std::string change() { return localized("Change"); }
std::string badgeAlready() { return localized("Already in Kelvo"); }
std::string badgeEmpty() { return localized("Empty"); }
std::string badgeTooLong() { return localized("Too long"); }
std::string badgeRepeated() { return localized("Repeated in the file"); }
std::string nothingNew() { return localized("Nothing new to import"); }
std::string emptyTitle() { return localized("Nothing to import here."); }
std::string emptyReasonHeaderOnly() { return localized("This CSV has a header but no rows."); }
std::string emptyReasonNoClipboard() { return localized("No text on the clipboard."); }
std::string emptyReasonBlankLines() { return localized("This file is a list of empty lines."); }
std::string chooseAnotherFile() { return localized("Choose another file"); }
std::string pasteInstead() { return localized("Paste instead"); }
std::string keepAsOneCard() { return localized("Keep it as one card"); }
std::string errorTitle() { return localized("Kelvo couldn't read that file."); }
std::string tryAnotherFile() { return localized("Try another file"); }
std::string backToPreview() { return localized("Back to the preview"); }
std::string undone() { return localized("Import undone"); }
std::string destinationGone() {
  return localized("That shelf was gone, so they went to Unsorted.");
}

std::string snippets(std::int64_t count) { return counted(count, "1 snippet", " snippets"); }
std::string cards(std::int64_t count) { return counted(count, "1 card", " cards"); }

std::string header(ImportFormat format, std::int64_t count) {
  return displayName(format) + " \u00B7 " + snippets(count);
}

std::string newChip(std::int64_t count) { return localized("%lld new", count); }
std::string alreadyChip(std::int64_t count) { return localized("%lld already in Kelvo", count); }
std::string skippedChip(std::int64_t count) { return localized("%lld skipped", count); }
std::string warningsDisclosure(std::int64_t count) {
  return count == 1 ? localized("1 thing changed") : localized("%lld things changed", count);
}
std::string found(std::int64_t count) { return localized("%@ found", snippets(count)); }
std::string includeToggle(std::string_view title) { return localized("Include %@", title); }
std::string keeping(std::int64_t total) { return localized("Keeping %@…", cards(total)); }

std::string nudge(std::int64_t count) {
  return "Looks like " + snippets(count) + ". Import them as separate cards?";
}

std::string rowLabel(std::string_view title, std::string_view status,
                     const std::vector<std::string>& blanks) {
  std::string label = std::string(title) + ", " + std::string(status);
  if (!blanks.empty()) label += ", blanks: " + text::joined(blanks, ", ");
  return label;
}

std::string importButton(std::int64_t included, std::int64_t requested) {
  if (included == 0) return nothingNew();
  if (included < requested) {
    return "Import " + std::to_string(included) + " of " + std::to_string(requested);
  }
  return localized("Import %@", cards(included));
}

std::string kept(std::int64_t count, std::int64_t requested, std::string_view shelf) {
  if (count < requested) {
    return "Kept " + std::to_string(count) + " of " + std::to_string(requested) + " in " +
           std::string(shelf);
  }
  return localized("Kept %@ in %@", cards(count), shelf);
}

std::string keptWithFallback(std::int64_t count, std::int64_t requested, std::string_view shelf,
                             std::string_view reason) {
  return kept(count, requested, shelf) + " \u2014 " + std::string(reason);
}

std::string destination(const ImportDestination& destination,
                        const std::optional<std::string>& projectName,
                        const std::optional<std::string>& shelfName) {
  if (const auto* shelf = std::get_if<ImportDestination::NewShelf>(&destination.value)) {
    if (!projectName) return localized("New shelf %@", shelf->name);
    return "New shelf " + shelf->name + " in " + *projectName;
  }
  return "Into " + (shelfName ? *shelfName : std::string("the shelf you chose"));
}

std::string error(const ImportError& error) {
  return std::visit(
      Overloaded{
          [](const ImportError::UnreadableEncoding&) {
            return localized("It isn't UTF-8 text. Save it as UTF-8 and try again.");
          },
          [](const ImportError::TooLarge& c) {
            return FileCapture::Rejection::tooLarge(c.byteCount, c.limit).message();
          },
          [](const ImportError::NotASnippetExport&) {
            return localized(
                "That file doesn't look like a snippet export. Try a CSV, JSON, Markdown or "
                "text file.");
          },
          [](const ImportError::NoPermission&) {
            return localized(
                "Kelvo doesn't have permission to open it. Choose it again from the file "
                "picker.");
          },
          [](const ImportError::Malformed& c) {
            if (!c.line) {
              return localized("The %@ can't be read. Export it again and try once more.",
                               displayName(c.format));
            }
            return "The " + displayName(c.format) + " stops making sense at line " +
                   std::to_string(*c.line) + ". Fix it in a text editor and try again.";
          },
          [](const ImportError::UnsupportedYet& c) { return unsupportedText(c.format); },
          [](const ImportError::TooManySnippets& c) {
            return localized(
                "It holds more than %@ snippets, the most Kelvo takes in one import. Split it "
                "into smaller files and try again.",
                formatInteger(c.limit));
          },
      },
      error.value);
}

std::vector<std::string> everyString() {
  std::vector<std::string> texts{
      settingsButton(),
      menuTitle(),
      sheetTitle(),
      cancel(),
      pasteButton(),
      pasteUnavailable(),
      pasteHint(),
      openFileButton(),
      useFixtureButton(),
      understands(),
      reading(),
      treatAs(),
      change(),
      badgeAlready(),
      badgeEmpty(),
      badgeTooLong(),
      badgeRepeated(),
      nothingNew(),
      emptyTitle(),
      emptyReasonHeaderOnly(),
      emptyReasonNoClipboard(),
      emptyReasonBlankLines(),
      chooseAnotherFile(),
      pasteInstead(),
      keepAsOneCard(),
      errorTitle(),
      tryAnotherFile(),
      backToPreview(),
      undone(),
      destinationGone(),
  };
  const std::vector<std::string> samples{
      header(ImportFormat::raycast, 2),
      destination(ImportDestination::newShelf("X", std::nullopt), "P", std::nullopt),
      destination(ImportDestination::existing(UUID::random()), std::nullopt, "S"),
      newChip(1),
      alreadyChip(1),
      skippedChip(1),
      warningsDisclosure(1),
      warningsDisclosure(2),
      importButton(1, 1),
      importButton(1, 2),
      keeping(2),
      kept(1, 1, "S"),
      kept(1, 2, "S"),
      keptWithFallback(1, 1, "S", "R."),
      found(1),
      rowLabel("T", "new", {}),
      includeToggle("T"),
      nudge(2),
      error(ImportError::unreadableEncoding()),
      error(ImportError::notASnippetExport()),
      error(ImportError::noPermission()),
      error(ImportError::malformed(ImportFormat::raycast, 1)),
      error(ImportError::malformed(ImportFormat::csv)),
      error(ImportError::unsupportedYet(UnsupportedFormat::alfredBundle)),
      error(ImportError::unsupportedYet(UnsupportedFormat::textExpanderPlist)),
      error(ImportError::unsupportedYet(UnsupportedFormat::espansoYAML)),
      error(ImportError::tooManySnippets(1'000'000)),
  };
  texts.insert(texts.end(), samples.begin(), samples.end());
  return texts;
}

std::vector<std::string> everyWarningString() {
  return {
      ImportWarning::cursorMarkerRemoved().message(),
      ImportWarning::controlCodeRemoved("%key:enter%").message(),
      ImportWarning::dynamicPlaceholderBecameBlank("{clipboard}", "clipboard").message(),
      ImportWarning::unnamedFillNumbered("blank 1").message(),
      ImportWarning::valueWasNotText("text").message(),
  };
}

}  // namespace kelvo::ImportCopy
