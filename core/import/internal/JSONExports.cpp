#include "core/import/internal/JSONExports.hpp"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "core/import/internal/JSONSnippets.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo::import_internal {
namespace {

// What the value after a key is to a reader.
enum class Role { none, title, body, keyword, wrapped };

// nlohmann's events as an export reader sees them: containers opening at a depth, keys, and
// values of which only texts are told apart. `Reader` gives each key its role and takes the
// value that follows it (`value`, `opening`) with that role; values in arrays have none.
template <class Reader>
class ExportEvents : public json::Events {
 public:
  bool null() final { return scalar(); }
  bool boolean(bool) final { return scalar(); }
  bool number_integer(number_integer_t) final { return scalar(); }
  bool number_unsigned(number_unsigned_t) final { return scalar(); }
  bool number_float(number_float_t, const string_t&) final { return scalar(); }
  bool binary(binary_t&) final { return scalar(); }
  bool string(string_t& text) final {
    reader().value(std::exchange(role_, Role::none), &text);
    return true;
  }
  bool start_object(std::size_t) final { return open(true); }
  bool start_array(std::size_t) final { return open(false); }
  bool key(string_t& name) final {
    role_ = reader().role(name);
    return true;
  }
  bool end_object() final {
    --depth_;
    return reader().closed();
  }
  bool end_array() final {
    --depth_;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) final {
    return false;
  }

 protected:
  // Containers open around the value at hand (0 for the document's own value).
  int depth_ = 0;
  bool topIsArray_ = false;

  bool inTopArray() const { return depth_ == 1 && topIsArray_; }

 private:
  Reader& reader() { return static_cast<Reader&>(*this); }
  bool scalar() {
    reader().value(std::exchange(role_, Role::none), nullptr);
    return true;
  }
  bool open(bool object) {
    if (depth_ == 0) topIsArray_ = !object;
    reader().opening(object, std::exchange(role_, Role::none));
    ++depth_;
    return true;
  }

  Role role_ = Role::none;
};

// The recognisers' questions, asked of the document's own object or its array's first element.
class ExportShape final : public ExportEvents<ExportShape> {
 public:
  /// Whether what is still to come can change the format no more.
  bool decided() const { return decided_; }
  std::optional<ImportFormat> format() const {
    if (topIsArray_ && firstIsObject_ && text_ && named_) return ImportFormat::raycast;
    if (wrapped_ && (!topIsArray_ || firstIsObject_)) return ImportFormat::alfred;
    return std::nullopt;
  }

  Role role(std::string_view name) {
    if (depth_ != candidateDepth_) return Role::none;
    text_ = text_ || name == "text";
    named_ = named_ || name == "name" || name == "keyword";
    return name == "alfredsnippet" ? Role::wrapped : Role::none;
  }
  void value(Role role, std::string*) {
    if (role == Role::wrapped) wrapped_ = false;
    if (inTopArray()) decided_ = firstSeen_ = true;
  }
  void opening(bool object, Role role) {
    if (role == Role::wrapped) wrapped_ = object;
    if (depth_ == 0 && object) {
      candidateDepth_ = 1;
    } else if (inTopArray() && !std::exchange(firstSeen_, true)) {
      firstIsObject_ = object;
      candidateDepth_ = object ? 2 : -1;
      decided_ = !object;
    }
  }
  bool closed() {
    if (depth_ + 1 == candidateDepth_) {
      candidateDepth_ = -1;
      decided_ = true;
    }
    return true;
  }

 private:
  int candidateDepth_ = -1;  // inside the object asked about, while it is open
  bool decided_ = false, firstSeen_ = false, firstIsObject_ = false;
  bool text_ = false, named_ = false, wrapped_ = false;
};

// The snippets: one per object of the top-level array (Raycast), or one per object wrapping an
// object under "alfredsnippet" (Alfred: the document's object, or each object of its array).
class SnippetEvents final : public ExportEvents<SnippetEvents> {
 public:
  SnippetEvents(ImportFormat format, std::size_t limit, bool make)
      : alfred_(format == ImportFormat::alfred),
        bodyKey_(alfred_ ? "snippet" : "text"),
        limit_(limit),
        making_(make) {}

