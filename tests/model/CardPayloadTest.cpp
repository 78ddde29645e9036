#include "core/model/CardPayload.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "core/model/Card.hpp"
#include "core/model/CardPayloadFormat.hpp"
#include "core/model/CardPayloadPagination.hpp"
#include "core/model/CloudMirroring.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/model/Library.hpp"

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
  EXPECT_EQ(cut, euros.substr(0, 195) + ".pdf");
  // An extension too long to leave room for the stem: the whole name is cut instead.
  const std::string longExtension(250, 'x');
  const std::string whole = exportFilename("a." + longExtension, "", Format::opaque(longExtension));
  EXPECT_EQ(whole, ("a." + longExtension).substr(0, 200));
  // One character of hundreds of marks is cut between its scalars, never inside one.
  std::string marked = "e";
  for (int i = 0; i < 150; ++i) marked += "\u0301";
  const std::string accents = exportFilename(marked, "", Format::opaque(""));
  EXPECT_EQ(accents, marked.substr(0, 199));
}

TEST(CardPayloadTest, ExtractedTextAndThumbnails) {
  EXPECT_EQ(normalizedExtractedText(" \n\t "), std::nullopt);
  EXPECT_EQ(normalizedExtractedText("  words \n"), "words");
  std::string accented;
  for (int i = 0; i < 40'001; ++i) accented += "e\u0301";
  const auto kept = normalizedExtractedText("\n" + accented + " ");
  EXPECT_EQ(kept, accented.substr(0, 40'000 * 3));
  const std::string exact(40'000, 'a');
  EXPECT_EQ(normalizedExtractedText(exact + "  "), exact);

  EXPECT_FALSE(Thumbnail::canStore(kelvo::Bytes{}));
  EXPECT_TRUE(Thumbnail::canStore(kelvo::Bytes(98'304)));
  EXPECT_FALSE(Thumbnail::canStore(kelvo::Bytes(98'305)));
}

kelvo::Bytes bytes(std::initializer_list<int> values) {
  kelvo::Bytes out;
  for (int value : values) out.push_back(static_cast<std::uint8_t>(value));
  return out;
}

// `head` at offset 0 and `tail` at offset 8 of 16 blanks, cut to `size` bytes.
kelvo::Bytes container(std::string_view head, std::string_view tail, std::size_t size = 16) {
  kelvo::Bytes out(16, 0x20);
  std::copy(head.begin(), head.end(), out.begin());
  std::copy(tail.begin(), tail.end(), out.begin() + 8);
  out.resize(size);
  return out;
}

std::optional<Format> sniff(const kelvo::Bytes& data) { return Format::sniff(data); }

TEST(CardPayloadFormatTest, SniffingByLeadingBytes) {
  // Fewer than four bytes say nothing, whatever they hold.
  EXPECT_EQ(sniff(bytes({0xFF, 0xD8, 0xFF})), std::nullopt);
  EXPECT_EQ(sniff(bytes({0xFF, 0xD8, 0xFF, 0xE0})), Format::jpeg());
  EXPECT_EQ(sniff(bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})), Format::png());
  EXPECT_EQ(sniff(bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A})), std::nullopt);
  EXPECT_EQ(sniff(toBytes("%PDF-1.7")), Format::pdf());
  EXPECT_EQ(sniff(toBytes("%PDF")), std::nullopt);
  EXPECT_EQ(sniff(bytes({0x4D, 0x4D, 0x00, 0x2A})), Format::tiff());

  EXPECT_EQ(sniff(container("RIFF", "WAVE")), std::nullopt);
  EXPECT_EQ(sniff(container("RIFF", "WEBP", 12)), Format::webp());
  EXPECT_EQ(sniff(container("RIFF", "WEBP", 11)), std::nullopt);

  kelvo::Bytes heic = bytes({0x00, 0x00, 0x00, 0x18});
  for (char c : std::string_view("ftypheic")) heic.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(sniff(heic), Format::heic());
  kelvo::Bytes avif(heic.begin(), heic.begin() + 8);
  for (char c : std::string_view("avif")) avif.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(sniff(avif), std::nullopt);
  // A brand cut short by the end of the data is no brand.
  EXPECT_EQ(sniff(kelvo::Bytes(heic.begin(), heic.begin() + 11)), std::nullopt);

  // Only the first sixteen bytes are looked at.
  kelvo::Bytes late(16, 0);
  for (char c : std::string_view("%PDF-")) late.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(sniff(late), std::nullopt);
  EXPECT_EQ(sniff({}), std::nullopt);
}

TEST(CardPayloadFormatTest, ResolvingPrefersBytesOverNames) {
  EXPECT_EQ(Format::resolve("photo.PNG", std::nullopt), Format::png());
  EXPECT_EQ(Format::resolve(std::nullopt, std::nullopt), Format::opaque(""));
  const kelvo::Bytes pdf = toBytes("%PDF-1.4\n");
  EXPECT_EQ(Format::resolve("x.png", pdf), Format::pdf());
  // Unrecognised bytes leave the decision to the name.
  EXPECT_EQ(Format::resolve("notes.TXT", toBytes("hello world")), Format::opaque("txt"));
  EXPECT_EQ(Format::resolve("archive.tar.gz", std::nullopt), Format::opaque("gz"));
  EXPECT_EQ(Format::resolve("folder.png/README", std::nullopt), Format::opaque(""));
  EXPECT_EQ(Format::forExtension("HEIF"), Format::heic());
  EXPECT_EQ(Format::forExtension(" png"), Format::opaque(" png"));
}

TEST(CardPayloadPaginationTest, IndexLabelAndStorableCount) {
  Pagination pages(5, 9);
  EXPECT_EQ(pages.pageIndex(), 4);
  EXPECT_FALSE(pages.canGoForward());
  pages.goForward();
  EXPECT_EQ(pages.pageIndex(), 4);
  pages.go(-1);
  pages.goBack();
  EXPECT_EQ(pages.pageIndex(), 0);
  pages.go(std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(pages.pageIndex(), 4);

  Pagination negative(-2, -5);
  EXPECT_EQ(negative.pageCount(), 0);
  negative.go(3);
  EXPECT_EQ(negative.pageIndex(), 0);
  EXPECT_EQ(negative.label(), std::nullopt);
  const Pagination single(1, 0);
  EXPECT_TRUE(single.hasPages());
  EXPECT_FALSE(single.isPaged());

  EXPECT_EQ(Pagination(1'500, 1'233).label(), "Page 1,234 of 1,500");
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(Pagination(1'500, 1'233).label(), "Page 1.234 of 1.500");

  EXPECT_EQ(Pagination::storable(0), std::nullopt);
  EXPECT_EQ(Pagination::storable(3), 3);
}

}  // namespace
}  // namespace kelvo::CardPayload

namespace kelvo {
namespace {

using CardPayload::Content;
using CardPayload::Share;
using CardPayload::Unavailability;

const Bytes pdfBytes = toBytes("%PDF-1.7\n");

// Turns cloud mirroring on for one scope, and off again after it.
struct Mirroring {
  Mirroring() { CloudMirroring::setConfigured(true); }
  ~Mirroring() { CloudMirroring::setConfigured(false); }
};

std::shared_ptr<Card> byteCard(testing::Library& library, CardType type, std::string title,
                               std::optional<Bytes> data, std::optional<std::string> filename) {
  return Card::make({.id = UUID::random(),
                     .type = type,
                     .title = title,
                     .payload = filename.value_or(title),
                     .payloadData = std::move(data),
                     .filename = std::move(filename),
                     .shelf = library.shelf("Inbox")});
}

TEST(CardPayloadAccessTest, SnapshotsReadTheCardAsItIsNow) {
  testing::Library library;
  auto invoice = byteCard(library, CardType::file, "Invoice", pdfBytes, "invoice.png");
  const auto snapshot = invoice->payloadSnapshot();
  EXPECT_EQ(snapshot.filename, "invoice.png");
  EXPECT_EQ(snapshot.data, pdfBytes);
  EXPECT_FALSE(snapshot.canReceiveFromCloud);
  {
    const Mirroring mirroring;
    EXPECT_TRUE(invoice->payloadSnapshot().canReceiveFromCloud);
  }
  EXPECT_TRUE(std::holds_alternative<Share::File>(invoice->shareAction().value));

  // A stored type that is no card type is judged as a file, by its bytes.
  invoice->setTypeRaw("video");
  EXPECT_EQ(invoice->payloadSnapshot().type, CardType::file);
  EXPECT_TRUE(std::holds_alternative<Content::PDF>(invoice->payloadContent().value));

  // The bytes of a trashed card, or one the store no longer holds, are never read.
  invoice->setDeletedAt(testing::day(1));
  EXPECT_EQ(invoice->payloadSnapshot().data, std::nullopt);
  EXPECT_EQ(invoice->payloadContent(), Content{Content::Unavailable{Unavailability::missing()}});
  auto loose = Card::make({.id = UUID::random(), .type = CardType::image, .payloadData = pdfBytes});
  EXPECT_EQ(loose->payloadSnapshot().data, std::nullopt);
}

TEST(CardPayloadAccessTest, MissingBytesAreExplained) {
  testing::Library library;
  auto flagged = byteCard(library, CardType::image, "Photo", toBytes("GIF89a"), "photo.gif");
  flagged->setIsPayloadAvailable(false);
  library.context().save();
  EXPECT_EQ(flagged->payloadSnapshot().data, std::nullopt);

  auto absent = byteCard(library, CardType::image, "Photo", std::nullopt, "photo.gif");
  EXPECT_EQ(absent->copyAction().confirmation("Photo"),
            "Couldn't copy Photo — its contents aren't on this device");
}

}  // namespace
}  // namespace kelvo
