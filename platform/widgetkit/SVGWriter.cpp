#include "platform/widgetkit/SVGWriter.hpp"

#include <unicode/utf8.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace kelvo::widgetkit {
namespace {

// Whether XML 1.0 may carry the character.
bool isXMLCharacter(UChar32 c) {
  if (c == 0x9 || c == 0xA || c == 0xD) return true;
  if (c < 0x20) return false;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c != 0xFFFE && c != 0xFFFF;
}

void appendUTF8(std::string& out, UChar32 c) {
  char buffer[U8_MAX_LENGTH];
  int32_t length = 0;
  UBool error = false;
  U8_APPEND(reinterpret_cast<uint8_t*>(buffer), length, U8_MAX_LENGTH, c, error);
  if (!error) out.append(buffer, static_cast<std::size_t>(length));
}

}  // namespace

void SVGWriter::finishStartTag() {
  if (startTagOpen_) {
    out_.push_back('>');
    startTagOpen_ = false;
  }
}

void SVGWriter::open(std::string_view name) {
  finishStartTag();
  out_.push_back('<');
  out_.append(name);
  startTagOpen_ = true;
}

void SVGWriter::attribute(std::string_view name, std::string_view value) {
  out_.push_back(' ');
  out_.append(name);
  out_.append("=\"");
  out_.append(escaped(value));
  out_.push_back('"');
}

void SVGWriter::attribute(std::string_view name, double value) { attribute(name, number(value)); }

void SVGWriter::text(std::string_view content) {
  finishStartTag();
  out_.append(escaped(content));
}

void SVGWriter::close(std::string_view name) {
  if (startTagOpen_) {
    out_.append("/>");
    startTagOpen_ = false;
    return;
  }
  out_.append("</");
  out_.append(name);
  out_.push_back('>');
}

void SVGWriter::raw(std::string_view markup) {
  finishStartTag();
  out_.append(markup);
}

std::string SVGWriter::take() {
  finishStartTag();
  std::string result = std::move(out_);
  out_.clear();
  return result;
}

std::string SVGWriter::number(double value) {
  if (!std::isfinite(value)) return "0";
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  if (error != std::errc()) return "0";
  std::string text(buffer, end);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (text == "-0") text = "0";
  return text;
}

std::string SVGWriter::escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
  for (int32_t i = 0; i < length;) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) c = 0xFFFD;
    if (!isXMLCharacter(c)) continue;
    switch (c) {
      case '&':
        out.append("&amp;");
        break;
      case '<':
        out.append("&lt;");
        break;
      case '>':
        out.append("&gt;");
        break;
      case '"':
        out.append("&quot;");
        break;
      case '\'':
        out.append("&apos;");
        break;
      case '\n':
        out.append("&#10;");
        break;
      case '\r':
        out.append("&#13;");
        break;
      case '\t':
        out.append("&#9;");
        break;
      default:
        appendUTF8(out, c);
    }
  }
  return out;
}

}  // namespace kelvo::widgetkit
