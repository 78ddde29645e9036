#include "platform/widgetkit/SVGWriter.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvo::widgetkit {
namespace {

TEST(SVGWriterTest, WritesElementsShortNumbersAndEscapedText) {
  SVGWriter writer;
  writer.open("g");
  writer.attribute("x", 12.0);
  writer.open("text");
  writer.attribute("y", 0.5);
  writer.text("Fill a form");
  writer.close("text");
  writer.open("rect");
  writer.close("rect");
  writer.close("g");
  EXPECT_EQ(writer.take(), R"(<g x="12"><text y="0.5">Fill a form</text><rect/></g>)");

  EXPECT_EQ(SVGWriter::number(3.14159), "3.142");
  EXPECT_EQ(SVGWriter::number(-0.0001), "0");
  EXPECT_EQ(SVGWriter::number(std::nan("")), "0");
  EXPECT_EQ(SVGWriter::number(INFINITY), "0");
  EXPECT_EQ(SVGWriter::number(-2.5), "-2.5");

  // Text is escaped whatever it holds.
  EXPECT_EQ(SVGWriter::escaped(R"(<a href="x">&'</a>)"),
            "&lt;a href=&quot;x&quot;&gt;&amp;&apos;&lt;/a&gt;");
  // Characters XML cannot carry are dropped; bytes that are not UTF-8 become U+FFFD.
  EXPECT_EQ(SVGWriter::escaped(std::string("a\0b\x01\x1f"
                                           "c",
                                           6)),
            "abc");
  EXPECT_EQ(SVGWriter::escaped("x\xff\xc3"), "x\uFFFD\uFFFD");
  EXPECT_EQ(SVGWriter::escaped("\xef\xbf\xbe"), "");  // U+FFFE
  EXPECT_EQ(SVGWriter::escaped("line\nbreak\ttab"), "line&#10;break&#9;tab");
}

}  // namespace
}  // namespace kelvo::widgetkit
