// Raycast and Alfred exports and text-replacement lists read straight from their text against
// the same exports read through the document's tree, on generated exports: broken, wrongly
// typed, nested, with unknown and repeated keys, escapes and references.
#include "core/import/internal/JSONExports.hpp"
#include "core/import/internal/TextReplacements.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <variant>

#include "core/import/AlfredParser.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/PlaceholderTranslator.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "core/import/RaycastParser.hpp"
#include "core/import/SnippetImporter.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo {
namespace {

using F = ImportFormat;

// Picks the pieces of generated texts, and breaks some of them.
class Writer {
 public:
  explicit Writer(std::uint32_t seed) : random_(seed) {}

 protected:
  std::string pick(std::initializer_list<std::string_view> choices) {
    return std::string(choices.begin()[random_() % choices.size()]);
  }
  int upTo(int count) { return static_cast<int>(random_() % count); }

  // One in four cut short, a byte changed or added (one of `junk`), or followed by a `tail`.
  std::string perhapsBroken(std::string text, std::initializer_list<std::string_view> junk,
                            std::initializer_list<std::string_view> tails) {
    if (upTo(4) != 0) return text;
    const std::size_t at = text.empty() ? 0 : random_() % text.size();
    switch (upTo(4)) {
      case 0:
        return text.substr(0, at);
      case 1:
        return text.replace(at, 1, pick(junk));
      case 2:
        return text.insert(at, pick(junk));
      default:
        return text + pick(tails);
    }
  }

  std::mt19937 random_;
};

// Exports as a tool might write them and as they break: every key a reader looks at, in any
// place and any number of times, beside values of every type.
class ExportWriter : public Writer {
 public:
  using Writer::Writer;

  std::string document() {
    std::string text = pick({"", "", " \n", "\xEF\xBB\xBF"});
    switch (upTo(4)) {
      case 0:
        text += object(0);
        break;
      case 1:
        text += "[" + list(1, [&] { return "{\"alfredsnippet\":" + object(2) + "}"; }) + "]";
        break;
      default:
        text += "[" + list(1, [&] { return value(1); }) + "]";
    }
    if (upTo(40) == 0) text = std::string(512 + upTo(2), '[') + text;
    return perhapsBroken(std::move(text), {"}", "]", "\"", ",", ":", "x", "\xFF", "{", "[", " "},
                         {" x", "[]", ",", "\n\n{"});
  }

 private:
  std::string gap() { return pick({"", "", " ", "\n", "\r\n\t"}); }

  template <class Element>
  std::string list(int depth, const Element& element) {
    std::string text;
    for (int i = upTo(depth == 1 ? 6 : 3); i > 0; --i) {
      text += gap() + element() + gap() + (i > 1 ? "," : "");
    }
    return text;
  }

  std::string object(int depth) {
    const auto member = [&] {
      return pick({"\"name\"", "\"text\"", "\"keyword\"", "\"snippet\"", "\"alfredsnippet\"",
                   "\"uid\"", "\"te\\u0078t\"", "\"Name\"", "\"\""}) +
             ":" + gap() + value(depth + 1);
    };
    return "{" + list(depth + 1, member) + "}";
  }

