#include "core/agenda/IntegrationPermissionCopy.hpp"

#include <array>
#include <cstddef>

#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

// One row of a system kind's table; a null title is an absent action.
struct Row {
  const char* headline;
  const char* body;
  const char* primary;
  const char* settings;
  const char* fallback;
};

// The states in the order of IntegrationAuthorization's alternatives: unavailable,
// notDetermined, authorized, limited, denied, restricted.
using Table = std::array<Row, 6>;

// calendar, photos, contacts and reminders, in declaration order.
constexpr std::array<Table, 4> systemTables{{
    // calendar
    {{
        {"Kelvo couldn't reach the calendar",
         "The calendar didn't answer, so this isn't about permission. Try again — and if it keeps "
         "happening, keeping a card by hand does the same job.",
         "Try again", nullptr, "Keep a card by hand instead"},
        {"See what's coming up",
         "Kelvo can show your next few days and keep any one of them as a card — the title, the "
         "time, where it is, who's coming and the notes. It reads your calendar and never writes "
         "to it.",
         "Allow calendar access", nullptr, nullptr},
        {"Calendar connected", "Kelvo can read your upcoming events. It never changes them.",
         nullptr, nullptr, nullptr},
        {"Calendar connected", "Kelvo can read your upcoming events. It never changes them.",
         nullptr, nullptr, nullptr},
        {"Kelvo can't see your calendar",
         "Kelvo isn't allowed to read your calendar, so it can't list your events or keep one as a "
         "card. Everything else in Kelvo works as normal. Turn on full calendar access for Kelvo "
         "in Settings to use this.",
         nullptr, "Open Settings", "Keep a card by hand instead"},
        {"Calendar access isn't allowed on this device",
         "Something outside Kelvo — Screen Time, or a profile from work or school — blocks "
         "calendar access, so this isn't a switch you can turn on. Everything else in Kelvo works "
         "as normal.",
         nullptr, nullptr, "Keep a card by hand instead"},
    }},
    // photos
    {{
        {"Kelvo couldn't reach your library",
         "The photo library didn't answer, so this isn't about permission. Try again, or hand "
         "Kelvo one photo at a time.",
         "Try again", nullptr, "Choose one photo instead"},
        {"Keep a screenshot you can search",
         "Kelvo reads the words in a picture, so a screenshot of a receipt or a whiteboard becomes "
         "something you can find by what it says. It reads your library and never changes it.",
         "Allow photo access", nullptr, "Choose one photo instead"},
        {"Photos connected", "Kelvo can see your library. It never changes or deletes anything.",
         nullptr, nullptr, nullptr},
        {"Kelvo can see the photos you chose",
         "You gave Kelvo a few photos rather than the whole library, so this is all of it — "
         "nothing is missing. Choose more whenever you like.",
         "Choose more photos", "Open Settings", nullptr},
        {"Kelvo can't see your library",
         "Photo access is off, so Kelvo can't show your recent pictures. You can still hand it one "
         "photo at a time — the picker doesn't need access, because you choose the photo yourself. "
         "Turn on Photos for Kelvo in Settings to see the whole library.",
         nullptr, "Open Settings", "Choose one photo instead"},
        {"Photo access isn't allowed on this device",
         "Something outside Kelvo — Screen Time, or a profile from work or school — blocks photo "
         "access, so this isn't a switch you can turn on. You can still hand Kelvo one photo at a "
         "time.",
         nullptr, nullptr, "Choose one photo instead"},
    }},
    // contacts
    {{
        {"Kelvo couldn't reach your contacts",
         "Your contacts didn't answer, so this isn't about permission. Try again — and if it keeps "
         "happening, typing the Fact in once by hand gets you to the same place.",
         "Try again", nullptr, "Type a Fact in by hand instead"},
        {"Stop retyping your own details",
         "Kelvo can turn the fields on a contact card — name, company, phone, email, address — "
         "into Facts, so the next form fills itself from what is already on this device. It reads "
         "your contacts and never adds, edits or deletes one.",
         "Allow contacts access", nullptr, nullptr},
        {"Contacts connected",
         "Kelvo can read your contacts. It never adds, edits or deletes one, and it keeps only the "
         "fields you choose.",
         nullptr, nullptr, nullptr},
        {"Kelvo can see the contacts you chose",
         "You gave Kelvo some of your contacts rather than all of them, so this list is all of it "
         "— nothing is missing. Settings is where you widen it, whenever you like.",
         nullptr, "Open Settings", "Type a Fact in by hand instead"},
        {"Kelvo can't see your contacts",
         "Contacts access is off, so Kelvo can't lift your details out of a contact card. "
         "Everything else in Kelvo works as normal, and a Fact typed in by hand does the same job "
         "from then on. Turn on Contacts for Kelvo in Settings to use this.",
         nullptr, "Open Settings", "Type a Fact in by hand instead"},
        {"Contacts access isn't allowed on this device",
         "Something outside Kelvo — Screen Time, or a profile from work or school — blocks "
         "contacts access, so this isn't a switch you can turn on. Everything else in Kelvo works "
         "as normal.",
         nullptr, nullptr, "Type a Fact in by hand instead"},
    }},
    // reminders
    {{
        {"Kelvo couldn't reach your reminders",
         "The reminders list didn't answer, so this isn't about permission. Try again — and if it "
         "keeps happening, keeping a card by hand does the same job.",
         "Try again", nullptr, "Keep a card by hand instead"},
        {"Keep a task where its documents are",
         "Kelvo can show what's on your reminders lists and keep any one of them as a card — the "
         "title, when it's due, the list it came from and its notes. It reads your reminders and "
         "never ticks, adds or deletes one.",
         "Allow reminders access", nullptr, nullptr},
        {"Reminders connected",
         "Kelvo can read your reminders lists. It never ticks one off, adds one, or deletes one.",
         nullptr, nullptr, nullptr},
        {"Reminders connected",
         "Kelvo can read your reminders lists. It never ticks one off, adds one, or deletes one.",
         nullptr, nullptr, nullptr},
        {"Kelvo can't see your reminders",
         "Kelvo isn't allowed to read your reminders, so it can't list your tasks or keep one as a "
         "card. Everything else in Kelvo works as normal, including Kelvo's own reminders on a "
         "card. Turn on Reminders for Kelvo in Settings to use this.",
         nullptr, "Open Settings", "Keep a card by hand instead"},
        {"Reminders access isn't allowed on this device",
         "Something outside Kelvo — Screen Time, or a profile from work or school — blocks "
         "reminders access, so this isn't a switch you can turn on. Everything else in Kelvo works "
         "as normal.",
         nullptr, nullptr, "Keep a card by hand instead"},
    }},
}};

