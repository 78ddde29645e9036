#pragma once

#include <mutex>
#include <optional>
#include <utility>

namespace kelvo {

/// A process-wide current value behind a lock: the current locale, the current time zone, the
/// app group the widget shares. Until something is set, the first read takes the value its caller
/// derives (from the environment, say) and keeps it.
///
///   ProcessSetting<Locale>& setting() { static ProcessSetting<Locale> s; return s; }
///   Locale Locale::current() { return setting().get([] { return fromEnvironment(); }); }
///   void Locale::setCurrent(const Locale& l) { setting().set(l); }
template <class T>
class ProcessSetting {
 public:
  template <class Initial>
  T get(Initial&& initial) {
    const std::lock_guard lock(mutex_);
    if (!value_) value_.emplace(std::forward<Initial>(initial)());
    return *value_;
  }

  void set(T value) {
    const std::lock_guard lock(mutex_);
    value_ = std::move(value);
  }

 private:
  std::mutex mutex_;
  std::optional<T> value_;
};

}  // namespace kelvo
