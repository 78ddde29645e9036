#include "core/import/internal/PlaceholderScan.hpp"

#include <array>

namespace kelvo::import_internal {
namespace {

// In the order the pattern tries them: "fillpart" comes before the longer names it begins.
constexpr std::array<std::string_view, 8> commands{"filltext", "fillarea",    "fillpopup",
                                                   "fillpart", "fillpartend", "fillparttext",
                                                   "snippet",  "key"};

constexpr std::array<std::string_view, 3> markers{"clipboard", "|", "\\"};

}  // namespace

std::optional<TextExpanderPlaceholder> textExpanderPlaceholderAt(std::string_view body,
                                                                 std::size_t at) {
  if (at >= body.size() || body[at] != '%') return std::nullopt;
  const std::string_view rest = body.substr(at + 1);
  if (rest.empty()) return std::nullopt;
  for (const std::string_view command : commands) {
    if (rest.front() != command.front()) continue;
    if (!rest.starts_with(command)) continue;
    const std::size_t after = command.size();
    if (after < rest.size() && rest[after] == '%') {
      return TextExpanderPlaceholder{body.substr(at, after + 2), command, {}};
    }
    // Arguments run to the first percent sign; a line feed or the end first means none.
    if (after < rest.size() && rest[after] == ':') {
      std::size_t stop = after + 1;
      while (stop < rest.size() && rest[stop] != '%' && rest[stop] != '\n') ++stop;
      if (stop < rest.size() && rest[stop] == '%') {
        return TextExpanderPlaceholder{body.substr(at, stop + 2), command,
                                       rest.substr(after, stop - after)};
      }
    }
  }
  for (const std::string_view marker : markers) {
    if (rest.starts_with(marker))
      return TextExpanderPlaceholder{body.substr(at, marker.size() + 1), {}, {}};
  }
  return std::nullopt;
}

std::optional<std::string_view> quotedNameArgument(std::string_view arguments) {
  for (std::size_t at = arguments.find("name="); at != std::string_view::npos;
       at = arguments.find("name=", at + 1)) {
    const std::size_t open = at + 5;
    if (open >= arguments.size() || (arguments[open] != '"' && arguments[open] != '\'')) continue;
    const std::size_t close = arguments.find_first_of("\"'", open + 1);
    if (close != std::string_view::npos) return arguments.substr(open + 1, close - open - 1);
  }
  return std::nullopt;
}

}  // namespace kelvo::import_internal