  std::size_t count() const { return count_; }
  std::vector<ImportedSnippet>& snippets() { return snippets_; }

  Role role(std::string_view name) const {
    if (inSnippet_ && depth_ == snippetDepth()) {
      if (name == "name") return Role::title;
      if (name == bodyKey_) return Role::body;
      if (name == "keyword") return Role::keyword;
    } else if (inWrapper_ && !inSnippet_ && depth_ == wrapperDepth() && name == "alfredsnippet") {
      return Role::wrapped;
    }
    return Role::none;
  }
  // The last value under a key counts: a text sets the field, anything else clears it.
  void value(Role role, std::string* text) {
    std::optional<std::string>* field = role == Role::title     ? &title_
                                        : role == Role::body    ? &body_
                                        : role == Role::keyword ? &keyword_
                                                                : nullptr;
    if (field && making_) {
      if (text) {
        *field = std::move(*text);
      } else {
        field->reset();
      }
    }
    if (role == Role::wrapped) wrapped_ = false;
  }
  void opening(bool object, Role role) {
    value(role, nullptr);
    if (!object) return;
    if (role == Role::wrapped || (!alfred_ && inTopArray())) {
      title_.reset(), body_.reset(), keyword_.reset();
      inSnippet_ = true;
    } else if (alfred_ && (depth_ == 0 || inTopArray())) {
      inWrapper_ = true;
    }
  }
  bool closed() {
    if (inSnippet_ && depth_ + 1 == snippetDepth()) {
      inSnippet_ = false;
      if (alfred_) {
        wrapped_ = true;
      } else {
        add();
      }
    } else if (inWrapper_ && depth_ + 1 == wrapperDepth()) {
      inWrapper_ = false;
      if (std::exchange(wrapped_, false)) add();
    }
    return true;
  }

 private:
  int wrapperDepth() const { return topIsArray_ ? 2 : 1; }
  int snippetDepth() const { return alfred_ ? wrapperDepth() + 1 : 2; }

  // Past the limit the list is given back at once, and only counting goes on.
  void add() {
    if (++count_ > limit_ && making_) {
      making_ = false;
      std::vector<ImportedSnippet>().swap(snippets_);
    }
    if (making_) {
      snippets_.push_back(
          jsonSnippet(std::move(title_), std::move(body_), std::move(keyword_), bodyKey_));
    }
  }

  bool alfred_;
  std::string_view bodyKey_;
  std::size_t limit_;
  bool making_;
  std::size_t count_ = 0;
  bool inWrapper_ = false, inSnippet_ = false, wrapped_ = false;
  std::optional<std::string> title_, body_, keyword_;
  std::vector<ImportedSnippet> snippets_;
};

// Reads as the recognisers and as both tools' parsers at once until the document's first
// element has settled which tool it is from, then as that tool's parser alone, so that one
// reading both recognises an export and gives its snippets. No text is wanted by two of them:
// each parser takes only the texts at its own depth.
class ExportReader final : public json::Events {
 public:
  ExportReader(std::size_t limit, bool make)
      : limit_(limit),
        make_(make),
        tools_{SnippetEvents(ImportFormat::raycast, limit, make),
               SnippetEvents(ImportFormat::alfred, limit, make)} {}

  JSONExport result() {
    JSONExport found{.format = shape_.format(), .count = 0, .snippets = std::nullopt};
    if (!found.format) return found;
    SnippetEvents& tool = tools_[*found.format == ImportFormat::alfred];
    found.count = tool.count();
    if (make_ && found.count <= limit_) found.snippets = std::move(tool.snippets());
    return found;
  }

