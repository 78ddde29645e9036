#pragma once

#include <cstdint>
#include <string>

#include "platform/foundation/Locale.hpp"

namespace kelvo {

struct IntegerStyle {
  /// The locale's grouping separators ("1,234"); off gives "1234".
  bool grouping = true;
  /// Pads with zeros to this many digits ("01"); 1 to 40.
  int minimumIntegerDigits = 1;
};

/// `value` in the digits, signs and grouping of a locale: 1234 is "1,234" in en_US and
/// "1.234" in de_DE.
std::string formatInteger(std::int64_t value, const Locale& locale, IntegerStyle style = {});
/// As above, in the current locale.
std::string formatInteger(std::int64_t value, IntegerStyle style = {});

/// The platform's default text of a double: the shortest digits that read back to the same
/// value, as a plain decimal with at least one fractional digit ("3.0", "0.0001", "-0.0") while
/// the value is at least 0.0001 and at most 2^53 in magnitude, else in exponent form ("1e-05",
/// "1.5e+16"); "nan", "inf" and "-inf" for the rest.
std::string describing(double value);

}  // namespace kelvo
