#include "platform/widgetkit/SVGWriter.hpp"

#include <charconv>
#include <cmath>

#include "platform/foundation/Utf.hpp"

namespace kelvo::widgetkit {
namespace {

// Whether XML 1.0 may carry the character.
bool isXMLCharacter(char32_t c) {
  if (c == 0x9 || c == 0xA || c == 0xD) return true;
  if (c < 0x20) return false;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c != 0xFFFE && c != 0xFFFF;
}

bool isPlainASCII(char c) {
  return c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'';
}

// Appends `text` escaped for XML content and attribute values.
void appendEscaped(std::string& out, std::string_view text) {
  std::size_t offset = 0;
  while (offset < text.size()) {
    // Path data and names are mostly plain ASCII: copied in runs, not decoded one by one.
    const std::size_t runStart = offset;
    while (offset < text.size() && isPlainASCII(text[offset])) ++offset;
    out.append(text.substr(runStart, offset - runStart));
    if (offset == text.size()) break;
    const char32_t c = nextScalar(text, offset);
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
        appendUtf8(out, c);
    }
  }
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
  appendEscaped(out_, value);
  out_.push_back('"');
}

void SVGWriter::attribute(std::string_view name, double value) { attribute(name, number(value)); }

void SVGWriter::text(std::string_view content) {
  finishStartTag();
  appendEscaped(out_, content);
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
  appendEscaped(out, text);
  return out;
}

}  // namespace kelvo::widgetkit
