#pragma once

// The widget host: runs a widget bundle as the system's widget service would, asking each
// widget's provider for its timeline and drawing its view as SVG.
//
//   const WidgetHost host(Bundle::body(), AssetCatalog(artworkRoot));
//   std::cout << host.describe(now);                               // widgets and timelines
//   const Rendering drawn = host.render(host.widgets().front(), WidgetFamily::systemSmall,
//                                       Appearance(AppearanceName::darkAqua), 2, now);
//   return host.run(arguments, std::cout, std::cerr, now);        // the command line below
//
// An extension's main hands its bundle to `WidgetBundle<Bundle>::main` (WidgetBundle.hpp).

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "platform/foundation/Date.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/widgetkit/Appearance.hpp"
#include "platform/widgetkit/AssetCatalog.hpp"
#include "platform/widgetkit/SVGRenderer.hpp"
#include "platform/widgetkit/WidgetConfiguration.hpp"

namespace kelvo::widgetkit {

/// The host that runs a widget bundle, standing in for the system's widget service: it asks
/// the widgets for their timelines, lays their views out for a family and draws them.
///
/// Its command line:
///   (no arguments)   the bundle's widgets and the timeline each gives per family, as JSON
///   render [--kind K] [--family F] [--appearance A] [--scale S] [--output FILE]
///                    one drawing as SVG, to FILE or standard output; S from 0.1 to 16
///   render --all [--scale S] [--output FOLDER]
///                    every widget in every family and standard appearance, with an index.html
class WidgetHost {
 public:
  /// The outline of a placed widget.
  static constexpr RoundedRectangle widgetShape{12, RoundedCornerStyle::continuous};
  static constexpr double defaultDisplayScale = 2;
  static constexpr const char* defaultOutputFolder = "widget-drawings";

  /// Drawings asked for with --output are written through `files`, whole or not at all.
  WidgetHost(std::vector<WidgetConfiguration> widgets, AssetCatalog assets,
             FileManager files = FileManager());

  const std::vector<WidgetConfiguration>& widgets() const { return widgets_; }
  const AssetCatalog& assets() const { return assets_; }

  /// The context a provider is given for a family at `now`.
  static TimelineProviderContext context(WidgetFamily family, Date now, bool isPreview = false);

  /// The widgets and their timelines as a JSON document.
  std::string describe(Date now) const;

  /// Draws a widget in a family and appearance: the view of the first entry of its timeline
  /// (or of its placeholder when the timeline is empty), laid out at the family's size.
  Rendering render(const WidgetConfiguration& widget, WidgetFamily family,
                   const Appearance& appearance, double displayScale, Date now) const;

  /// Runs one command line; gives the exit status (0 done, 1 failed, 2 misused). Images that
  /// had to be drawn as placeholders are reported on `err` in one line.
  int run(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
          Date now) const;

  /// What `run` read of a render command line, and the state of one run; defined where `run` is.
  struct RenderRequest;
  struct RunSession;

 private:
  int renderOne(const RenderRequest& request, RunSession& session) const;
  int renderAll(const RenderRequest& request, RunSession& session) const;
  static int checkOutput(RunSession& session);

  std::vector<WidgetConfiguration> widgets_;
  AssetCatalog assets_;
  FileManager files_;
};

}  // namespace kelvo::widgetkit
