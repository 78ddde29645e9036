#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace kelvo {

/// One piece of a variable template: text shown as it is, or a `{name}` blank.
struct TemplateSegment {
  /// Text shown unchanged, escape backslashes already removed.
  struct Literal {
    std::string text;
    friend bool operator==(const Literal&, const Literal&) = default;
  };
  /// A blank; its name is trimmed and never empty.
  struct Variable {
    std::string name;
    friend bool operator==(const Variable&, const Variable&) = default;
  };

  std::variant<Literal, Variable> value;

  static TemplateSegment literal(std::string text) { return {Literal{std::move(text)}}; }
  static TemplateSegment variable(std::string name) { return {Variable{std::move(name)}}; }

  bool isVariable() const { return std::holds_alternative<Variable>(value); }
  /// The literal's text or the variable's name.
  const std::string& text() const {
    return isVariable() ? std::get<Variable>(value).name : std::get<Literal>(value).text;
  }

  friend bool operator==(const TemplateSegment&, const TemplateSegment&) = default;
};

/// A text with `{name}` blanks, parsed once into literal and variable segments and filled from
/// a dictionary. A backslash before a brace makes it ordinary text; anything that is not a
/// well-formed blank stays text, so every input parses.
class VariableTemplate {
 public:
  /// Values by variable name; an absent, missing or empty value leaves the blank showing.
  using Values = std::unordered_map<std::string, std::optional<std::string>>;

  explicit VariableTemplate(std::string raw);

  /// The text exactly as given.
  const std::string& raw() const { return raw_; }
  /// Never two literals in a row, never an empty literal.
  const std::vector<TemplateSegment>& segments() const { return segments_; }

  /// The variable names in order of first appearance, each once (compared exactly).
  std::vector<std::string> variableNames() const;
  bool hasVariables() const;
  /// Each blank replaced by its non-empty value, inserted unchanged; other blanks stay
  /// "{name}".
  std::string filled(const Values& values) const;
  /// The unfilled text: every blank shown as "{name}".
  std::string displayText() const;

  /// The segments of `raw`. Characters are grapheme clusters: a brace or backslash that a
  /// following mark joins is ordinary text.
  static std::vector<TemplateSegment> parse(std::string_view raw);

  friend bool operator==(const VariableTemplate&, const VariableTemplate&) = default;

 private:
  std::string raw_;
  std::vector<TemplateSegment> segments_;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::TemplateSegment> {
  size_t operator()(const kelvo::TemplateSegment& segment) const noexcept;
};

template <>
struct std::hash<kelvo::VariableTemplate> {
  size_t operator()(const kelvo::VariableTemplate& value) const noexcept;
};
