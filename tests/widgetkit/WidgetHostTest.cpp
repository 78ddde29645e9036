#include "platform/widgetkit/WidgetHost.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TestSupport.hpp"

namespace kelvo::widgetkit {
namespace {

// A widget that counts its draws and shows its family.
struct CountingProvider {
  struct Entry {
    Date date;
    int number = 0;
  };
  Entry placeholder(const TimelineProviderContext& context) const { return {context.now, -1}; }
  void getSnapshot(const TimelineProviderContext& context,
                   const std::function<void(Entry)>& completion) const {
    completion({context.now, 0});
    completion({context.now, 99});  // a second completion is ignored
  }
  void getTimeline(const TimelineProviderContext& context,
                   const std::function<void(Timeline<Entry>)>& completion) const {
    completion({{Entry{context.now, 1}, Entry{context.now + 60, 2}},
                TimelineReloadPolicy::after(context.now + 60)});
  }
};

struct SilentProvider {
  struct Entry {
    Date date;
  };
  Entry placeholder(const TimelineProviderContext& context) const { return {context.now}; }
  void getSnapshot(const TimelineProviderContext&, const std::function<void(Entry)>&) const {}
  void getTimeline(const TimelineProviderContext&,
                   const std::function<void(Timeline<Entry>)>&) const {}
};

WidgetConfiguration countingWidget() {
  return StaticConfiguration<CountingProvider>(
             "Counter", CountingProvider{},
             [](const CountingProvider::Entry& entry, const EnvironmentValues& environment) {
               return View::link("app://open/" + std::to_string(entry.number),
                                 View::text(std::string(rawValue(environment.widgetFamily))))
                   .accessibilityLabel("Open")
                   .containerBackground(Color::sRGB(1, 1, 1));
             })
      .configurationDisplayName("Counter")
      .description("Counts / shows.")
      .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium});
}

const Date now(800'000'000);

int run(const WidgetHost& host, std::vector<std::string> arguments, std::string& out,
        std::string& err) {
  arguments.insert(arguments.begin(), "/usr/bin/widget-test");
  std::ostringstream outStream;
  std::ostringstream errStream;
  const int status = host.run(arguments, outStream, errStream, now);
  out = outStream.str();
  err = errStream.str();
  return status;
}

TEST(WidgetHostTest, ErasedConfigurationKeepsTheProvidersAnswers) {
  const WidgetConfiguration widget = countingWidget();
  EXPECT_EQ(widget.kind(), "Counter");
  EXPECT_TRUE(widget.supports(WidgetFamily::systemMedium));
  EXPECT_FALSE(widget.supports(WidgetFamily::systemLarge));
  const auto context = WidgetHost::context(WidgetFamily::systemMedium, now, true);
  EXPECT_EQ(context.displaySize, (Size{364, 170}));
  EXPECT_TRUE(context.isPreview);
  EXPECT_EQ(std::any_cast<CountingProvider::Entry>(widget.snapshot(context).value).number, 0);
  EXPECT_EQ(widget.placeholder(context).date, now);
  const auto timeline = widget.timeline(context);
  ASSERT_EQ(timeline.entries.size(), 2u);
  EXPECT_EQ(timeline.entries[1].date, now + 60);
  EXPECT_EQ(timeline.policy, TimelineReloadPolicy::after(now + 60));

  // Without supported families named, a widget comes in every family.
  const WidgetConfiguration everywhere = StaticConfiguration<CountingProvider>(
      "All", {}, [](const auto&, const auto&) { return View::spacer(); });
  EXPECT_EQ(everywhere.supportedFamilies().size(), allWidgetFamilies().size());
}

TEST(WidgetHostTest, DescribesWidgetsAndTheirTimelines) {
  const WidgetHost host({countingWidget()}, AssetCatalog());
  std::string out;
  std::string err;
  ASSERT_EQ(run(host, {}, out, err), 0);
  EXPECT_TRUE(err.empty());
  EXPECT_NE(out.find(R"("Counts \/ shows.")"), std::string::npos) << out;
  const auto document = nlohmann::json::parse(out);
  const auto& widget = document["widgets"][0];
  EXPECT_EQ(widget["kind"], "Counter");
  EXPECT_EQ(widget["displayName"], "Counter");
  EXPECT_EQ(widget["supportedFamilies"], nlohmann::json({"systemSmall", "systemMedium"}));
  ASSERT_EQ(widget["timelines"].size(), 2u);
  EXPECT_EQ(widget["timelines"][1]["family"], "systemMedium");
  EXPECT_EQ(widget["timelines"][1]["entries"][0]["date"], 800'000'000.0);
  EXPECT_EQ(widget["timelines"][1]["reloadPolicy"]["after"], 800'000'060.0);
}

