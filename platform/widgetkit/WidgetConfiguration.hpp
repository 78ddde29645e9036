#pragma once

#include <algorithm>
#include <any>
#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/Error.hpp"
#include "platform/widgetkit/Timeline.hpp"
#include "platform/widgetkit/View.hpp"
#include "platform/widgetkit/WidgetFamily.hpp"

namespace kelvo::widgetkit {

/// The major version of the system the host stands in for. Views check it before using what
/// came with a later version.
inline constexpr int systemVersion = 14;

/// What a widget's views may read from where they are drawn.
struct EnvironmentValues {
  WidgetFamily widgetFamily = WidgetFamily::systemSmall;
  /// Device pixels per point.
  double displayScale = 1;
};

/// Gives a widget its entries. The host waits for nothing: each operation calls its completion
/// once, before it returns.
template <class Provider>
concept TimelineProvider = TimelineEntry<typename Provider::Entry> &&
    requires(const Provider& provider, const TimelineProviderContext& context,
             std::function<void(typename Provider::Entry)> entryCompletion,
             std::function<void(Timeline<typename Provider::Entry>)> timelineCompletion) {
  { provider.placeholder(context) } -> std::same_as<typename Provider::Entry>;
  provider.getSnapshot(context, entryCompletion);
  provider.getTimeline(context, timelineCompletion);
};

/// An entry of any widget: its date, and the widget's own entry inside.
struct AnyTimelineEntry {
  Date date;
  std::any value;
};

/// A widget as the host sees it, whatever its provider and entry: its kind, names and families,
/// its entries, and the view of an entry.
class WidgetConfiguration {
 public:
  const std::string& kind() const { return kind_; }
  /// Localisation keys; the host shows their translations.
  const std::string& displayName() const { return displayName_; }
  const std::string& description() const { return description_; }
  const std::vector<WidgetFamily>& supportedFamilies() const { return families_; }
  bool supports(WidgetFamily family) const {
    return std::find(families_.begin(), families_.end(), family) != families_.end();
  }

  AnyTimelineEntry placeholder(const TimelineProviderContext& context) const {
    return functions_->placeholder(context);
  }
  AnyTimelineEntry snapshot(const TimelineProviderContext& context) const {
    return functions_->snapshot(context);
  }
  Timeline<AnyTimelineEntry> timeline(const TimelineProviderContext& context) const {
    return functions_->timeline(context);
  }
  /// The view of an entry this widget gave.
  View content(const AnyTimelineEntry& entry, const EnvironmentValues& environment) const {
    return functions_->content(entry, environment);
  }

 private:
  struct Functions {
    std::function<AnyTimelineEntry(const TimelineProviderContext&)> placeholder;
    std::function<AnyTimelineEntry(const TimelineProviderContext&)> snapshot;
    std::function<Timeline<AnyTimelineEntry>(const TimelineProviderContext&)> timeline;
    std::function<View(const AnyTimelineEntry&, const EnvironmentValues&)> content;
  };

  template <TimelineProvider>
  friend class StaticConfiguration;

  std::string kind_;
  std::string displayName_;
  std::string description_;
  std::vector<WidgetFamily> families_;
  std::shared_ptr<const Functions> functions_;
};

/// A widget the user does not configure: a kind, a provider of entries, and the view of an
/// entry, with the names and families the gallery shows.
template <TimelineProvider Provider>
class StaticConfiguration {
 public:
  using Entry = typename Provider::Entry;
  using Content = std::function<View(const Entry&, const EnvironmentValues&)>;

  StaticConfiguration(std::string kind, Provider provider, Content content)
      : kind_(std::move(kind)), provider_(std::move(provider)), content_(std::move(content)) {}

  StaticConfiguration configurationDisplayName(std::string key) const {
    StaticConfiguration copy = *this;
    copy.displayName_ = std::move(key);
    return copy;
  }
  StaticConfiguration description(std::string key) const {
    StaticConfiguration copy = *this;
    copy.description_ = std::move(key);
    return copy;
  }
  /// Without this, a widget supports every family.
  StaticConfiguration supportedFamilies(std::vector<WidgetFamily> families) const {
    StaticConfiguration copy = *this;
    copy.families_ = std::move(families);
    return copy;
  }

  operator WidgetConfiguration() const {
    WidgetConfiguration configuration;
    configuration.kind_ = kind_;
    configuration.displayName_ = displayName_;
    configuration.description_ = description_;
    configuration.families_ = families_ ? *families_
                                        : std::vector<WidgetFamily>(allWidgetFamilies().begin(),
                                                                    allWidgetFamilies().end());
    auto provider = std::make_shared<const Provider>(provider_);
    const std::string kind = kind_;
    const auto wrap = [](const Entry& entry) {
      return AnyTimelineEntry{static_cast<Date>(entry.date), entry};
    };
    WidgetConfiguration::Functions functions;
    functions.placeholder = [provider, wrap](const TimelineProviderContext& context) {
      return wrap(provider->placeholder(context));
    };
    functions.snapshot = [provider, wrap, kind](const TimelineProviderContext& context) {
      std::optional<Entry> result;
      provider->getSnapshot(context, [&result](Entry entry) {
        if (!result) result = std::move(entry);
      });
      if (!result) fatal("widget " + kind + ": the provider did not complete its snapshot");
      return wrap(*result);
    };
    functions.timeline = [provider, wrap, kind](const TimelineProviderContext& context) {
      std::optional<Timeline<Entry>> result;
      provider->getTimeline(context, [&result](Timeline<Entry> timeline) {
        if (!result) result = std::move(timeline);
      });
      if (!result) fatal("widget " + kind + ": the provider did not complete its timeline");
      Timeline<AnyTimelineEntry> erased;
      erased.policy = result->policy;
      for (const Entry& entry : result->entries) erased.entries.push_back(wrap(entry));
      return erased;
    };
    functions.content = [content = content_, kind](const AnyTimelineEntry& entry,
                                                   const EnvironmentValues& environment) {
      const Entry* own = std::any_cast<Entry>(&entry.value);
      if (!own) fatal("widget " + kind + ": asked to draw an entry of another widget");
      return content(*own, environment);
    };
    configuration.functions_ =
        std::make_shared<const WidgetConfiguration::Functions>(std::move(functions));
    return configuration;
  }

 private:
  std::string kind_;
  Provider provider_;
  Content content_;
  std::string displayName_;
  std::string description_;
  std::optional<std::vector<WidgetFamily>> families_;
};

}  // namespace kelvo::widgetkit
