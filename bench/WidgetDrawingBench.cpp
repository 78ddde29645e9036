// The host lays out and draws the widget for every family and appearance it is asked for; the
// tiles' links are read wherever a link is opened.
#include <benchmark/benchmark.h>

#include "core/widget/KelvoURL.hpp"
#include "platform/widgetkit/Layout.hpp"
#include "platform/widgetkit/SVGRenderer.hpp"
#include "platform/widgetkit/TextLayout.hpp"

namespace {

using namespace kelvo;
using namespace kelvo::widgetkit;

// Three tiles shaped like the actions widget's medium layout, without artwork.
View mediumWidget() {
  const RoundedRectangle shape{12, RoundedCornerStyle::continuous};
  std::vector<View> tiles;
  for (const char* title : {"Keep", "Fill a form", "Search"}) {
    tiles.push_back(
        View::link(
            "kelvo://keep",
            View::verticalStack(
                HorizontalAlignment::leading, 2,
                {View::image({"icon", true, true, ImageRendering::templateImage}).frame(20, 20),
                 View::spacer(0),
                 View::text(title)
                     .font(Font::system(TextStyle::footnote, FontWeight::semibold))
                     .lineLimit(1),
                 View::text("What's on the clipboard")
                     .font(Font::system(TextStyle::caption2))
                     .lineLimit(2)})
                .allowsTightening(true)
                .minimumScaleFactor(0.7)
                .padding(8)
                .frame({44, infinity, 44, infinity, Alignment::topLeading()})
                .background(Color::sRGB(1, 1, 1))
                .clipShape(shape)
                .strokeBorder(shape, Color::sRGB(0, 0, 0), {0.5}))
            .accessibilityLabel("Keep the clipboard in Kelvo"));
  }
  return View::horizontalStack(VerticalAlignment::center, 6, std::move(tiles))
      .containerBackground(Color::sRGB(0.9, 0.9, 0.9));
}

void BM_LayoutMediumWidget(benchmark::State& state) {
  const View view = mediumWidget();
  for (auto _ : state) {
    Layout layout;
    benchmark::DoNotOptimize(layout.layout(view, {364, 170}));
  }
}
BENCHMARK(BM_LayoutMediumWidget);

void BM_DrawMediumWidget(benchmark::State& state) {
  Layout layout;
  const LayoutNode laidOut = layout.layout(mediumWidget(), {364, 170});
  for (auto _ : state) benchmark::DoNotOptimize(renderSVG(laidOut, {364, 170}, {}));
}
BENCHMARK(BM_DrawMediumWidget);

void BM_ShrinkAndTruncateText(benchmark::State& state) {
  const TextOptions options{Font::system(TextStyle::footnote), 2, 0.7, true};
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        layoutText("Fill a form with details from Kelvo, and more", options, 60, {}));
  }
}
BENCHMARK(BM_ShrinkAndTruncateText);

void BM_ReadAndBuildLink(benchmark::State& state) {
  for (auto _ : state) {
    const auto link = KelvoURL::parse(std::string_view("kelvo://search?q=a%2Bb%26c%3Dd%20%C3%A9"));
    benchmark::DoNotOptimize(link->url());
  }
}
BENCHMARK(BM_ReadAndBuildLink);

}  // namespace