std::optional<std::string> localizedTitle(const char* english) {
  if (english == nullptr) return std::nullopt;
  return localized(english);
}

IntegrationPermissionCopy systemCopy(const Table& table, std::size_t state) {
  const Row& row = table[state < table.size() ? state : 0];
  return {localized(row.headline),      localized(row.body),     localizedTitle(row.primary),
          localizedTitle(row.settings), row.fallback != nullptr, localizedTitle(row.fallback)};
}

// The title and reason are filled in after the lookup, in one pass, so a "%@" inside either
// stays as written.
IntegrationPermissionCopy accountCopy(const std::string& title,
                                      const IntegrationAuthorization& authorization) {
  using State = IntegrationAuthorization;
  const auto& state = authorization.value;
  if (const auto* unavailable = std::get_if<State::Unavailable>(&state)) {
    return {localized("%@ isn't available", title),
            localized("Kelvo can't reach %@ at the moment. %@.", title, unavailable->reason),
            std::nullopt,
            std::nullopt,
            true,
            localized("Keep something new")};
  }
  if (std::holds_alternative<State::NotDetermined>(state)) {
    return {localized("Connect %@", title),
            localized("Sign in once. Kelvo reads only what you pick, and keeps it on your device."),
            localized("Connect %@", title),
            std::nullopt,
            true,
            localized("Keep something new")};
  }
  if (authorization.canRead()) {
    return {localized("%@ is connected", title),
            localized("Kelvo reads only what you pick, and keeps it on your device. ") +
                "Disconnect any time in Settings.",
            std::nullopt,
            std::nullopt,
            false,
            std::nullopt};
  }
  return {localized("%@ isn't connected", title),
          localized("Sign in to %@ before Kelvo can keep anything from it.", title),
          localized("Connect %@", title),
          std::nullopt,
          true,
          localized("Keep something new")};
}

}  // namespace

IntegrationPermissionCopy IntegrationPermissionCopyBook::copy(
    KelvoIntegrationKind kind, const IntegrationAuthorization& authorization) {
  if (isAccountBased(kind)) return accountCopy(title(kind), authorization);
  const auto index = static_cast<std::size_t>(kind);
  return systemCopy(systemTables[index < systemTables.size() ? index : 0],
                    authorization.value.index());
}

}  // namespace kelvo
