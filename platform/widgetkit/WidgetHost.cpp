#include "platform/widgetkit/WidgetHost.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <variant>

#include "platform/foundation/Clock.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/widgetkit/Layout.hpp"
#include "platform/widgetkit/SVGWriter.hpp"
#include "platform/widgetkit/WidgetBundle.hpp"

namespace kelvo::widgetkit {

struct WidgetHost::RenderRequest {
  bool all = false;
  std::optional<std::string> kind;
  std::optional<WidgetFamily> family;
  std::optional<AppearanceName> appearance;
  double scale = WidgetHost::defaultDisplayScale;
  std::optional<std::filesystem::path> output;
};

namespace {

using RenderRequest = WidgetHost::RenderRequest;

using ordered_json = nlohmann::ordered_json;

// A drawing below a tenth of a point per pixel is empty, one above 16 needlessly huge.
constexpr double smallestDisplayScale = 0.1;
constexpr double largestDisplayScale = 16;

// A refusal of the command line, said in one line.
struct Misuse {
  std::string message;
};

std::string joined(std::span<const std::string_view> words) {
  std::string text;
  for (const auto word : words) {
    if (!text.empty()) text += ", ";
    text += word;
  }
  return text;
}

std::variant<RenderRequest, Misuse> parseRender(std::span<const std::string> arguments) {
  RenderRequest request;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    if (option == "--all") {
      request.all = true;
      continue;
    }
    if (option != "--kind" && option != "--family" && option != "--appearance" &&
        option != "--scale" && option != "--output") {
      return Misuse{"unknown option \"" + option + "\""};
    }
    if (i + 1 == arguments.size()) return Misuse{option + " needs a value"};
    const std::string& value = arguments[++i];
    if (option == "--kind") {
      request.kind = value;
    } else if (option == "--family") {
      request.family = widgetFamilyFromRawValue(value);
      if (!request.family) {
        std::vector<std::string_view> names;
        for (const auto family : allWidgetFamilies()) names.push_back(rawValue(family));
        return Misuse{"unknown family \"" + value + "\" (one of " + joined(names) + ")"};
      }
    } else if (option == "--appearance") {
      request.appearance = appearanceNameFromRawValue(value);
      if (!request.appearance) {
        std::vector<std::string_view> names;
        for (const auto name : allAppearanceNames()) names.push_back(rawValue(name));
        return Misuse{"unknown appearance \"" + value + "\" (one of " + joined(names) + ")"};
      }
    } else if (option == "--scale") {
      double scale = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), scale);
      if (error != std::errc() || end != value.data() + value.size() || !std::isfinite(scale) ||
          !(scale >= smallestDisplayScale) || scale > largestDisplayScale) {
        return Misuse{"the scale must be a number from 0.1 to 16, not \"" + value + "\""};
      }
      request.scale = scale;
    } else {
      request.output = std::filesystem::path(value);
    }
  }
  if (request.all && (request.kind || request.family || request.appearance)) {
    return Misuse{
        "--all draws every kind, family and appearance; it takes only --scale and "
        "--output"};
  }
  return request;
}

ordered_json policyJSON(const TimelineReloadPolicy& policy) {
  switch (policy.kind()) {
    case TimelineReloadPolicy::Kind::atEnd:
      return "atEnd";
    case TimelineReloadPolicy::Kind::never:
      return "never";
    case TimelineReloadPolicy::Kind::after: {
      ordered_json after = ordered_json::object();
      after["after"] = policy.date().value_or(Date()).timeIntervalSinceReferenceDate();
      return after;
    }
  }
  return "never";
}

// The platform's encoder writes "/" as "\/"; a "/" can only stand inside a JSON string.
std::string withEscapedSlashes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '/') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string fileNamePart(std::string_view text) {
  std::string part;
  for (const char c : text) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    part.push_back(plain ? c : '_');
  }
  return part.empty() || part.front() == '.' ? "_" + part : part;
}

// Through the atomic write, so that a failure (a full disk, say) leaves any old file whole. A
// pipe given as the output waits for its reader, as a shell's redirection into it would.
bool writeFile(const FileManager& files, const std::filesystem::path& path,
               std::string_view content) {
  try {
    files.write(path, content, FileManager::Pipes::waitForReader);
    return true;
  } catch (const FileError&) {
    return false;
  }
}

