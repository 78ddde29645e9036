#pragma once

#include <string>
#include <string_view>

namespace kelvo::widgetkit {

/// Writes SVG markup: elements, escaped attributes and text, and numbers in a short form.
/// Text and attribute values are made safe whatever they hold: markup characters are escaped,
/// bytes that are not UTF-8 become U+FFFD and characters XML cannot carry are dropped.
class SVGWriter {
 public:
  /// Starts an element; attributes may follow until its content or its end.
  void open(std::string_view name);
  void attribute(std::string_view name, std::string_view value);
  void attribute(std::string_view name, double value);
  void text(std::string_view content);
  /// Ends the element `name`, as an empty element when nothing was written into it.
  void close(std::string_view name);
  /// Appends markup that is already well-formed.
  void raw(std::string_view markup);

  std::string take();

  /// "12", "0.5", "-3.125": at most three decimals, no trailing zeros, never "-0" or "nan".
  static std::string number(double value);
  static std::string escaped(std::string_view text);

 private:
  void finishStartTag();

  std::string out_;
  bool startTagOpen_ = false;
};

}  // namespace kelvo::widgetkit
