#include "core/import/internal/TextExpanderScan.hpp"

#include <array>

namespace kelvo::importing {
namespace {

// In the order the pattern tries them: "fillpart" comes before the longer names it begins.
constexpr std::array<std::string_view, 8> commands{
    "filltext", "fillarea", "fillpopup", "fillpart", "fillpartend", "fillparttext", "snippet",
    "key"};

constexpr std::array<std::string_view, 3> markers{"clipboard", "|", "\\"};

}  // namespace

std::optional<TextExpanderPlaceholder> textExpanderPlaceholderAt(std::string_view body,
                                                                 std::size_t at) {
  if (at >= body.size() || body[at] != '%') return std::nullopt;
  const std::string_view rest = body.substr(at + 1);
  for (const std::string_view command : commands) {
    if (!rest.starts_with(command)) continue;
    const std::size_t after = command.size();
    if (after < rest.size() && rest[after] == '%') {
      return TextExpanderPlaceholder{body.substr(at, after + 2), command, {}};
    }
    // Arguments run to the first percent sign; a line feed or the end first means none.
    if (after < rest.size() && rest[after] == ':') {
      const std::size_t stop = rest.find_first_of("%\n", after + 1);
      if (stop != std::string_view::npos && rest[stop] == '%') {
        return TextExpanderPlaceholder{body.substr(at, stop + 2), command,
                                       rest.substr(after, stop - after)};
      }
    }
  }
  for (const std::string_view marker : markers) {
    if (rest.starts_with(marker)) return TextExpanderPlaceholder{body.substr(at, marker.size() + 1), {}, {}};
  }
  return std::nullopt;
}

}  // namespace kelvo::importing
