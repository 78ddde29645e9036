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

struct Outcome {
  int status;
  std::string out, err;
};

Outcome run(const WidgetHost& host, std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "/usr/bin/widget-test");
  std::ostringstream out, err;
  const int status = host.run(arguments, out, err, now);
  return {status, out.str(), err.str()};
}

TEST(WidgetHostTest, ErasedConfigurationKeepsTheProvidersAnswers) {
  const auto context = WidgetHost::context(WidgetFamily::systemMedium, now, true);
  // Only the first completion counts.
  EXPECT_EQ(std::any_cast<CountingProvider::Entry>(countingWidget().snapshot(context).value).number,
            0);

  // Without supported families named, a widget comes in every family.
  const WidgetConfiguration everywhere = StaticConfiguration<CountingProvider>(
      "All", {}, [](const auto&, const auto&) { return View::spacer(); });
  EXPECT_EQ(everywhere.supportedFamilies().size(), allWidgetFamilies().size());
}

TEST(WidgetHostTest, DescribesWidgetsAndTheirTimelines) {
  const Outcome described = run(WidgetHost({countingWidget()}, AssetCatalog()), {});
  ASSERT_EQ(described.status, 0) << described.err;
  EXPECT_NE(described.out.find(R"("Counts \/ shows.")"), std::string::npos) << described.out;
  const auto widget = nlohmann::json::parse(described.out)["widgets"][0];
  ASSERT_EQ(widget["timelines"].size(), 2u);
  EXPECT_EQ(widget["timelines"][1]["entries"][1]["date"], 800'000'060.0);
  EXPECT_EQ(widget["timelines"][1]["reloadPolicy"]["after"], 800'000'060.0);
}

TEST(WidgetHostTest, RendersOneDrawingOrAll) {
  const testing::TemporaryDirectory folder;
  const WidgetHost host({countingWidget()}, AssetCatalog(folder.path()));
  const Outcome one = run(
      host, {"render", "--family", "systemMedium", "--appearance", "darkAqua", "--scale", "1.5"});
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_TRUE(one.out.starts_with("<svg")) << one.out;
  EXPECT_NE(one.out.find(R"(width="546")"), std::string::npos);
  EXPECT_NE(one.out.find(R"(href="app://open/1")"), std::string::npos);  // the first entry's

  const std::filesystem::path drawings = folder.path() / "drawings";
  const Outcome all = run(host, {"render", "--all", "--output", drawings.string()});
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.out, "Wrote 8 drawings and index.html to " + drawings.string() + "\n");
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
  for (const std::vector<std::string>& misuse :
       std::vector<std::vector<std::string>>{{"draw"},
                                             {"render", "--family", "small"},
                                             {"render", "--appearance", "Dark"},
                                             {"render", "--scale", "2x"},
                                             {"render", "--scale", "1e-300"},
                                             {"render", "--scale", "0.09"},
                                             {"render", "--scale", "16.5"},
                                             {"render", "--scale"},
                                             {"render", "--all", "--family", "systemSmall"},
                                             {"render", "--bogus"}}) {
    const Outcome refused = run(host, misuse);
    EXPECT_EQ(refused.status, 2) << misuse.back();
    EXPECT_TRUE(refused.err.starts_with("widget-test: ")) << refused.err;
    EXPECT_NE(refused.err.find("usage: widget-test"), std::string::npos) << refused.err;
  }
  EXPECT_EQ(run(host, {"render", "--family", "systemLarge"}).err,
            "widget-test: the widget Counter does not come in systemLarge\n");
  EXPECT_EQ(run(host, {"render", "--kind", "Nothing"}).err,
            "widget-test: the bundle has no widget of kind \"Nothing\"\n");
  const Outcome placeholders = run(host, {"render", "--kind", "Pictured"});
  EXPECT_EQ(placeholders.status, 0);
  EXPECT_EQ(placeholders.err,
            "widget-test: no artwork for 2 images (ph-one, …) under /nowhere; drawn as "
            "placeholders\n");
  const Outcome unwritable = run(host, {"render", "--output", "/nonexistent-folder/x.svg"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("could not write"), std::string::npos);
  EXPECT_EQ(run(host, {"render", "--scale", "0.1"}).status, 0);
}

TEST(WidgetHostTest, OutputThatNeverArrivesFailsAndLeavesTheOldDrawing) {
  const testing::TemporaryDirectory folder;
  const std::filesystem::path drawing = folder.path() / "drawing.svg";
  std::ofstream(drawing) << "<svg>old</svg>";
  FileManager full;
  full.setWriteProbe([](FileManager::WriteStep step) {
    return step == FileManager::WriteStep::writeBytes ? ENOSPC : 0;
  });
  const WidgetHost host({countingWidget()}, AssetCatalog(), full);
  const Outcome refused = run(host, {"render", "--output", drawing.string()});
  EXPECT_EQ(refused.status, 1);
  std::ifstream old(drawing);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "<svg>old</svg>");

  // A standard output that takes nothing.
  std::ostringstream err;
  std::ostream closed(nullptr);
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"widget-test"}, {"widget-test", "render"}}) {
    EXPECT_EQ(host.run(arguments, closed, err, now), 1);
  }
  EXPECT_EQ(err.str(),
            "widget-test: could not write to standard output\n"
            "widget-test: could not write to standard output\n");
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