TEST(WidgetHostTest, RendersOneDrawingOrAll) {
  const testing::TemporaryDirectory folder;
  const WidgetHost host({countingWidget()}, AssetCatalog(folder.path()));
  std::string out;
  std::string err;
  ASSERT_EQ(
      run(host,
          {"render", "--family", "systemMedium", "--appearance", "darkAqua", "--scale", "1.5"}, out,
          err),
      0)
      << err;
  EXPECT_TRUE(out.starts_with("<svg")) << out;
  EXPECT_NE(out.find(R"(width="546")"), std::string::npos);
  EXPECT_NE(out.find(R"(href="app://open/1")"), std::string::npos);  // the first entry's view
  EXPECT_NE(out.find(">systemMedium</text>"), std::string::npos);

  const std::filesystem::path drawings = folder.path() / "drawings";
  ASSERT_EQ(run(host, {"render", "--all", "--output", drawings.string()}, out, err), 0) << err;
  EXPECT_EQ(out, "Wrote 8 drawings and index.html to " + drawings.string() + "\n");
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(drawings)) {
    count += entry.path().extension() == ".svg";
  }
  EXPECT_EQ(count, 8u);
  EXPECT_TRUE(std::filesystem::exists(drawings / "Counter-systemSmall-aqua.svg"));
  std::ifstream index(drawings / "index.html");
  const std::string page((std::istreambuf_iterator<char>(index)), {});
  EXPECT_NE(page.find(R"(data="Counter-systemMedium-accessibilityHighContrastDarkAqua.svg")"),
            std::string::npos);
}

TEST(WidgetHostTest, RefusesMisuseAndReportsMissingArtworkOnce) {
  const WidgetConfiguration pictured =
      StaticConfiguration<CountingProvider>("Pictured", {}, [](const auto&, const auto&) {
        return View::horizontalStack(
            VerticalAlignment::center, 0,
            {View::image({"ph-one", true, true, ImageRendering::templateImage}),
             View::image({"ph-two", true, true, ImageRendering::templateImage})});
      }).supportedFamilies({WidgetFamily::systemSmall});
  const WidgetHost host({countingWidget(), pictured}, AssetCatalog("/nowhere"));
  std::string out;
  std::string err;
  for (const std::vector<std::string>& misuse :
       std::vector<std::vector<std::string>>{{"draw"},
                                             {"render", "--family", "small"},
                                             {"render", "--appearance", "Dark"},
                                             {"render", "--scale", "0"},
                                             {"render", "--scale", "2x"},
                                             {"render", "--scale"},
                                             {"render", "--all", "--family", "systemSmall"},
                                             {"render", "--bogus"}}) {
    EXPECT_EQ(run(host, misuse, out, err), 2) << misuse.back();
    EXPECT_TRUE(err.starts_with("widget-test: ")) << err;
    EXPECT_NE(err.find("usage: widget-test"), std::string::npos) << err;
  }
  EXPECT_EQ(run(host, {"render", "--family", "systemLarge"}, out, err), 2);
  EXPECT_EQ(err, "widget-test: the widget Counter does not come in systemLarge\n");
  EXPECT_EQ(run(host, {"render", "--kind", "Nothing"}, out, err), 2);
  EXPECT_EQ(err, "widget-test: the bundle has no widget of kind \"Nothing\"\n");
  ASSERT_EQ(run(host, {"render", "--kind", "Pictured"}, out, err), 0);
  EXPECT_EQ(err,
            "widget-test: no artwork for 2 images (ph-one, …) under /nowhere; drawn as "
            "placeholders\n");
  ASSERT_EQ(run(host, {"render", "--output", "/nonexistent-folder/x.svg"}, out, err), 1);
  EXPECT_NE(err.find("could not write"), std::string::npos);
}

TEST(WidgetHostDeathTest, AProviderThatNeverAnswersIsAProgrammingError) {
  const WidgetConfiguration silent = StaticConfiguration<SilentProvider>(
      "Silent", {}, [](const auto&, const auto&) { return View::spacer(); });
  const auto context = WidgetHost::context(WidgetFamily::systemSmall, now);
  EXPECT_DEATH(silent.timeline(context), "Silent: the provider did not complete its timeline");
  EXPECT_DEATH(silent.snapshot(context), "did not complete its snapshot");
}

}  // namespace
}  // namespace kelvo::widgetkit