  bool null() override {
    return each([](json::Events& events) { return events.null(); });
  }
  bool boolean(bool value) override {
    return each([&](json::Events& events) { return events.boolean(value); });
  }
  bool number_integer(number_integer_t value) override {
    return each([&](json::Events& events) { return events.number_integer(value); });
  }
  bool number_unsigned(number_unsigned_t value) override {
    return each([&](json::Events& events) { return events.number_unsigned(value); });
  }
  bool number_float(number_float_t value, const string_t& text) override {
    return each([&](json::Events& events) { return events.number_float(value, text); });
  }
  bool string(string_t& text) override {
    return each([&](json::Events& events) { return events.string(text); });
  }
  bool binary(binary_t& value) override {
    return each([&](json::Events& events) { return events.binary(value); });
  }
  bool start_object(std::size_t size) override {
    return each([&](json::Events& events) { return events.start_object(size); });
  }
  bool key(string_t& name) override {
    return each([&](json::Events& events) { return events.key(name); });
  }
  bool end_object() override {
    return each([](json::Events& events) { return events.end_object(); });
  }
  bool start_array(std::size_t size) override {
    return each([&](json::Events& events) { return events.start_array(size); });
  }
  bool end_array() override {
    return each([](json::Events& events) { return events.end_array(); });
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  template <class Event>
  bool each(const Event& event) {
    event(shape_);
    for (std::size_t tool = 0; tool < 2; ++tool) {
      if (listening_[tool]) event(tools_[tool]);
    }
    if (!settled_ && shape_.decided()) settle();
    return true;
  }

  // The other tool's parser is dropped, with what it made of the first element.
  void settle() {
    settled_ = true;
    const std::optional<ImportFormat> format = shape_.format();
    for (std::size_t tool = 0; tool < 2; ++tool) {
      if (format && tool == (*format == ImportFormat::alfred)) continue;
      listening_[tool] = false;
      std::vector<ImportedSnippet>().swap(tools_[tool].snippets());
    }
  }

  std::size_t limit_;
  bool make_;
  ExportShape shape_;
  std::array<SnippetEvents, 2> tools_;  // Raycast's, then Alfred's
  std::array<bool, 2> listening_{true, true};
  bool settled_ = false;
};

// Whether `text` may give more than `limit` snippets: each is an object, at least two bytes
// opened by a brace outside strings (braces in the texts of snippets are common). Read at
// `memchr`'s pace.
bool mayHoldMore(std::string_view text, std::size_t limit) {
  if (text.size() / 2 <= limit) return false;
  const auto find = [text](char byte, std::size_t from) {
    return std::min(text.find(byte, from), text.size());
  };
  std::size_t objects = 0;
  std::size_t brace = find('{', 0);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t quote = find('"', at);
    for (; brace < quote; brace = find('{', brace + 1)) {
      if (++objects > limit) return true;
    }
    // The string's closing quote: one not escaped by an odd run of backslashes.
    std::size_t end = find('"', quote + 1);
    while (end < text.size() && (end - text.find_last_not_of('\\', end - 1)) % 2 == 0) {
      end = find('"', end + 1);
    }
    at = end + 1;
    if (brace < at) brace = find('{', at);
  }
  return false;
}

// `format`'s snippets, made when `make` into a list with room for `expected`, else counted.
JSONExport readAs(std::string_view text, ImportFormat format, std::size_t limit, bool make,
                  std::size_t expected = 0) {
  SnippetEvents events(format, limit, make);
  if (make) events.snippets().reserve(std::min(expected, limit));
  json::read(text, events);
  JSONExport found{.format = format, .count = events.count(), .snippets = std::nullopt};
  if (make && found.count <= limit) found.snippets = std::move(events.snippets());
  return found;
}

}  // namespace

// A text that may give more snippets than the limit is counted before any is made, so that a
// refusal holds nothing beside the text; the few such exports that fit are read again, into a
// list of their size.
JSONExport jsonExport(std::string_view text, std::optional<std::size_t> limit) {
  if (limit && mayHoldMore(text, *limit)) {
    JSONExport counted = jsonExport(text, std::nullopt);
    if (!counted.format || counted.count > *limit) return counted;
    return readAs(text, *counted.format, *limit, true, counted.count);
  }
  ExportReader reader(limit.value_or(0), limit.has_value());
  json::read(text, reader);
  return reader.result();
}

JSONExport jsonExport(std::string_view text, ImportFormat format, std::size_t limit) {
  if (!mayHoldMore(text, limit)) return readAs(text, format, limit, true);
  JSONExport counted = readAs(text, format, limit, false);
  if (counted.count > limit) return counted;
  return readAs(text, format, limit, true, counted.count);
}

}  // namespace kelvo::import_internal
