#include "core/import/ImportFixtures.hpp"

#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

using Fixture = ImportFixtures::Fixture;

Fixture sample(std::string name, std::optional<std::string> filename, std::string_view text) {
  return {std::move(name), std::move(filename), toBytes(text)};
}

std::vector<Fixture> makeAll() {
  std::string thirty;
  for (int n = 1; n <= 30; ++n) {
    if (n > 1) thirty += '\n';
    thirty += "Reply " + std::to_string(n) + ": thanks for reaching out about project " +
              std::to_string(n) + ".";
  }
  std::string bundle("PK\x03\x04", 4);
  bundle.append(26, '\0');
  return {
      sample("raycast", "raycast-snippets.json", R"([
  {"name": "Work email", "text": "ada.quill@example.com", "keyword": "@w"},
  {"name": "Meeting note", "text": "Met on {date format=\"yyyy-MM-dd\"} with {argument name=\"client\" default=\"Acme\"} \u2014 notes follow.\n{cursor}"},
  {"name": "Office address", "text": "12 Example Street, Springfield 00000"}
]
)"),
      sample("text-expander-csv", "Work.csv",
             "abbreviation,snippet,label\n"
             ";greet,\"Hello,\n%filltext:name=First name%\",Greeting\n"
             ";addr,\"12 Example Street, Springfield\",Address\n"
             ";ty,Thanks \u2014 that's kind of you,Thanks"),
      sample("apple-text-replacements", "Text Substitutions.plist",
             R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Example//DTD PLIST 1.0//EN" "http://www.example.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<array>
	<dict>
		<key>phrase</key>
		<string>On my way!</string>
		<key>shortcut</key>
		<string>omw</string>
	</dict>
	<dict>
		<key>phrase</key>
		<string>ada.quill@example.com</string>
		<key>shortcut</key>
		<string>@@</string>
	</dict>
</array>
</plist>
)"),
      sample("alfred-json", "Personal Email [1020A581].json", R"({
  "alfredsnippet" : {
    "snippet" : "ada.quill@example.org {clipboard}",
    "uid" : "1020A581-7C2E-4B9D-8F31-5A6E0D4C2B19",
    "name" : "Personal Email",
    "keyword" : "@p"
  }
}
)"),
      sample("markdown", "snippets.md",
             "# Sign-off\nBest wishes,\nAda\n\n## Follow-up\nJust checking in \u2014 any news?\n"),
      sample("lines", std::nullopt,
             "On my way\nRunning ten minutes late\nCall you back soon\nSounds good to me\n"
             "See you tomorrow"),
      sample("paragraphs", std::nullopt,
             "Hi {name}\nThanks for your order.\n\nYour parcel ships today.\n\nKind regards\nAda"),
      sample("thirty-lines", std::nullopt, thirty),
      sample("folders-csv", "Team snippets.csv",
             "Name;Keyword;Text;Folder\n"
             "Standup;;Yesterday I finished the report.; Work\n"
             "Review;;Could you look at my draft?;Work\n"
             "Handover;;Everything is in the shared folder.;Work\n"
             "Dinner;;Dinner at seven?;Personal\n"
             "Weekend;;Any plans for the weekend?;Personal\n"
             "Misc;;Noted, thanks.;"),
      sample("header-only-csv", "empty.csv", "abbreviation,snippet\n"),
      sample("invalid-utf8", "notes.txt", "\xC3\x28\x41\x42"),
      sample("espanso", "base.yml",
             "matches:\n  - trigger: \":hello\"\n    replace: \"Hello there,\\n{{name}}\"\n"),
      sample("alfred-bundle", "Snippets.alfredsnippets", bundle),
      sample("raycast-broken", "broken.json", "[\n{\"name\": \"a\",\n\"text\": "),
  };
}

}  // namespace

std::string Fixture::text() const { return repairedUtf8(toString(data)); }

const std::vector<Fixture>& ImportFixtures::all() {
  static const std::vector<Fixture> fixtures = makeAll();
  return fixtures;
}

std::optional<Fixture> ImportFixtures::named(std::string_view name) {
  for (const Fixture& fixture : all()) {
    if (fixture.name == name) return fixture;
  }
  return std::nullopt;
}

const Fixture& ImportFixtures::raycast() { return all()[0]; }
const Fixture& ImportFixtures::textExpanderCSV() { return all()[1]; }
const Fixture& ImportFixtures::appleTextReplacements() { return all()[2]; }
const Fixture& ImportFixtures::alfredJSON() { return all()[3]; }
const Fixture& ImportFixtures::markdown() { return all()[4]; }
const Fixture& ImportFixtures::lines() { return all()[5]; }
const Fixture& ImportFixtures::paragraphs() { return all()[6]; }
const Fixture& ImportFixtures::thirtyLines() { return all()[7]; }
const Fixture& ImportFixtures::foldersCSV() { return all()[8]; }
const Fixture& ImportFixtures::headerOnlyCSV() { return all()[9]; }
const Fixture& ImportFixtures::invalidUTF8() { return all()[10]; }
const Fixture& ImportFixtures::espanso() { return all()[11]; }
const Fixture& ImportFixtures::alfredBundle() { return all()[12]; }
const Fixture& ImportFixtures::raycastBroken() { return all()[13]; }

}  // namespace kelvo
