#pragma once

#include <string>
#include <variant>
#include <vector>

#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

enum class KelvoIcon;

/// What a widget finds when it reads the snapshot, with every word it shows for it.
class KelvoWidgetState {
 public:
  /// The snapshot is 14 days old or older.
  struct Outdated {
    Date capturedAt;
    friend bool operator==(const Outdated&, const Outdated&) = default;
  };
  /// A current snapshot with something to show.
  struct Cards {
    KelvoWidgetSnapshot snapshot;
    friend bool operator==(const Cards&, const Cards&) = default;
  };
  /// There is no shared container.
  struct Unavailable {
    friend bool operator==(const Unavailable&, const Unavailable&) = default;
  };
  /// No readable snapshot has been written yet.
  struct Waiting {
    friend bool operator==(const Waiting&, const Waiting&) = default;
  };
  /// A current snapshot with no cards and no reminders due.
  struct Empty {
    friend bool operator==(const Empty&, const Empty&) = default;
  };
  using Value = std::variant<Outdated, Cards, Unavailable, Waiting, Empty>;

  KelvoWidgetState(Value value) : value_(std::move(value)) {}
  static KelvoWidgetState outdated(Date capturedAt) {
    return KelvoWidgetState(Outdated{capturedAt});
  }
  static KelvoWidgetState cards(KelvoWidgetSnapshot snapshot) {
    return KelvoWidgetState(Cards{std::move(snapshot)});
  }
  static KelvoWidgetState unavailable() { return KelvoWidgetState(Unavailable{}); }
  static KelvoWidgetState waiting() { return KelvoWidgetState(Waiting{}); }
  static KelvoWidgetState empty() { return KelvoWidgetState(Empty{}); }

  const Value& value() const { return value_; }
  template <class T>
  const T* as() const {
    return std::get_if<T>(&value_);
  }

  // Localised each time they are read.
  std::string headline() const;
  std::string detail() const;
  /// The headline, ". " and the detail.
  std::string accessibilityLabel() const;
  KelvoIcon icon() const;
  /// The snapshot's cards for `Cards`; none for every other state.
  std::vector<KelvoWidgetCard> cards() const;

  friend bool operator==(const KelvoWidgetState&, const KelvoWidgetState&) = default;

 private:
  Value value_;
};

}  // namespace kelvo
