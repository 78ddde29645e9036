// The usage examples at the top of the widget kit's headers, run as written.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <iostream>
#include <sstream>

#include "platform/widgetkit/WidgetBundle.hpp"
#include "platform/widgetkit/WidgetHost.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::widgetkit {
namespace {

// A widget of the caller's own, as an extension would have.
struct ClockProvider {
  struct Entry {
    Date date;
  };
  Entry placeholder(const TimelineProviderContext& context) const { return {context.now}; }
  void getSnapshot(const TimelineProviderContext& context,
                   const std::function<void(Entry)>& completion) const {
    completion({context.now});
  }
  void getTimeline(const TimelineProviderContext& context,
                   const std::function<void(Timeline<Entry>)>& completion) const {
    completion({{Entry{context.now}}, TimelineReloadPolicy::never()});
  }
};

WidgetConfiguration clockWidget() {
  return StaticConfiguration<ClockProvider>(
             "Clock", {},
             [](const ClockProvider::Entry&, const EnvironmentValues&) {
               return View::link("app://clock", View::text("Now")).accessibilityLabel("Clock");
             })
      .supportedFamilies({WidgetFamily::systemSmall});
}

TEST(WidgetkitExamples, ViewLayoutAndTimeline) {
  const View label = View::verticalStack(HorizontalAlignment::leading, 4,
                                         {View::text("Keep"), View::text("the clipboard")});
  const View tile = View::link("kelvo://keep", label.padding(8))
                        .accessibilityLabel("Keep the clipboard")
                        .font(Font::system(TextStyle::footnote, FontWeight::semibold))
                        .background(Color::sRGB(1, 0.6, 0.2));
  EXPECT_TRUE(tile.as<View::Background>());  // the last modifier wraps all the others

  const View stack =
      View::verticalStack(HorizontalAlignment::leading, 8, {View::text("Keep"), View::spacer()});
  Layout layout;  // DejaVu Sans metrics
  const LayoutNode placed = layout.layout(stack.padding(16), Size{170, 170});
  const Rect keep = placed.children[0].children[0].frame;  // the text's place in the canvas
  EXPECT_EQ(placed.frame.height(), 170);                   // the spacer takes what the text leaves
  EXPECT_EQ(keep.minY(), 16);
  EXPECT_EQ(keep.minX(), placed.frame.minX() + 16);

  const TimelineProviderContext context =
      WidgetHost::context(WidgetFamily::systemSmall, Date(800'000'000));

  struct Entry {
    Date date;
    std::int64_t remindersDue = 0;
  };
  const Timeline<Entry> timeline{{Entry{context.now, 2}, Entry{context.now + 3'600, 0}},
                                 TimelineReloadPolicy::after(context.now + 3'600)};
  ASSERT_EQ(timeline.entries.size(), 2u);
  EXPECT_EQ(timeline.policy.kind(), TimelineReloadPolicy::Kind::after);
  EXPECT_EQ(timeline.policy.date(), Date(800'003'600));
}

TEST(SVGRenderer, APIExamples) {
  const Size canvas = displaySize(WidgetFamily::systemSmall);
  Layout layout;
  const LayoutNode placed = layout.layout(View::text("Keep").padding(16), canvas);
  RenderOptions options;
  options.appearance = Appearance(AppearanceName::darkAqua);
  options.title = "Keep";
  const Rendering drawn = renderSVG(placed, canvas, options);  // drawn.svg: "<svg …"
  EXPECT_TRUE(drawn.svg.starts_with("<svg")) << drawn.svg;
  EXPECT_NE(drawn.svg.find("<title>Keep</title>"), std::string::npos) << drawn.svg;
}

TEST(WidgetBundle, APIExamples) {
  const testing::TemporaryDirectory folder;
  static std::filesystem::path artworkRoot;
  artworkRoot = folder.path();
  const std::string drawing = (folder.path() / "clock.svg").string();
  std::vector<std::string> arguments{"widget-test", "render", "--output", drawing};
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());

  const auto extensionMain = [](int argc, char** argv) {
    struct Bundle {
      static std::vector<WidgetConfiguration> body() { return {clockWidget()}; }
      static AssetCatalog assets() { return AssetCatalog(artworkRoot); }
    };
    return WidgetBundle<Bundle>::main(argc, argv);  // in main
  };
  EXPECT_EQ(extensionMain(static_cast<int>(pointers.size()), pointers.data()), 0);
  const std::string svg = testing::fileContents(drawing);
  EXPECT_NE(svg.find(R"(href="app://clock")"), std::string::npos) << svg;
}

TEST(WidgetHost, APIExamples) {
  struct Bundle {
    static std::vector<WidgetConfiguration> body() { return {clockWidget()}; }
  };
  const std::filesystem::path artworkRoot = "/nowhere";
  const std::vector<std::string> arguments{"widget-test"};
  const Date now(800'000'000);

  std::ostringstream output;
  std::streambuf* const standardOutput = std::cout.rdbuf(output.rdbuf());
  const auto runHost = [&]() -> int {
    const WidgetHost host(Bundle::body(), AssetCatalog(artworkRoot));
    std::cout << host.describe(now);  // widgets and timelines
    const Rendering drawn = host.render(host.widgets().front(), WidgetFamily::systemSmall,
                                        Appearance(AppearanceName::darkAqua), 2, now);
    return host.run(arguments, std::cout, std::cerr, now);  // the command line below
  };
  EXPECT_EQ(runHost(), 0);
  std::cout.rdbuf(standardOutput);
  // Described once directly, then by the command line without arguments.
  const std::string described = WidgetHost(Bundle::body(), AssetCatalog()).describe(now);
  EXPECT_EQ(output.str(), described + described + "\n");
  EXPECT_EQ(nlohmann::json::parse(described)["widgets"][0]["kind"], "Clock");
}

}  // namespace
}  // namespace kelvo::widgetkit
