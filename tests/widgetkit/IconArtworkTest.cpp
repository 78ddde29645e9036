#include "platform/widgetkit/IconArtwork.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TestSupport.hpp"

namespace kelvo::widgetkit {
namespace {

constexpr std::string_view glass =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 256 256" fill="currentColor">)"
    R"(<path d="M229.66,218.34l-50.07-50.06Z"/><path d="M1,2Z" opacity="0.2"/></svg>)";

const RGBA blue{0, 0, 1, 1};

TEST(IconArtworkTest, KeepsShapesAndTintsTemplates) {
  const auto artwork = IconArtwork::parse(glass);
  ASSERT_TRUE(artwork);
  EXPECT_EQ(artwork->viewBox(), (Rect{{0, 0}, {256, 256}}));
  EXPECT_EQ(artwork->elementCount(), 3u);  // the root as a group, and two paths
  EXPECT_EQ(artwork->markup(ImageRendering::templateImage, blue),
            R"(<g fill="#0000FF"><path d="M229.66,218.34l-50.07-50.06Z"/>)"
            R"(<path d="M1,2Z" opacity="0.2"/></g>)");

  // As a template every painted colour becomes the tint; "none" stays none.
  const auto coloured = IconArtwork::parse(
      R"(<svg viewBox="0,0,24,24"><g stroke="#123456" fill="none"><rect width="4" height="4" )"
      R"(fill="red"/></g></svg>)");
  ASSERT_TRUE(coloured);
  const std::string tinted = coloured->markup(ImageRendering::templateImage, blue);
  EXPECT_EQ(tinted.find("red"), std::string::npos);
  EXPECT_EQ(tinted.find("#123456"), std::string::npos);
  EXPECT_NE(tinted.find(R"(fill="none")"), std::string::npos);
  // In its own colours only currentColor follows the tint.
  EXPECT_NE(coloured->markup(ImageRendering::original, blue).find(R"(fill="red")"),
            std::string::npos);
}

TEST(IconArtworkTest, DropsEverythingButShapes) {
  const auto artwork = IconArtwork::parse(
      R"svg(<svg viewBox="0 0 10 10" onload="alert(1)"><script>alert(2)</script>)svg"
      R"svg(<style>path{fill:red}</style><a href="javascript:alert(3)"><path d="M0,0Z"/></a>)svg"
      R"svg(<image href="http://example.invalid/x.png"/><foreignObject><p>hi</p></foreignObject>)svg"
      R"svg(<path d="M1,1Z" fill="url(#paint)" style="fill:red" onclick="x()"/>)svg"
      R"svg(<use href="#a"/><text>words</text></svg>)svg");
  ASSERT_TRUE(artwork);
  const std::string markup = artwork->markup(ImageRendering::templateImage, blue);
  EXPECT_EQ(markup, R"(<g fill="#0000FF"><path d="M1,1Z"/></g>)");

  // A document type never brings in an external entity.
  const auto entity =
      IconArtwork::parse(R"(<!DOCTYPE svg [<!ENTITY x SYSTEM "file:///etc/hostname">]>)"
                         R"(<svg viewBox="0 0 1 1"><path d="&x;"/></svg>)");
  ASSERT_TRUE(entity);
  EXPECT_EQ(entity->markup(ImageRendering::original, blue), R"(<g><path d="&amp;x;"/></g>)");
}

TEST(IconArtworkTest, RefusesWhatIsNotArtwork) {
  for (const char* bytes : {"", "not xml", "<svg viewBox='0 0 10 10'>", "<html viewBox='0 0 1 1'/>",
                            "<svg/>", "<svg viewBox='0 0 0 10'/>", "<svg viewBox='0 0 nan 10'/>",
                            "<svg width='10em' height='10'/>"}) {
    EXPECT_FALSE(IconArtwork::parse(bytes)) << bytes;
  }
  // Without a view box the size stands in.
  EXPECT_EQ(IconArtwork::parse("<svg width='24px' height='12'/>").value().viewBox(),
            (Rect{{0, 0}, {24, 12}}));

  // Too deep or too many shapes is refused rather than drawn in part.
  std::string deep = "<svg viewBox='0 0 1 1'>";
  for (int i = 0; i < IconArtwork::maximumDepth + 2; ++i) deep += "<g>";
  for (int i = 0; i < IconArtwork::maximumDepth + 2; ++i) deep += "</g>";
  EXPECT_FALSE(IconArtwork::parse(deep + "</svg>"));
  std::string many = "<svg viewBox='0 0 1 1'>";
  for (std::size_t i = 0; i < IconArtwork::maximumElementCount; ++i) many += "<path d='M0,0'/>";
  EXPECT_FALSE(IconArtwork::parse(many + "</svg>"));
  EXPECT_FALSE(IconArtwork::parse(std::string(IconArtwork::maximumFileSize + 1, ' ')));

  const testing::TemporaryDirectory folder;
  EXPECT_FALSE(IconArtwork::read(folder.path() / "missing.svg"));
  EXPECT_FALSE(IconArtwork::read(folder.path()));  // a folder is no file
  std::ofstream(folder.path() / "glass.svg") << glass;
  EXPECT_EQ(IconArtwork::read(folder.path() / "glass.svg").value().elementCount(), 3u);
}

}  // namespace
}  // namespace kelvo::widgetkit
