#include "platform/foundation/Utf.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kelvo {
namespace {

using namespace std::string_literals;

TEST(UtfTest, StrictUtf8RefusesEveryIllFormedSequence) {
  EXPECT_EQ(decodeUtf8("\xEF\xBB\xBF\xEF\xBB\xBF"), "\xEF\xBB\xBF");  // only the first mark goes
  EXPECT_EQ(decodeUtf8("\xF4\x8F\xBF\xBF"), "\xF4\x8F\xBF\xBF");      // U+10FFFF
  EXPECT_EQ(decodeUtf8("a\0b"s), "a\0b"s);
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xE2\x82", "\x80", "\xFF", "abc\xC3", "\xF5\x80\x80\x80"}) {
    EXPECT_FALSE(decodeUtf8(bad)) << bad;
    EXPECT_FALSE(isValidUtf8(bad)) << bad;
  }
}

TEST(UtfTest, LossyUtf8ReplacesEachMaximalSubpart) {
  // The example of the Unicode standard (U+FFFD substitution of maximal subparts).
  EXPECT_EQ(decodeUtf8Lossy("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"),
            "a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd");
  EXPECT_EQ(decodeUtf8Lossy("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");  // no surrogates
  EXPECT_EQ(decodeUtf8Lossy("\xEF\xBB\xBFok"), "ok");
  EXPECT_TRUE(isValidUtf8(decodeUtf8Lossy("\xC3\x28\xF0\x9F\x98")));
}

TEST(UtfTest, RepairingKeepsTheByteOrderMark) {
  EXPECT_EQ(repairedUtf8("\xEF\xBB\xBF"
                         "a\xC3(\xE2\x82"),
            "\xEF\xBB\xBF"
            "a\uFFFD(\uFFFD");
  EXPECT_EQ(repairedUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(UtfTest, Utf16FollowsItsByteOrderMark) {
  EXPECT_EQ(decodeUtf16("\xFE\xFF\x00K\x00\xE9"s), "K\xC3\xA9");
  EXPECT_EQ(decodeUtf16("\xFF\xFEK\x00\xE9\x00"s), "K\xC3\xA9");
  EXPECT_EQ(decodeUtf16("\x00K"s), "K");  // big-endian without a mark
  EXPECT_EQ(decodeUtf16("K\x00"s, ByteOrder::littleEndian), "K");
  EXPECT_EQ(decodeUtf16("\xD8\x3D\xDE\x00"s), "\xF0\x9F\x98\x80");  // surrogate pair
  EXPECT_FALSE(decodeUtf16("\xD8\x3D\x00K"s));                      // unpaired high surrogate
  EXPECT_FALSE(decodeUtf16("\xDE\x00"s));                           // lone low surrogate
  EXPECT_FALSE(decodeUtf16("\x00K\x00"s));                          // odd byte
  EXPECT_EQ(decodeUtf16Lossy("\xD8\x3D\x00K\xDE\x00\x00"s), "\uFFFDK\uFFFD\uFFFD");
}

TEST(UtfTest, ScalarsRoundTrip) {
  const std::string text = "a\xC3\xA9\xE6\x9D\xB1\xF0\x9F\x98\x80\xFF";
  std::vector<char32_t> scalars;
  for (std::size_t offset = 0; offset < text.size();) scalars.push_back(nextScalar(text, offset));
  EXPECT_EQ(scalars, (std::vector<char32_t>{U'a', U'é', U'東', U'😀', 0xFFFD}));
  std::string rebuilt;
  for (const char32_t scalar : {char32_t{0xD800}, char32_t{0x110000}}) appendUtf8(rebuilt, scalar);
  EXPECT_EQ(rebuilt, "\uFFFD\uFFFD");
}

}  // namespace
}  // namespace kelvo
