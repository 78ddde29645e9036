#include "core/model/CardPayload.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Text.hpp"

namespace kelvo::CardPayload {
namespace {

const kelvo::Bytes pdfBytes = toBytes("%PDF-1.7\n%binary");
const kelvo::Bytes jpegBytes = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};

Snapshot snapshotOf(CardType type, std::string payload,
                    std::optional<kelvo::Bytes> data = std::nullopt,
                    std::optional<std::string> filename = std::nullopt) {
  Snapshot snapshot;
  snapshot.type = type;
  snapshot.payload = std::move(payload);
  snapshot.filename = std::move(filename);
  snapshot.data = std::move(data);
  return snapshot;
}

TEST(CardPayloadTest, UnavailabilityTexts) {
  const auto heic = Unavailability::undecodable(Format::heic());
  EXPECT_EQ(heic.title(), "Kelvo can't read this file");
  EXPECT_EQ(heic.message(),
            "The HEIC file is here, but nothing on this device could open it. You can still "
            "share it to an app that can.");
  EXPECT_EQ(heic.clause(), "nothing here can read a HEIC file");
  EXPECT_TRUE(heic.hasBytes());
  EXPECT_EQ(Unavailability::missing().message(),
            "The card is here but its contents aren't. Open Kelvo on the device you kept it on, "
            "or keep the file again.");
  for (const auto& reason :
       {Unavailability::notDownloaded(), Unavailability::missing(), Unavailability::empty()}) {
    EXPECT_FALSE(reason.hasBytes());
  }
}

TEST(CardPayloadTest, ContentOfTextFactAndByteCards) {
  // Text and fact cards present their payload whatever else the snapshot says.
  auto text = snapshotOf(CardType::text, "Dear {name}", pdfBytes);
  text.isPayloadAvailable = false;
  EXPECT_EQ(content(text), Content{Content::Text{"Dear {name}"}});
  EXPECT_EQ(content(text).bytes(), nullptr);

  auto unavailable = snapshotOf(CardType::image, "", jpegBytes);
  unavailable.isPayloadAvailable = false;
  EXPECT_EQ(content(unavailable), Content{Content::Unavailable{Unavailability::notDownloaded()}});

  auto absent = snapshotOf(CardType::image, "photo.jpg");
  EXPECT_EQ(content(absent), Content{Content::Unavailable{Unavailability::missing()}});
  absent.canReceiveFromCloud = true;
  EXPECT_EQ(content(absent), Content{Content::Unavailable{Unavailability::notDownloaded()}});

  const auto empty = snapshotOf(CardType::image, "Photo", kelvo::Bytes{});
  EXPECT_EQ(content(empty), Content{Content::Unavailable{Unavailability::empty()}});
  const Copy refused = copyAction(empty);
  EXPECT_FALSE(refused.didCopy());
  EXPECT_EQ(refused.confirmation("Photo"), "Couldn't copy Photo — there's nothing in the file");

  // A file card holding PDF bytes is a PDF, whatever its name says.
  const auto invoice = snapshotOf(CardType::file, "invoice.png", pdfBytes, "invoice.png");
  const Content shown = content(invoice);
  ASSERT_TRUE(std::holds_alternative<Content::PDF>(shown.value));
  EXPECT_EQ(shown.bytes()->data, pdfBytes);
  EXPECT_EQ(shown.bytes()->filename, "invoice.png.pdf");

  // Unrecognised bytes fall back to the file name's extension, then to the payload's.
  const auto named = snapshotOf(CardType::document, "scan.gif", toBytes("????"), "scan.png");
  EXPECT_TRUE(std::holds_alternative<Content::Image>(content(named).value));
  EXPECT_EQ(content(named).bytes()->format, Format::png());
  const auto byPayload = snapshotOf(CardType::file, "scan.gif", toBytes("????"));
  EXPECT_EQ(content(byPayload).bytes()->format, Format::gif());
  const auto plain = snapshotOf(CardType::file, "notes", toBytes("plain words"));
  const Content other = content(plain);
  ASSERT_TRUE(std::holds_alternative<Content::OtherFile>(other.value));
  EXPECT_EQ(other.bytes()->filename, "notes");
}

TEST(CardPayloadTest, CopyAndShare) {
  const auto letter = snapshotOf(CardType::text, "Dear {name}");
  const Copy blanks = copyAction(letter);
  EXPECT_EQ(blanks, Copy{Copy::NeedsFill{}});
  EXPECT_FALSE(blanks.didCopy());
  EXPECT_EQ(blanks.confirmation("Letter"), "Fill in Letter before copying it");
  EXPECT_EQ(shareAction(letter), Share{Share::Text{"Dear {name}"}});

  const auto fact = snapshotOf(CardType::fact, "Dear {name}");
  const Copy copied = copyAction(fact);
  EXPECT_EQ(copied, Copy{Copy::Text{"Dear {name}"}});
  EXPECT_TRUE(copied.didCopy());
  EXPECT_EQ(copied.confirmation("Address"), "Copied Address");
  // An escaped brace is no blank.
  EXPECT_EQ(copyAction(snapshotOf(CardType::text, "a \\{b}")), Copy{Copy::Text{"a \\{b}"}});

  const auto invoice = snapshotOf(CardType::file, "Invoice", pdfBytes);
  const Copy file = copyAction(invoice);
  ASSERT_TRUE(std::holds_alternative<Copy::File>(file.value));
  EXPECT_EQ(file.confirmation("Invoice"), "Copied Invoice as a PDF file");
  const Share shared = shareAction(invoice);
  ASSERT_TRUE(std::holds_alternative<Share::File>(shared.value));
  EXPECT_TRUE(shared.isPossible());

  const Copy image = copyAction(snapshotOf(CardType::image, "Cat", jpegBytes));
  ASSERT_TRUE(std::holds_alternative<Copy::Image>(image.value));
  EXPECT_EQ(image.confirmation("Cat"), "Copied Cat as an image");
  // The title goes in unchanged, even when it looks like a format.
  EXPECT_EQ(image.confirmation("100%@"), "Copied 100%@ as an image");

  const auto missing = snapshotOf(CardType::file, "Invoice");
  auto waiting = missing;
  waiting.canReceiveFromCloud = true;
  EXPECT_EQ(copyAction(waiting).confirmation("Invoice"),
            "Couldn't copy Invoice — its file is not available on this device");
  EXPECT_EQ(shareAction(missing), Share{Share::Unavailable{Unavailability::missing()}});
  EXPECT_FALSE(shareAction(missing).isPossible());
}

TEST(CardPayloadTest, ExportFilenames) {
  EXPECT_EQ(exportFilename(std::nullopt, "", Format::png()), "Kelvo file.png");
  EXPECT_EQ(exportFilename("a/b:c.txt", "", Format::opaque("txt")), "b-c.txt");
  EXPECT_EQ(exportFilename("IMG.JPEG", "", Format::jpeg()), "IMG.JPEG");
  EXPECT_EQ(exportFilename("scan.png", "", Format::jpeg()), "scan.png.jpg");
  EXPECT_EQ(exportFilename(" .hidden. ", "", Format::pdf()), "hidden.pdf");
  EXPECT_EQ(exportFilename("notes", "", Format::opaque("")), "notes");
  EXPECT_EQ(exportFilename("tab\there\x7F", "", Format::opaque("")), "tab-here-");
  // A name that cleans to nothing gives way to the payload, then to "Kelvo file"; a name of
  // slashes is no path to export under.
  EXPECT_EQ(exportFilename("...", "Invoice March", Format::pdf()), "Invoice March.pdf");
  EXPECT_EQ(exportFilename("/", "", Format::png()), "Kelvo file.png");
  EXPECT_EQ(exportFilename("//", "///", Format::png()), "Kelvo file.png");
  EXPECT_EQ(exportFilename("dir/", "", Format::png()), "dir.png");
  // An extension taken from a name is as safe as the name.
  EXPECT_EQ(exportFilename("notes", "", Format::opaque("t:x\n")), "notes.t-x-");
  EXPECT_EQ(exportFilename("notes.t-x-", "", Format::opaque("t:x\n")), "notes.t-x-");
  EXPECT_EQ(exportFilename("notes", "", Format::opaque("../b")), "notes...-b");
  // Bytes that are not UTF-8 never reach a file name.
  EXPECT_EQ(exportFilename("a\xFF"
                           "b",
                           "", Format::opaque("")),
            "a\uFFFD"
            "b");

  // A 300-byte stem is cut to fit 200 bytes beside its extension.
  const std::string stem(300, 's');
  EXPECT_EQ(exportFilename(stem + ".pdf", "", Format::pdf()), stem.substr(0, 196) + ".pdf");
  // A character that does not fit goes whole: 65 euro signs (195 bytes) and ".pdf".
  std::string euros;
  for (int i = 0; i < 100; ++i) euros += "€";
  const std::string cut = exportFilename(euros + ".pdf", "", Format::pdf());
  EXPECT_EQ(cut.size(), 199u);
  EXPECT_EQ(text::characterCount(cut), 69u);
  EXPECT_TRUE(cut.ends_with("€.pdf"));
  // An extension too long to leave room for the stem: the whole name is cut instead.
  const std::string longExtension(250, 'x');
  const std::string whole = exportFilename("a." + longExtension, "", Format::opaque(longExtension));
  EXPECT_EQ(whole.size(), 200u);
  EXPECT_EQ(whole.substr(0, 3), "a.x");
  // One character of hundreds of marks is cut between its scalars, never inside one.
  std::string marked = "e";
  for (int i = 0; i < 150; ++i) marked += "\u0301";
  const std::string accents = exportFilename(marked, "", Format::opaque(""));
  EXPECT_EQ(accents.size(), 199u);
  EXPECT_EQ(text::characterCount(accents), 1u);
}

TEST(CardPayloadTest, ExtractedTextAndThumbnails) {
  EXPECT_EQ(normalizedExtractedText(" \n\t "), std::nullopt);
  EXPECT_EQ(normalizedExtractedText("  words \n"), "words");
  std::string accented;
  for (int i = 0; i < 40'001; ++i) accented += "e\u0301";
  const auto kept = normalizedExtractedText("\n" + accented + " ");
  ASSERT_TRUE(kept);
  EXPECT_EQ(text::characterCount(*kept), 40'000u);
  EXPECT_EQ(kept->size(), 40'000u * 3);
  const std::string exact(40'000, 'a');
  EXPECT_EQ(normalizedExtractedText(exact + "  "), exact);

  EXPECT_FALSE(Thumbnail::canStore(kelvo::Bytes{}));
  EXPECT_TRUE(Thumbnail::canStore(kelvo::Bytes(98'304)));
  EXPECT_FALSE(Thumbnail::canStore(kelvo::Bytes(98'305)));
}

}  // namespace
}  // namespace kelvo::CardPayload
