#pragma once

// The access state of one outside source, as the host application reports it, and what each state
// allows:
//
//   const auto state = IntegrationAuthorization::denied();
//   const bool settings = state.offersSettings();  // true: the user can change it there
//   const bool ask = state.isWorthAsking();  // false: asking again shows nothing

#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace kelvo {

struct IntegrationAuthorization {
  /// The source cannot be asked or gave no answer; carries the host's reason.
  struct Unavailable {
    std::string reason;
    friend bool operator==(const Unavailable&, const Unavailable&) = default;
  };
  /// The user has not been asked yet.
  struct NotDetermined {
    friend bool operator==(const NotDetermined&, const NotDetermined&) = default;
  };
  struct Authorized {
    friend bool operator==(const Authorized&, const Authorized&) = default;
  };
  /// Access to a subset the user chose.
  struct Limited {
    friend bool operator==(const Limited&, const Limited&) = default;
  };
  struct Denied {
    friend bool operator==(const Denied&, const Denied&) = default;
  };
  /// Blocked from outside the application (Screen Time, a work or school profile).
  struct Restricted {
    friend bool operator==(const Restricted&, const Restricted&) = default;
  };

  std::variant<Unavailable, NotDetermined, Authorized, Limited, Denied, Restricted> value;

  static IntegrationAuthorization unavailable(std::string reason) {
    return {Unavailable{std::move(reason)}};
  }
  static IntegrationAuthorization notDetermined() { return {NotDetermined{}}; }
  static IntegrationAuthorization authorized() { return {Authorized{}}; }
  static IntegrationAuthorization limited() { return {Limited{}}; }
  static IntegrationAuthorization denied() { return {Denied{}}; }
  static IntegrationAuthorization restricted() { return {Restricted{}}; }

  /// The source may be read now: authorized or limited.
  bool canRead() const;
  /// The system settings can change something: limited or denied (never restricted).
  bool offersSettings() const;
  /// Every state but not determined.
  bool isDecided() const;
  /// Only not determined: the one state in which asking can help.
  bool isWorthAsking() const;
  /// The case name for diagnostics, never localised; the reason is left out.
  std::string_view diagnosticName() const;

  friend bool operator==(const IntegrationAuthorization&,
                         const IntegrationAuthorization&) = default;
};

}  // namespace kelvo
