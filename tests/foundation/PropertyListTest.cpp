#include "platform/foundation/PropertyList.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/foundation/JSON.hpp"

namespace kelvo {
namespace {

using Value = PropertyListValue;

TEST(PropertyListTest, ReadsEveryKindOfValue) {
  const Value root = PropertyList::read(R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<!DOCTYPE plist SYSTEM "file:///etc/passwd" [<!ENTITY e "x">]>
<plist version="1.0"><dict>
  <key>t</key><true/> <key>f</key><false/>
  <key>i</key><integer>-9223372036854775808</integer>
  <key>r</key><real> 2.5 </real>
  <key>d</key><date>2001-01-02T00:00:01Z</date>
  <key>b</key><data> AAEC
    /w== </data>
  <key>s</key><string> a <!-- note --> b&amp;&#233;&e;<![CDATA[<c>]]></string>
  <key>sp</key><string>   </string>
  <key>empty</key><string/>
  <key>a</key><array><integer>1</integer><array/></array>
  <key>i</key><integer>7</integer>
</dict></plist>)");
  const Value::Dictionary expected{
      {"t", Value(true)},
      {"f", Value(false)},
      {"i", Value(std::int64_t{7})},
      {"r", Value(2.5)},
      {"d", Value(Date(86'401))},
      {"b", Value(Bytes{0, 1, 2, 255})},
      {"s", Value(std::string(" a  b&\u00e9&e;<c>"))},
      {"sp", Value(std::string("   "))},
      {"empty", Value(std::string())},
      {"a", Value(Value::Array{Value(std::int64_t{1}), Value(Value::Array{})})},
  };
  EXPECT_EQ(root.dictionary(), expected);
  EXPECT_EQ(PropertyList::read("<string>x</string>").string(), "x");
  EXPECT_EQ(root.find("missing"), nullptr);
  EXPECT_EQ(root.find("a")->find("x"), nullptr);
}

TEST(PropertyListTest, RefusesWhatIsNoPropertyList) {
  std::string nested;
  for (int i = 0; i < 600; ++i) nested += "<array>";
  for (int i = 0; i < 600; ++i) nested += "</array>";
  std::string allowed;
  for (int i = 0; i < PropertyList::maximumDepth; ++i) allowed += "<array>";
  for (int i = 0; i < PropertyList::maximumDepth; ++i) allowed += "</array>";
  EXPECT_NO_THROW(PropertyList::read(allowed));
  const std::vector<std::string> cases{
      nested,
      "bplist00\xD1\x01\x02",
      "",
      "<plist><array/><array/></plist>",
      "<plist/>",
      "<array>text</array>",
      "<dict><key>a</key></dict>",
      "<dict><string>a</string><true/></dict>",
      "<integer>9223372036854775808</integer>",
      "<integer>1.5</integer>",
      "<real>x</real>",
      "<date>2024-02-30T00:00:00Z</date>",
      "<date>2024-02-01 00:00:00</date>",
      "<data>A</data>",
      "<string><b/></string>",
      "<true>x</true><false/>",
      "<html><body/></html>",
      "<array><plist><true/></plist></array>",
  };
  for (const std::string& text : cases) {
    EXPECT_THROW(PropertyList::read(text), PropertyListError) << text.substr(0, 60);
  }
  // A billion laughs stays unexpanded rather than growing.
  const Value laughs = PropertyList::read(
      "<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
      "<string>&b;&b;</string>");
  EXPECT_EQ(laughs.string(), "&b;&b;");
}

TEST(JSONOffsetTest, FailuresSayWhereReadingStopped) {
  const std::vector<std::pair<std::string, std::size_t>> cases{
      {"[1, 2,]", 6}, {"{\"a\": tru}", 9}, {"[", 1},
      {"", 0},        {"[1]x", 3},         {std::string(600, '['), 512},
  };
  for (const auto& [text, offset] : cases) {
    try {
      (void)json::parse(text);
      ADD_FAILURE() << text;
    } catch (const DecodingError& error) {
      EXPECT_EQ(error.offset(), offset) << text;
    }
  }
  try {
    (void)json::parse("42");
    ADD_FAILURE();
  } catch (const DecodingError& error) {
    EXPECT_FALSE(error.offset());
  }
}

}  // namespace
}  // namespace kelvo
