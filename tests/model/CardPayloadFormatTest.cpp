#include "core/model/CardPayloadFormat.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Bytes.hpp"

namespace kelvo::CardPayload {
namespace {

Bytes bytes(std::initializer_list<int> values) {
  Bytes out;
  for (int value : values) out.push_back(static_cast<std::uint8_t>(value));
  return out;
}

// `head` at offset 0 and `tail` at offset 8 of 16 blanks, cut to `size` bytes.
Bytes container(std::string_view head, std::string_view tail, std::size_t size = 16) {
  Bytes out(16, 0x20);
  std::copy(head.begin(), head.end(), out.begin());
  std::copy(tail.begin(), tail.end(), out.begin() + 8);
  out.resize(size);
  return out;
}

std::optional<Format> sniff(const Bytes& data) { return Format::sniff(data); }

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

  Bytes heic = bytes({0x00, 0x00, 0x00, 0x18});
  for (char c : std::string_view("ftypheic")) heic.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(sniff(heic), Format::heic());
  Bytes avif(heic.begin(), heic.begin() + 8);
  for (char c : std::string_view("avif")) avif.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(sniff(avif), std::nullopt);
  // A brand cut short by the end of the data is no brand.
  EXPECT_EQ(sniff(Bytes(heic.begin(), heic.begin() + 11)), std::nullopt);

  // Only the first sixteen bytes are looked at.
  Bytes late(16, 0);
  for (char c : std::string_view("%PDF-")) late.push_back(static_cast<std::uint8_t>(c));
  EXPECT_EQ(sniff(late), std::nullopt);
  EXPECT_EQ(sniff({}), std::nullopt);
}

TEST(CardPayloadFormatTest, ResolvingPrefersBytesOverNames) {
  EXPECT_EQ(Format::resolve("photo.PNG", std::nullopt), Format::png());
  EXPECT_EQ(Format::resolve(std::nullopt, std::nullopt), Format::opaque(""));
  const Bytes pdf = toBytes("%PDF-1.4\n");
  EXPECT_EQ(Format::resolve("x.png", pdf), Format::pdf());
  // Unrecognised bytes leave the decision to the name.
  EXPECT_EQ(Format::resolve("notes.TXT", toBytes("hello world")), Format::opaque("txt"));
  EXPECT_EQ(Format::resolve("archive.tar.gz", std::nullopt), Format::opaque("gz"));
  EXPECT_EQ(Format::resolve("folder.png/README", std::nullopt), Format::opaque(""));
  EXPECT_EQ(Format::forExtension("HEIF"), Format::heic());
  EXPECT_EQ(Format::forExtension(" png"), Format::opaque(" png"));
}

}  // namespace
}  // namespace kelvo::CardPayload