  std::string value(int depth) {
    switch (upTo(depth > 4 ? 2 : 6)) {
      case 0:
        return pick({"\"\"", "\"Best, Ada\"", "\"caf\\u00e9 \\ud83d\\ude00\"", "\"\\u0000\"",
                     "\"{clipboard} {argument name=\\\"x\\\"}\"", "\"a\\r\\nb\\rc\"",
                     "\"%filltext:name=n%\"", "\"\\/\\\"\"", "\"x\xFFy\"", "\"\\ud800\""});
      case 1:
        return pick({"42", "-0", "1.5e3", "true", "false", "null", "1e400", "18446744073709551616",
                     "-9223372036854775809"});
      case 2:
      case 3:
        return object(depth);
      case 4:
        return "[" + list(depth + 1, [&] { return value(depth + 1); }) + "]";
      default:
        return "{\"alfredsnippet\":" + object(depth + 1) + "}";
    }
  }
};

struct Failure {
  std::string description;
  std::optional<std::size_t> offset;
  friend bool operator==(const Failure&, const Failure&) = default;
};

// Snippets compared byte for byte (`ImportedSnippet` compares canonically).
using Fields = std::tuple<std::optional<std::string>, std::string, std::optional<std::string>,
                          std::vector<std::string>, std::vector<std::string>>;

std::vector<Fields> fields(const std::vector<ImportedSnippet>& snippets) {
  std::vector<Fields> all;
  for (const ImportedSnippet& snippet : snippets) {
    std::vector<std::string> warnings;
    for (const ImportWarning& warning : snippet.warnings) warnings.push_back(warning.message());
    all.emplace_back(snippet.title, snippet.body, snippet.keyword, snippet.folderPath, warnings);
  }
  return all;
}

// What each road gives a text: the format and both tools' snippets, or where it failed.
struct Reading {
  std::optional<F> format;
  std::vector<Fields> raycast, alfred;
  friend bool operator==(const Reading&, const Reading&) = default;
};
using Outcome = std::variant<Reading, Failure>;

template <class Read>
Outcome outcome(const Read& read) {
  try {
    return read();
  } catch (const DecodingError& error) {
    return Failure{error.description(), error.offset()};
  }
}

Outcome throughTheTree(std::string_view text) {
  return outcome([&] {
    const Json tree = json::parse(text);
    const std::optional<F> format = RaycastParser::looksLikeRaycast(tree) ? F::raycast
                                    : AlfredParser::looksLikeAlfred(tree) ? F::alfred
                                                                          : std::optional<F>();
    return Reading{format, fields(RaycastParser::parse(tree)), fields(AlfredParser::parse(tree))};
  });
}

Outcome straightFromTheText(std::string_view text) {
  return outcome([&] {
    return Reading{import_internal::jsonExport(text, std::nullopt).format,
                   fields(*import_internal::jsonExport(text, F::raycast, SIZE_MAX).snippets),
                   fields(*import_internal::jsonExport(text, F::alfred, SIZE_MAX).snippets)};
  });
}

// One reading recognises the export, counts its snippets and, within the limit, makes them.
void expectOneReadingGivesTheExport(std::string_view text, const Reading& expected) {
  const std::vector<Fields>& snippets =
      expected.format == F::alfred ? expected.alfred : expected.raycast;
  const std::size_t count = expected.format ? snippets.size() : 0;
  for (const std::optional<std::size_t> limit :
       {std::optional<std::size_t>(), std::optional(count), std::optional(count - 1)}) {
    const import_internal::JSONExport found = import_internal::jsonExport(text, limit);
    EXPECT_EQ(found.format, expected.format) << text;
    EXPECT_EQ(found.count, count) << text;
    const bool made = expected.format && limit && count <= *limit;
    ASSERT_EQ(found.snippets.has_value(), made) << text;
    if (made) {
      EXPECT_EQ(fields(*found.snippets), snippets) << text;
    }
  }
  for (const auto& [format, all] :
       {std::pair(F::raycast, expected.raycast), std::pair(F::alfred, expected.alfred)}) {
    if (!all.empty()) {
      const import_internal::JSONExport over =
          import_internal::jsonExport(text, format, all.size() - 1);
      EXPECT_FALSE(over.snippets) << text;
      EXPECT_EQ(over.count, all.size()) << text;
      // Exactly as many as the limit: made, whether or not the braces had them counted first.
      const import_internal::JSONExport fits =
          import_internal::jsonExport(text, format, all.size());
      ASSERT_TRUE(fits.snippets) << text;
      EXPECT_EQ(fields(*fits.snippets), all) << text;
    }
  }
}

// What the importer does to a reader's snippets: newlines normalised, placeholders translated.
void translate(std::vector<ImportedSnippet>& snippets, PlaceholderSyntax syntax) {
  for (ImportedSnippet& snippet : snippets) {
    auto translation = PlaceholderTranslator::translate(
        PlainTextSplitter::normalisedNewlines(snippet.body), syntax);
    snippet.body = std::move(translation.body);
    snippet.warnings.insert(snippet.warnings.end(), translation.warnings.begin(),
                            translation.warnings.end());
  }
}

// The importer of a ".json" file as it read the tree: a failure is malformed at the failing
// line, a success the tool's snippets with their newlines normalised and placeholders
// translated. None for a text the sniffer does not take for JSON.
std::optional<Result<SnippetImporter::Parsed, ImportError>> importedThroughTheTree(
    std::string_view text) {
  std::string_view head = text.substr(text.starts_with("\xEF\xBB\xBF") ? 3 : 0);
  text = head;
  head.remove_prefix(std::min(head.find_first_not_of(" \n\r\t"), head.size()));
  if (!head.starts_with("[") && !head.starts_with("{")) return std::nullopt;
  Json tree;
  try {
    tree = json::parse(text);
  } catch (const DecodingError& error) {
    const std::size_t offset = std::min(error.offset().value_or(0), text.size());
    const auto line = 1 + std::count(text.begin(), text.begin() + std::ptrdiff_t(offset), '\n');
    return ImportError::malformed(
        head.starts_with("{") ? F::alfred : F::raycast,
        error.offset() ? std::optional<std::int64_t>(line) : std::nullopt);
  }
  const bool raycast = RaycastParser::looksLikeRaycast(tree);
  if (!raycast && !AlfredParser::looksLikeAlfred(tree)) return ImportError::notASnippetExport();
  const F format = raycast ? F::raycast : F::alfred;
  SnippetImporter::Parsed parsed{format, std::string(*toolName(format)),
                                 std::string(*toolName(format)) + " snippets",
                                 raycast ? RaycastParser::parse(tree) : AlfredParser::parse(tree)};
  translate(parsed.snippets, PlaceholderSyntax::braces);
  return parsed;
}

TEST(JSONExportsTest, TextReadingAgreesWithTheTree) {
  ExportWriter writer(10105);
  int read = 0, recognised = 0;
  for (int round = 0; round < 6000; ++round) {
    const std::string text = writer.document();
    const Outcome expected = throughTheTree(text);
    ASSERT_EQ(straightFromTheText(text), expected) << text;
    if (const auto* reading = std::get_if<Reading>(&expected)) {
      ++read;
      recognised += reading->format.has_value();
      expectOneReadingGivesTheExport(text, *reading);
    } else {
      // Past its limit a reader still finds the failure, wherever it is.
      EXPECT_EQ(outcome([&] {
                  import_internal::jsonExport(text, 0);
                  return Reading{};
                }),
                expected)
          << text;
    }
    const auto reference = importedThroughTheTree(text);
    if (!reference) continue;
    const auto imported =
        SnippetImporter::parse(std::string_view(text), "export.json", std::nullopt);
    ASSERT_EQ(imported.hasValue(), reference->hasValue()) << text;
    if (!imported) {
      EXPECT_EQ(imported.error(), reference->error()) << text;
    } else {
      EXPECT_EQ(imported->format, (*reference)->format);
      EXPECT_EQ(fields(imported->snippets), fields((*reference)->snippets)) << text;
    }
  }
  // Enough of every kind: texts that read, exports among them, and failures.
  EXPECT_GT(read, 2500);
  EXPECT_GT(recognised, 600);
  EXPECT_LT(read, 4000);
}

// Text-replacement lists as the system writes them and as people edit them: entries with and
// without their keys, keys twice, values of other kinds, elements that are no entry, comments,
// CDATA and references, and prologs only the document reader reads.
class ListWriter : public Writer {
 public:
  using Writer::Writer;

