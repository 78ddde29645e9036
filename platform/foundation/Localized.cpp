#include "platform/foundation/Localized.hpp"

#include <libintl.h>
#include <locale.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>

#include "platform/foundation/Locale.hpp"

namespace kelvo {
namespace {

constexpr const char* domain = "kelvo";

void bindCodeset() {
  static std::once_flag once;
  // Translations come back in UTF-8 whatever the process's character type is.
  std::call_once(once, [] { bind_textdomain_codeset(domain, "UTF-8"); });
}

// gettext picks its catalogue by the thread's LC_MESSAGES locale. A system locale for our
// current locale makes lookups follow it; without one (it is not installed), the process's own
// locale decides, as for any gettext program.
locale_t messagesLocale(const std::string& identifier) {
  static std::mutex mutex;
  static std::map<std::string, locale_t> opened;
  std::lock_guard lock(mutex);
  const auto found = opened.find(identifier);
  if (found != opened.end()) return found->second;
  locale_t locale = newlocale(LC_MESSAGES_MASK, (identifier + ".UTF-8").c_str(), nullptr);
  if (locale == nullptr) locale = newlocale(LC_MESSAGES_MASK, identifier.c_str(), nullptr);
  // Kept for the life of the process: there are only ever a few.
  opened.emplace(identifier, locale);
  return locale;
}

void appendInteger(std::string& out, std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void appendReal(std::string& out, double value, int precision) {
  if (!std::isfinite(value)) {
    out += std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
    return;
  }
  // Room for the 309 integer digits of the largest double and the capped precision.
  char buffer[400];
  const auto result = precision < 0 ? std::to_chars(buffer, buffer + sizeof buffer, value)
                                    : std::to_chars(buffer, buffer + sizeof buffer, value,
                                                    std::chars_format::fixed, precision);
  if (result.ec == std::errc()) out.append(buffer, result.ptr);
}

std::int64_t truncated(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<std::int64_t>::min())) {
    return std::numeric_limits<std::int64_t>::min();
  }
  if (value >= static_cast<double>(std::numeric_limits<std::int64_t>::max())) {
    return std::numeric_limits<std::int64_t>::max();
  }
  return static_cast<std::int64_t>(value);
}

enum class Conversion { object, integer, real };

void appendArgument(std::string& out, const FormatArgument& argument, Conversion conversion,
                    int precision) {
  const auto& value = argument.value();
  if (const auto* text = std::get_if<std::string_view>(&value)) {
    out += *text;
  } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    if (conversion == Conversion::real) {
      appendReal(out, static_cast<double>(*integer), precision < 0 ? 6 : precision);
    } else {
      appendInteger(out, *integer);
    }
  } else {
    const double real = std::get<double>(value);
    if (conversion == Conversion::integer) {
      appendInteger(out, truncated(real));
    } else {
      appendReal(out, real, conversion == Conversion::real && precision < 0 ? 6 : precision);
    }
  }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of decimal digits, saturating so that no count can overflow.
std::size_t readNumber(std::string_view text, std::size_t& i) {
  std::size_t number = 0;
  while (i < text.size() && isDigit(text[i])) {
    number = number > 100'000 ? number : number * 10 + static_cast<std::size_t>(text[i] - '0');
    ++i;
  }
  return number;
}

}  // namespace

std::string formatted(std::string_view format, std::span<const FormatArgument> arguments) {
  std::string out;
  out.reserve(format.size() + 16 * arguments.size());
  std::size_t nextArgument = 0;
  std::size_t i = 0;
  while (i < format.size()) {
    const std::size_t percent = format.find('%', i);
    if (percent == std::string_view::npos) {
      out.append(format.substr(i));
      break;
    }
    out.append(format.substr(i, percent - i));
    std::size_t j = percent + 1;
    if (j < format.size() && format[j] == '%') {
      out.push_back('%');
      i = j + 1;
      continue;
    }
    // Optional position ("1$"), optional precision (".1"), then the conversion.
    std::size_t position = 0;
    const std::size_t digitsStart = j;
    const std::size_t number = readNumber(format, j);
    if (j > digitsStart && j < format.size() && format[j] == '$' && number > 0) {
      position = number;
      ++j;
    } else {
      j = digitsStart;
    }
    int precision = -1;
    if (j < format.size() && format[j] == '.') {
      ++j;
      precision = static_cast<int>(std::min<std::size_t>(readNumber(format, j), 30));
    }
    const std::string_view rest = format.substr(j);
    Conversion conversion = Conversion::object;
    std::size_t length = 0;
    if (rest.starts_with('@') && precision < 0) {
      length = 1;
    } else if (rest.starts_with("lld") && precision < 0) {
      conversion = Conversion::integer;
      length = 3;
    } else if (rest.starts_with('d') && precision < 0) {
      conversion = Conversion::integer;
      length = 1;
    } else if (rest.starts_with('f')) {
      conversion = Conversion::real;
      length = 1;
    }
    const std::size_t end = j + length;
    const std::size_t index = position > 0 ? position - 1 : nextArgument++;
    if (length == 0 || index >= arguments.size()) {
      // Not ours, or nothing to put there: the text stays as written.
      out.append(format.substr(percent, length == 0 ? 1 : end - percent));
      i = length == 0 ? percent + 1 : end;
      if (length == 0 && position == 0) --nextArgument;
      continue;
    }
    appendArgument(out, arguments[index], conversion, precision);
    i = end;
  }
  return out;
}

std::string localized(std::string_view english) {
  if (english.empty()) return {};  // The empty key would give the catalogue's header.
  bindCodeset();
  const std::string key(english);
  const locale_t locale = messagesLocale(Locale::current().identifier());
  const char* text = nullptr;
  if (locale != nullptr) {
    const locale_t previous = uselocale(locale);
    text = dgettext(domain, key.c_str());
    uselocale(previous);
  } else {
    text = dgettext(domain, key.c_str());
  }
  if (text == nullptr || text == key.c_str()) return key;
  return text;
}

void setLocalizationDirectory(const std::string& folder) {
  bindCodeset();
  bindtextdomain(domain, folder.c_str());
}

}  // namespace kelvo
