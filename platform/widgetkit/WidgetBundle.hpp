#pragma once

// The entry of a widget extension: a bundle type names its widgets and, when it ships images,
// its artwork; the extension's main hands the process to the host with it:
//
//   struct Bundle {
//     static std::vector<WidgetConfiguration> body() { return {clockWidget()}; }
//     static AssetCatalog assets() { return AssetCatalog(artworkRoot); }
//   };
//   return WidgetBundle<Bundle>::main(argc, argv);  // in main

#include <string>
#include <vector>

#include "platform/widgetkit/AssetCatalog.hpp"
#include "platform/widgetkit/WidgetConfiguration.hpp"

namespace kelvo::widgetkit {

/// Runs a bundle's widgets in the host as the system would: describes them, or draws them, as
/// the command line asks, at the moment the system clock gives.
int runWidgetHost(std::vector<WidgetConfiguration> widgets, AssetCatalog assets, int argc,
                  char** argv);

/// A widget extension's bundle. `Bundle::body()` gives its widgets, and `Bundle::assets()`, when
/// it has one, the images it ships. `Bundle::main` starts the host with them.
template <class Bundle>
struct WidgetBundle {
  static int main(int argc, char** argv) {
    AssetCatalog assets;
    if constexpr (requires { Bundle::assets(); }) assets = Bundle::assets();
    return runWidgetHost(Bundle::body(), std::move(assets), argc, argv);
  }
};

}  // namespace kelvo::widgetkit
