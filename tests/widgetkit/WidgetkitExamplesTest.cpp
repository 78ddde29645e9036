// The usage examples at the top of the widget kit's headers, run as written.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/widgetkit/AssetCatalog.hpp"
#include "platform/widgetkit/Layout.hpp"
#include "platform/widgetkit/SVGRenderer.hpp"
#include "platform/widgetkit/Timeline.hpp"
#include "platform/widgetkit/View.hpp"
#include "platform/widgetkit/WidgetBundle.hpp"
#include "platform/widgetkit/WidgetConfiguration.hpp"
#include "platform/widgetkit/WidgetHost.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::widgetkit {
namespace {

// The first node of kind T in a tree, depth first.
template <class T>
const T* findNode(const View& view) {
  if (const T* found = view.as<T>()) return found;
  for (const View& child : view.children()) {
    if (const T* found = findNode<T>(child)) return found;
  }
  return nullptr;
}

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

// Captures what is written to standard output while it lives.
class CapturedOutput {
 public:
  CapturedOutput() : saved_(std::cout.rdbuf(text_.rdbuf())) {}
  ~CapturedOutput() { std::cout.rdbuf(saved_); }
  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* saved_;
};

TEST(View, APIExamples) {
  const View label = View::verticalStack(HorizontalAlignment::leading, 4,
                                         {View::text("Keep"), View::text("the clipboard")});
  const View tile = View::link("kelvo://keep", label.padding(8))
                        .accessibilityLabel("Keep the clipboard")
                        .font(Font::system(TextStyle::footnote, FontWeight::semibold))
                        .background(Color::sRGB(1, 0.6, 0.2));

  ASSERT_TRUE(tile.as<View::Background>());  // the last modifier wraps all the others
  ASSERT_TRUE(findNode<View::Link>(tile));
  EXPECT_EQ(findNode<View::Link>(tile)->destination, "kelvo://keep");
  EXPECT_EQ(findNode<View::Accessibility>(tile)->label, "Keep the clipboard");
  EXPECT_EQ(findNode<View::Text>(tile)->content, "Keep");
}

TEST(Layout, APIExamples) {
  const View stack =
      View::verticalStack(HorizontalAlignment::leading, 8, {View::text("Keep"), View::spacer()});
  Layout layout;  // DejaVu Sans metrics
  const LayoutNode placed = layout.layout(stack.padding(16), Size{170, 170});
  const Rect keep = placed.children[0].children[0].frame;  // the text's place in the canvas

  EXPECT_EQ(placed.frame.height(), 170);  // the spacer takes what the text leaves
  EXPECT_EQ(keep.minY(), 16);
  EXPECT_EQ(keep.minX(), placed.frame.minX() + 16);
  EXPECT_GT(keep.width(), 0);
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
  EXPECT_TRUE(drawn.missingImages.empty());
}

TEST(Timeline, APIExamples) {
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
  std::ifstream drawn(drawing);
  const std::string svg((std::istreambuf_iterator<char>(drawn)), {});
  EXPECT_NE(svg.find(R"(href="app://clock")"), std::string::npos) << svg;
}

TEST(WidgetHost, APIExamples) {
  struct Bundle {
    static std::vector<WidgetConfiguration> body() { return {clockWidget()}; }
  };
  const std::filesystem::path artworkRoot = "/nowhere";
  const std::vector<std::string> arguments{"widget-test"};
  const Date now(800'000'000);

  const CapturedOutput output;
  const auto runHost = [&]() -> int {
    const WidgetHost host(Bundle::body(), AssetCatalog(artworkRoot));
    std::cout << host.describe(now);  // widgets and timelines
    const Rendering drawn = host.render(host.widgets().front(), WidgetFamily::systemSmall,
                                        Appearance(AppearanceName::darkAqua), 2, now);
    return host.run(arguments, std::cout, std::cerr, now);  // the command line below
  };

  EXPECT_EQ(runHost(), 0);
  // Described once directly, then by the command line without arguments.
  const std::string described = WidgetHost(Bundle::body(), AssetCatalog()).describe(now);
  EXPECT_EQ(output.text(), described + described + "\n");
  EXPECT_EQ(nlohmann::json::parse(described)["widgets"][0]["kind"], "Clock");
}

}  // namespace
}  // namespace kelvo::widgetkit