  std::string document() {
    std::string root = "<array>";
    for (int i = upTo(6); i > 0; --i) root += gap() + element();
    root += gap() + "</array>";
    if (upTo(8) == 0) root = pick({"<dict/>", "<string>x</string>", "<array/>"});
    if (upTo(2) == 0) root = "<plist version=\"1.0\">" + gap() + root + gap() + "</plist>";
    const std::string prolog =
        pick({"", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
              "<?xml version=\"1.0\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n",
              "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e \"x\">]>",
              "<?xml version=\"1.0\"?><!-- list -->", "<?xml version=\"1.0\"?><?tool x?>"});
    return perhapsBroken(prolog + root + gap(), {"<", ">", "&", "/", "x", "\xFF"},
                         {"x", "<array/>", "<!--"});
  }

 private:
  std::string gap() { return pick({"", "\n", "\n\t", " <!-- - --> "}); }

  std::string element() {
    if (upTo(4) == 0) return value();
    std::string entry = "<dict>";
    for (int i = upTo(4); i > 0; --i) {
      entry += gap() + "<key>" + pick({"phrase", "shortcut", "phrase", "shortcut", "Phrase", "x"}) +
               "</key>" + gap() + value();
    }
    return entry + gap() + "</dict>";
  }

  std::string value() {
    switch (upTo(6)) {
      case 0:
      case 1:
      case 2:
        return "<string>" +
               pick({"On my way!", "", "  ", "a\r\nb", "&amp;&lt;&#233;&#x1F600;", "&e;",
                     "a<!-- c -->b", "<![CDATA[<x>&amp;]]>", "%x {y}", "&#0;"}) +
               "</string>";
      case 3:
        return pick(
            {"<string/>", "<true/>", "<integer>5</integer>", "<date>2001-01-01T00:00:00Z</date>"});
      case 4:
        return "<array>" + (upTo(2) ? element() : "") + "</array>";
      default:
        return element();
    }
  }
};

struct ListReading {
  bool recognised;
  std::vector<Fields> snippets;
  friend bool operator==(const ListReading&, const ListReading&) = default;
};
// The reading, or the refusal's message.
using ListOutcome = std::variant<ListReading, std::string>;

template <class Read>
ListOutcome listOutcome(const Read& read) {
  try {
    return read();
  } catch (const PropertyListError& error) {
    return std::string(error.what());
  }
}

TEST(TextReplacementsTest, EntryByEntryReadingAgreesWithTheTree) {
  ListWriter writer(10106);
  int read = 0, recognised = 0;
  for (int round = 0; round < 6000; ++round) {
    const std::string text = writer.document();
    const ListOutcome expected = listOutcome([&] {
      const PropertyListValue tree = PropertyList::read(text);
      return ListReading{ApplePlistParser::looksLikeTextReplacements(tree),
                         fields(ApplePlistParser::parse(tree))};
    });
    const auto* reading = std::get_if<ListReading>(&expected);
    const std::size_t count = reading ? reading->snippets.size() : 0;
    read += reading != nullptr;
    recognised += reading && reading->recognised;
    // Made in full, past a limit, only when recognised, or only counted.
    for (const auto& [limit, recognisedOnly] :
         {std::pair(std::optional<std::size_t>(count), false),
          std::pair(std::optional(count - 1), false), std::pair(std::optional(count), true),
          std::pair(std::optional<std::size_t>(), false)}) {
      const ListOutcome found = listOutcome([&] {
        const auto list = import_internal::textReplacements(text, limit, recognisedOnly);
        const bool made = limit && count <= *limit && (list.recognised || !recognisedOnly);
        EXPECT_EQ(list.snippets.has_value(), made) << text;
        EXPECT_EQ(list.count, count) << text;
        return ListReading{list.recognised,
                           list.snippets ? fields(*list.snippets) : reading->snippets};
      });
      ASSERT_EQ(found, expected) << text;
    }
    // The importer: sniffed by its head, or read when forced.
    auto snippets = reading ? ApplePlistParser::parse(PropertyList::read(text))
                            : std::vector<ImportedSnippet>();
    translate(snippets, PlaceholderSyntax::none);
    const auto forced = SnippetImporter::parse(std::string_view(text), "x", F::textReplacements);
    EXPECT_EQ(forced ? fields(forced->snippets) : std::vector<Fields>(), fields(snippets)) << text;
    EXPECT_EQ(forced.hasValue(), reading != nullptr) << text;
    if (text.starts_with("<?xml") || text.starts_with("<plist")) {
      const auto sniffed = SnippetImporter::parse(std::string_view(text), "x", std::nullopt);
      EXPECT_EQ(sniffed.hasValue(), reading && reading->recognised) << text;
    }
  }
  EXPECT_GT(read, 4000);
  EXPECT_GT(recognised, 300);
  EXPECT_LT(read, 5300);
}

}  // namespace
}  // namespace kelvo