// Collects the names of images drawn as placeholders, each once, in order.
struct MissingImages {
  std::vector<std::string> names;
  void add(const std::vector<std::string>& more) {
    for (const auto& name : more) {
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
};

struct Drawing {
  const WidgetConfiguration* widget;
  WidgetFamily family;
  AppearanceName appearance;
  std::string file;
};

std::string indexPage(const std::vector<Drawing>& drawings) {
  SVGWriter html;
  html.raw("<!DOCTYPE html>\n");
  html.open("html");
  html.attribute("lang", "en");
  html.raw(
      "<head><meta charset=\"utf-8\"><title>Widget drawings</title><style>"
      "body{font-family:\"DejaVu Sans\",sans-serif;background:#7F7F86;color:#111;"
      "margin:24px}table{border-spacing:20px}th{text-align:left;font-weight:600}"
      "object{display:block}</style></head>");
  html.open("body");
  const WidgetConfiguration* current = nullptr;
  for (std::size_t i = 0; i < drawings.size(); ++i) {
    const Drawing& drawing = drawings[i];
    if (drawing.widget != current) {
      if (current) html.close("table");
      current = drawing.widget;
      html.open("h1");
      html.text(current->displayName().empty() ? current->kind()
                                               : localized(current->displayName()));
      html.close("h1");
      html.open("p");
      html.text(localized(current->description()));
      html.close("p");
      html.open("table");
      html.open("tr");
      html.open("th");
      html.text("");  // HTML has no empty-element form for a cell
      html.close("th");
      for (const auto family : current->supportedFamilies()) {
        html.open("th");
        html.text(rawValue(family));
        html.close("th");
      }
      html.close("tr");
    }
    if (drawing.family == current->supportedFamilies().front()) {
      html.open("tr");
      html.open("th");
      html.text(rawValue(drawing.appearance));
      html.close("th");
    }
    const Size size = displaySize(drawing.family);
    html.open("td");
    html.open("object");
    html.attribute("data", drawing.file);
    html.attribute("type", "image/svg+xml");
    html.attribute("width", size.width);
    html.attribute("height", size.height);
    html.text(drawing.file);
    html.close("object");
    html.close("td");
    if (drawing.family == current->supportedFamilies().back()) html.close("tr");
  }
  if (current) html.close("table");
  html.close("body");
  html.close("html");
  return html.take() + "\n";
}

}  // namespace

WidgetHost::WidgetHost(std::vector<WidgetConfiguration> widgets, AssetCatalog assets,
                       FileManager files)
    : widgets_(std::move(widgets)), assets_(std::move(assets)), files_(std::move(files)) {}

TimelineProviderContext WidgetHost::context(WidgetFamily family, Date now, bool isPreview) {
  return {family, isPreview, displaySize(family), now};
}

std::string WidgetHost::describe(Date now) const {
  ordered_json list = ordered_json::array();
  for (const WidgetConfiguration& widget : widgets_) {
    ordered_json item = ordered_json::object();
    item["kind"] = widget.kind();
    item["displayName"] = localized(widget.displayName());
    item["description"] = localized(widget.description());
    ordered_json families = ordered_json::array();
    ordered_json timelines = ordered_json::array();
    for (const WidgetFamily family : widget.supportedFamilies()) {
      families.push_back(rawValue(family));
      const Timeline<AnyTimelineEntry> timeline = widget.timeline(context(family, now));
      ordered_json entries = ordered_json::array();
      for (const AnyTimelineEntry& entry : timeline.entries) {
        entries.push_back({{"date", entry.date.timeIntervalSinceReferenceDate()}});
      }
      ordered_json described = ordered_json::object();
      described["family"] = rawValue(family);
      described["entries"] = std::move(entries);
      described["reloadPolicy"] = policyJSON(timeline.policy);
      timelines.push_back(std::move(described));
    }
    item["supportedFamilies"] = std::move(families);
    item["timelines"] = std::move(timelines);
    list.push_back(std::move(item));
  }
  ordered_json document = ordered_json::object();
  document["widgets"] = std::move(list);
  return withEscapedSlashes(document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
}

Rendering WidgetHost::render(const WidgetConfiguration& widget, WidgetFamily family,
                             const Appearance& appearance, double displayScale, Date now) const {
  const TimelineProviderContext request = context(family, now);
  const Timeline<AnyTimelineEntry> timeline = widget.timeline(request);
  const AnyTimelineEntry entry =
      timeline.entries.empty() ? widget.placeholder(request) : timeline.entries.front();
  const EnvironmentValues environment{family, displayScale};
  const View view = widget.content(entry, environment);
  Layout layout;
  const LayoutNode laidOut = layout.layout(view, request.displaySize);
  RenderOptions options;
  options.appearance = appearance;
  options.displayScale = displayScale;
  options.assets = &assets_;
  options.title = localized(widget.displayName());
  options.shape = widgetShape;
  return renderSVG(laidOut, request.displaySize, options);
}

// One command line's program name, streams, moment and the images it drew as placeholders.
struct WidgetHost::RunSession {
  std::string program;
  std::ostream& out;
  std::ostream& err;
  Date now;
  MissingImages missing;

  // Says once, at the end, which images had no artwork.
  void reportMissing(const AssetCatalog& assets) const {
    if (missing.names.empty()) return;
    err << program << ": no artwork for " << missing.names.size()
        << (missing.names.size() == 1 ? " image (" : " images (") << missing.names.front()
        << (missing.names.size() > 1 ? ", …" : "") << ") under " << assets.root().string()
        << "; drawn as placeholders\n";
  }
};

int WidgetHost::run(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
                    Date now) const {
  RunSession session{arguments.empty()
                         ? "widget-host"
                         : std::filesystem::path(arguments.front()).filename().string(),
                     out,
                     err,
                     now,
                     {}};
  const std::string usage = "usage: " + session.program +
                            " [render [--kind K] [--family F] [--appearance A] [--scale S] "
                            "[--output FILE] | render --all [--scale S] [--output FOLDER]]\n";
  if (arguments.size() <= 1) {
    out << describe(now) << '\n';
    return checkOutput(session);
  }
  if (arguments[1] == "--help" || arguments[1] == "-h") {
    out << usage;
    return 0;
  }
  if (arguments[1] != "render") {
    err << session.program << ": unknown command \"" << arguments[1] << "\"\n" << usage;
    return 2;
  }
  const auto parsed = parseRender(arguments.subspan(2));
  if (const auto* misuse = std::get_if<Misuse>(&parsed)) {
    err << session.program << ": " << misuse->message << '\n' << usage;
    return 2;
  }
  if (widgets_.empty()) {
    err << session.program << ": the bundle holds no widget\n";
    return 1;
  }
  const RenderRequest& request = std::get<RenderRequest>(parsed);
  const int status = request.all ? renderAll(request, session) : renderOne(request, session);
  if (status != 0) return status;
  session.reportMissing(assets_);
  return checkOutput(session);
}

// Output that never arrived (a full disk, a closed pipe) is a failure, said where it can be.
int WidgetHost::checkOutput(RunSession& session) {
  session.out.flush();
  if (session.out) return 0;
  session.err << session.program << ": could not write to standard output\n";
  return 1;
}

int WidgetHost::renderOne(const RenderRequest& request, RunSession& session) const {
  const WidgetConfiguration* widget = &widgets_.front();
  if (request.kind) {
    widget = nullptr;
    for (const auto& candidate : widgets_) {
      if (candidate.kind() == *request.kind) widget = &candidate;
    }
    if (!widget) {
      session.err << session.program << ": the bundle has no widget of kind \"" << *request.kind
                  << "\"\n";
      return 2;
    }
  }
  if (widget->supportedFamilies().empty()) {
    session.err << session.program << ": the widget " << widget->kind() << " supports no family\n";
    return 1;
  }
  const WidgetFamily family = request.family.value_or(widget->supportedFamilies().front());
  if (!widget->supports(family)) {
    session.err << session.program << ": the widget " << widget->kind() << " does not come in "
                << rawValue(family) << '\n';
    return 2;
  }
  const Rendering rendering =
      render(*widget, family, Appearance(request.appearance.value_or(AppearanceName::aqua)),
             request.scale, session.now);
  session.missing.add(rendering.missingImages);
  if (!request.output) {
    session.out << rendering.svg << '\n';
  } else if (!writeFile(files_, *request.output, rendering.svg)) {
    session.err << session.program << ": could not write " << request.output->string() << '\n';
    return 1;
  }
  return 0;
}

int WidgetHost::renderAll(const RenderRequest& request, RunSession& session) const {
  const std::filesystem::path folder = request.output.value_or(defaultOutputFolder);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    session.err << session.program << ": could not make the folder " << folder.string() << ": "
                << error.message() << '\n';
    return 1;
  }
  std::vector<Drawing> drawings;
  for (const WidgetConfiguration& widget : widgets_) {
    for (const AppearanceName appearance : allAppearanceNames()) {
      for (const WidgetFamily family : widget.supportedFamilies()) {
        const std::string file = fileNamePart(widget.kind()) + "-" + std::string(rawValue(family)) +
                                 "-" + std::string(rawValue(appearance)) + ".svg";
        const Rendering rendering =
            render(widget, family, Appearance(appearance), request.scale, session.now);
        session.missing.add(rendering.missingImages);
        if (!writeFile(files_, folder / file, rendering.svg)) {
          session.err << session.program << ": could not write " << (folder / file).string()
                      << '\n';
          return 1;
        }
        drawings.push_back({&widget, family, appearance, file});
      }
    }
  }
  if (!writeFile(files_, folder / "index.html", indexPage(drawings))) {
    session.err << session.program << ": could not write " << (folder / "index.html").string()
                << '\n';
    return 1;
  }
  session.out << "Wrote " << drawings.size() << " drawings and index.html to " << folder.string()
              << '\n';
  return 0;
}

int runWidgetHost(std::vector<WidgetConfiguration> widgets, AssetCatalog assets, int argc,
                  char** argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
  const WidgetHost host(std::move(widgets), std::move(assets));
  return host.run(arguments, std::cout, std::cerr, Clock::system().now());
}

}  // namespace kelvo::widgetkit
