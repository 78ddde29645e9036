#include "platform/foundation/JSON.hpp"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <pugixml.hpp>
#include <random>

#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/PropertyList.hpp"
#include "platform/foundation/internal/PropertyListScanner.hpp"

namespace kelvo {
namespace {

using Kind = DecodingError::Kind;

// The error `run` throws; a run that throws none fails the test.
template <class Run>
DecodingError thrown(Run run) {
  try {
    run();
  } catch (const DecodingError& error) {
    return error;
  }
  ADD_FAILURE() << "nothing was thrown";
  return DecodingError(Kind::dataCorrupted, "", {});
}

DecodingError parseFailure(std::string_view text) {
  return thrown([&] { (void)json::parse(text); });
}

TEST(JSONTest, WritesAsThePlatformEncoderDoes) {
  EXPECT_EQ(json::write(Json{{"q", "a/b"}}), R"({"q":"a\/b"})");
  EXPECT_EQ(json::write(json::parse(R"(["Caf\u00e9 \/ bar"])")), R"(["Café \/ bar"])");
  Json document = {{"zeta", 1}, {"alpha", {true, nullptr}}, {"Mid", "é\"\\\n\x01"}};
  document["id"] = *UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
  document["at"] = Date(-0.5);
  EXPECT_EQ(json::write(document), R"({"Mid":"é\"\\\n\u0001","alpha":[true,null],"at":-0.5,)"
                                   R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","zeta":1})");
  OrderedJson ordered;
  ordered["zeta"] = 1;
  ordered["alpha"] = OrderedJson::array();
  EXPECT_EQ(json::write(ordered), R"({"zeta":1,"alpha":[]})");
  // Ill-formed UTF-8 is repaired rather than written.
  EXPECT_EQ(json::write(Json{std::string("a\xFF")}), "[\"a\xEF\xBF\xBD\"]");
}

TEST(JSONTest, NumbersPrintInTheirShortestForm) {
  const std::pair<double, const char*> doubles[] = {
      {3.0, "3"},      {0.1, "0.1"}, {1e16, "10000000000000000"},    {1e20, "1e+20"},
      {1e-7, "1e-07"}, {-0.0, "-0"}, {1.0 / 3, "0.3333333333333333"}};
  for (const auto& [value, text] : doubles) {
    EXPECT_EQ(json::write(Json{value}), "[" + std::string(text) + "]");
  }
  EXPECT_EQ(json::write(Json{std::numeric_limits<std::int64_t>::min()}), "[-9223372036854775808]");
  EXPECT_THROW(json::write(Json{{"x", NAN}}), EncodingError);
  for (const double value : {0.1, 5e-324, 1.7976931348623157e308, 720000000.5}) {
    EXPECT_EQ(json::parse(json::write(Json{value}))[0].get<double>(), value);
  }
}

TEST(JSONTest, ReadsStrictly) {
  for (const char* text :
       {"", "{", "{\"a\":1,}", "[1,]", "{'a':1}", "[01]", "[NaN]", "[1] x", "// c\n[]", "[1e400]",
        "[-1e309]", "[\"\xFF\"]", "[\"\x01\"]", "{\"a\" 1}", "[.5]", "[+1]"}) {
    EXPECT_EQ(parseFailure(text).kind(), Kind::dataCorrupted) << text;
  }
  // A document is an object or an array unless fragments are allowed.
  for (const char* scalar : {"1", "\"text\"", "null", "true"}) {
    EXPECT_EQ(parseFailure(scalar).kind(), Kind::dataCorrupted);
    EXPECT_NO_THROW(json::parse(scalar, true));
  }
  EXPECT_EQ(json::parse("\xEF\xBB\xBF [ ] ").size(), 0u);
}

TEST(JSONTest, RefusesDeepNesting) {
  const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  EXPECT_NO_THROW(json::parse(nested(json::maximumDepth)));
  const DecodingError tooDeep = parseFailure(nested(600));
  EXPECT_EQ(tooDeep.kind(), Kind::dataCorrupted);
  EXPECT_NE(tooDeep.description().find("nested"), std::string::npos);

  std::string objects;
  for (int i = 0; i < 513; ++i) objects += "{\"a\":";
  objects += "1" + std::string(513, '}');
  EXPECT_THROW(json::parse(objects), DecodingError);
  // Brackets inside strings do not count.
  EXPECT_NO_THROW(json::parse("[\"" + std::string(1000, '[') + "\\\"\"]"));
  // Unclosed nesting far past the limit fails quickly, without building anything.
  EXPECT_THROW(json::parse(std::string(1'000'000, '[')), DecodingError);
}

// Counts the values it is given, and stops at the `stopAt`th.
struct CountingEvents : json::Events {
  int values = 0, stopAt = -1;
  bool value() { return ++values != stopAt; }
  bool null() override { return value(); }
  bool boolean(bool) override { return value(); }
  bool number_integer(number_integer_t) override { return value(); }
  bool number_unsigned(number_unsigned_t) override { return value(); }
  bool number_float(number_float_t, const string_t&) override { return value(); }
  bool string(string_t&) override { return value(); }
  bool binary(binary_t&) override { return value(); }
  bool start_object(std::size_t) override { return value(); }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return value(); }
  bool end_array() override { return true; }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    ADD_FAILURE() << "a failure reached the handler";
    return false;
  }
};

// Every value of a tree, containers included.
int valuesIn(const Json& value) {
  int count = 1;
  for (const Json& element : value) count += value.is_structured() ? valuesIn(element) : 0;
  return count;
}

TEST(JSONTest, ReadingValueByValueFailsWhereParsingFails) {
  const std::vector<std::string> texts{"",
                                       "{",
                                       "{\"a\":1,}",
                                       "[1,]",
                                       "[01]",
                                       "[1] x",
                                       "// c\n[]",
                                       "[1e400]",
                                       "[\"\xFF\"]",
                                       "{\"a\" 1}",
                                       "1",
                                       "\"text\"",
                                       "\xEF\xBB\xBF [ ] ",
                                       "[1, 2,]",
                                       "{\"a\": tru}",
                                       std::string(600, '[') + std::string(600, ']'),
                                       "[{\"a\": [1, {\"b\": null}]}, \"\\u00e9\"]",
                                       std::string(10, '[') + "1e400" + std::string(600, '['),
                                       std::string("[1]\0x", 5)};
  for (const std::string& text : texts) {
    for (const bool fragments : {false, true}) {
      CountingEvents events;
      std::optional<Json> tree;
      try {
        tree = json::parse(text, fragments);
      } catch (const DecodingError& error) {
        const DecodingError failure = thrown([&] { (void)json::read(text, events, fragments); });
        EXPECT_EQ(failure.description(), error.description()) << text;
        EXPECT_EQ(failure.offset(), error.offset()) << text;
        continue;
      }
      EXPECT_TRUE(json::read(text, events, fragments)) << text;
      EXPECT_EQ(events.values, valuesIn(*tree)) << text;
    }
  }
  // A handler that stops the reading stops it there, even before a failure further on.
  CountingEvents events;
  events.stopAt = 2;
  EXPECT_FALSE(json::read("[1, 2, 3, x", events));
  EXPECT_EQ(events.values, 2);
}

enum class Outcome { image, noImage, failed };
constexpr std::array<std::pair<Outcome, std::string_view>, 3> outcomes{
    {{Outcome::image, "image"}, {Outcome::noImage, "noImage"}, {Outcome::failed, "failed"}}};

template <class Read>
DecodingError failure(const Json& json, Read read) {
  return thrown([&] { read(JSONReader(json)); });
}

TEST(JSONReaderTest, ReadsTheSharedValueForms) {
  const Json document = json::parse(R"({
    "at": 720000000.25, "data": "AAEC/w==", "outcome": "noImage", "whole": 1.0, "day": 3,
    "names": ["a", "b"], "missing": null, "smallest": -9223372036854775808, "extra": {}})");
  const JSONReader reader(document);
  EXPECT_EQ(reader["at"].date(), Date(720000000.25));
  EXPECT_EQ(reader["day"].date(), Date(3));
  EXPECT_EQ(reader["data"].bytes(), (Bytes{0, 1, 2, 255}));
  EXPECT_EQ(reader["outcome"].rawValue(outcomes, "Outcome"), Outcome::noImage);
  EXPECT_EQ(reader["names"].map([](const JSONReader& name) { return name.string(); }),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(reader.optional("missing"));
  EXPECT_FALSE(reader.optional("absent"));
  EXPECT_EQ(reader["whole"].integer(), 1);
  EXPECT_EQ(reader["smallest"].integer(), INT64_MIN);
}

TEST(JSONReaderTest, FailuresSayWhatAndWhere) {
  const Json document = json::parse(R"({"cards": [{"title": "a"}, {"title": 5, "id": null,
    "type": "Text", "uuid": "E621E1F8C36C495A93FC0C247A3E6E5F", "data": "AAE", "n": 1.5,
    "big": 9223372036854775808}]})");
  const auto second = [](const JSONReader& root) { return root["cards"].elements()[1]; };

  DecodingError error =
      failure(document, [&](const JSONReader& r) { second(r)["title"].string(); });
  EXPECT_EQ(error.kind(), Kind::typeMismatch);
  EXPECT_EQ(error.type(), "String");
  EXPECT_STREQ(error.what(),
               "Expected to decode String but found a number instead. (at cards.Index 1.title)");

  error = failure(document, [&](const JSONReader& r) { second(r)["name"]; });
  EXPECT_EQ(error.kind(), Kind::keyNotFound);
  EXPECT_EQ(error.codingPath(), (std::vector<std::string>{"cards", "Index 1"}));
  EXPECT_EQ(error.description(), "No value associated with key \"name\".");

  const auto kindOf = [&](void (*read)(const JSONReader&)) {
    return failure(document, [&](const JSONReader& r) { read(second(r)); }).kind();
  };
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["id"].uuid(); }), Kind::valueNotFound);
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["uuid"].uuid(); }), Kind::dataCorrupted);
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["data"].bytes(); }), Kind::dataCorrupted);
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["n"].integer(); }), Kind::dataCorrupted);
  EXPECT_EQ(kindOf([](const JSONReader& card) { card["big"].integer(); }), Kind::dataCorrupted);
  error = failure(document,
                  [&](const JSONReader& r) { second(r)["type"].rawValue(outcomes, "Outcome"); });
  EXPECT_EQ(error.kind(), Kind::dataCorrupted);
  EXPECT_EQ(error.description(), "Cannot initialize Outcome from invalid String value Text");
  EXPECT_EQ(failure(document, [](const JSONReader& r) { r["cards"]["x"]; }).kind(),
            Kind::typeMismatch);
  EXPECT_EQ(failure(Json("1"), [](const JSONReader& r) { r.number(); }).kind(), Kind::typeMismatch);
}

TEST(JSONReaderTest, SingleKeyCases) {
  static constexpr std::array<std::string_view, 3> cases = {"hello", "ping", "pong"};
  const auto read = [](const JSONReader& r) { return r.singleKeyCase(cases, "M"); };
  const Json extra = json::parse(R"({"pong": {"stray": 1}, "extra": 2, "Hello": {}})");
  const JSONCase found = read(JSONReader(extra));
  EXPECT_EQ(found.name, "pong");
  EXPECT_EQ(found.payload.json().size(), 1u);

  for (const char* text : {"{}", R"({"ping": {}, "pong": {}})", R"({"Hello": {"_0": 1}})"}) {
    const DecodingError error = failure(json::parse(text), read);
    EXPECT_EQ(error.kind(), Kind::typeMismatch) << text;
    EXPECT_EQ(error.description(), "Invalid number of keys found, expected one.");
  }
  for (const char* text : {R"({"ping": null})", R"({"ping": []})", R"({"ping": "x"})"}) {
    const DecodingError error = failure(json::parse(text), read);
    EXPECT_NE(error.kind(), Kind::keyNotFound) << text;
    EXPECT_EQ(error.codingPath(), std::vector<std::string>{"ping"});
  }
}

using Value = PropertyListValue;

TEST(PropertyListTest, ReadsEveryKindOfValue) {
  const Value root = PropertyList::read(R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<!DOCTYPE plist SYSTEM "file:///etc/passwd" [<!ENTITY e "x">]>
<plist version="1.0"><dict>
  <key>t</key><true/> <key>f</key><false/>
  <key>i</key><integer>-9223372036854775808</integer>
  <key>r</key><real> 2.5 </real>
  <key>d</key><date>2001-01-02T00:00:01Z</date>
  <key>b</key><data> AAEC
    /w== </data>
  <key>s</key><string> a <!-- note --> b&amp;&#233;&e;<![CDATA[<c>]]></string>
  <key>sp</key><string>   </string>
  <key>empty</key><string/>
  <key>a</key><array><integer>1</integer><array/></array>
  <key>i</key><integer>7</integer>
</dict></plist>)");
  const Value::Dictionary expected{
      {"t", Value(true)},
      {"f", Value(false)},
      {"i", Value(std::int64_t{7})},
      {"r", Value(2.5)},
      {"d", Value(Date(86'401))},
      {"b", Value(Bytes{0, 1, 2, 255})},
      {"s", Value(std::string(" a  b&\u00e9&e;<c>"))},
      {"sp", Value(std::string("   "))},
      {"empty", Value(std::string())},
      {"a", Value(Value::Array{Value(std::int64_t{1}), Value(Value::Array{})})},
  };
  EXPECT_EQ(root.dictionary(), expected);
  EXPECT_EQ(PropertyList::read("<string>x</string>").string(), "x");
  EXPECT_EQ(root.find("missing"), nullptr);
  EXPECT_EQ(root.find("a")->find("x"), nullptr);
}

// Past a few keys a dictionary indexes them: a key met again still takes the first one's place.
TEST(PropertyListTest, ManyKeysAreFoundAgain) {
  for (const std::string_view comment : {"", "<!-- read as a document -->"}) {
    std::string text = "<dict>" + std::string(comment);
    Value::Dictionary expected;
    for (int i = 0; i < 100; ++i) {
      text += "<key>k" + std::to_string(i) + "</key><integer>" + std::to_string(i) + "</integer>";
      expected.emplace_back("k" + std::to_string(i), Value(std::int64_t{i}));
    }
    for (const int again : {3, 99, 50, 3}) {
      text += "<key>k" + std::to_string(again) + "</key><integer>-" + std::to_string(again) +
              "</integer>";
      expected[static_cast<std::size_t>(again)].second = Value(std::int64_t{-again});
    }
    EXPECT_EQ(PropertyList::read(text + "</dict>").dictionary(), expected) << comment;
  }
}

TEST(PropertyListTest, RefusesWhatIsNoPropertyList) {
  const auto arrays = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text = "<array>" + text + "</array>";
    return text;
  };
  EXPECT_NO_THROW(PropertyList::read(arrays(PropertyList::maximumDepth)));
  EXPECT_THROW(PropertyList::read(arrays(600)), PropertyListError);
  for (const char* text :
       {"bplist00\xD1\x01\x02", "", "<plist><array/><array/></plist>", "<plist/>",
        "<array>text</array>", "<dict><key>a</key></dict>",
        "<dict><string>a</string><true/></dict>", "<integer>9223372036854775808</integer>",
        "<integer>1.5</integer>", "<real>x</real>", "<date>2024-02-30T00:00:00Z</date>",
        "<date>2024-02-01 00:00:00</date>", "<data>A</data>", "<string><b/></string>",
        "<true>x</true><false/>", "<html><body/></html>",
        "<array><plist><true/></plist></array>"}) {
    EXPECT_THROW(PropertyList::read(text), PropertyListError) << text;
  }
  // A billion laughs stays unexpanded rather than growing.
  const Value laughs = PropertyList::read(
      "<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
      "<string>&b;&b;</string>");
  EXPECT_EQ(laughs.string(), "&b;&b;");
}

// Random property lists built of what the plain reader takes, with pieces it must leave to the
// document reader mixed in; `plain` says whether the last one holds none of those.
struct PlistWriter {
  std::mt19937 random;
  bool plain = true;
  bool wide = false;  // an outermost container wide enough to be grown from its bytes, all plain

  std::size_t pick(std::size_t count) { return random() % count; }
  std::string space() { return std::array{"", " ", "\n\t", "\r\n  "}[pick(4)]; }
  // Between elements, where comments may stand too.
  std::string gap() { return pick(6) ? space() : space() + "<!-- a - b -->" + space(); }
  std::string unless(bool taken, std::string valid, std::string other) {
    taken = taken || wide;
    plain = plain && taken;
    return taken ? valid : other;
  }

  std::string text() {
    static const std::pair<const char*, bool> pieces[] = {{"On my way", true},
                                                          {" ", true},
                                                          {"\r\n", true},
                                                          {"\u00e9\U0001F600", true},
                                                          {"&amp;", true},
                                                          {"&lt;&gt;&quot;&apos;", true},
                                                          {"&#233;&#x1F600;", true},
                                                          {"&e;&am", true},
                                                          {"> ]]>", true},
                                                          {"&#0;", false},
                                                          {"&#xD800;", false},
                                                          {"&#X41;", false},
                                                          {"<!-- c -->", true},
                                                          {"<![CDATA[<x>&amp;]]>", true}};
    std::string out;
    for (std::size_t count = pick(4); count > 0; --count) {
      const auto& [piece, taken] = pieces[pick(std::size(pieces))];
      if (taken || !wide) out += unless(taken, piece, piece);
    }
    return out;
  }

  std::string leaf(const std::string& name, const std::string& body) {
    if (body.empty() && pick(2)) return "<" + name + "/>";
    const std::string shorter = name.substr(0, name.size() - 1);
    const std::string end =
        unless(pick(16), name, std::array{name + "s", shorter, shorter + "X"}[pick(3)]);
    return "<" + name + (pick(4) ? "" : " id = 'x\"'") + ">" + body + "</" + end + space() + ">";
  }

  std::string value(int depth) {
    const std::size_t width = depth == 0 && wide ? 300 : 4;
    switch (pick(depth > 3 ? 6 : 8)) {
      case 0:
        return leaf("string", text());
      case 1:
        return leaf("integer", unless(pick(6), std::to_string(int(random())), "1.5"));
      case 2:
        return leaf("real", unless(pick(6), " -2.5e3 ", "x"));
      case 3:
        return leaf("date", unless(pick(6), "2001-01-02T00:00:01Z", "2024-02-30"));
      case 4:
        return leaf("data", unless(pick(6), " AAEC\n /w== ", "A"));
      case 5:
        return pick(2) ? "<true/>" : "<false>" + space() + "</false>";
      case 6: {
        std::string out = "<array>";
        for (std::size_t count = pick(width); count > 0; --count) out += gap() + value(depth + 1);
        return out + gap() + "</array>";
      }
      default: {
        std::string out = "<dict>";
        for (std::size_t count = pick(width); count > 0; --count) {
          out += gap() + leaf(unless(pick(12), "key", "string"), std::array{"a", "b", ""}[pick(3)]);
          out += gap() + value(depth + 1);
        }
        return out + gap() + "</dict>";
      }
    }
  }

  std::string document() {
    plain = true;
    wide = pick(8) == 0;
    std::string out = pick(2) ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" : "";
    if (pick(3) == 0) {
      out += unless(pick(4), "<!DOCTYPE plist PUBLIC \"-//A//DTD PLIST 1.0//EN\" \"x.dtd\">\n",
                    "<!DOCTYPE plist [<!ENTITY e \"x\">]>");
    }
    const std::string root = value(0);
    out += gap() + (pick(2) ? root : "<plist version=\"1.0\">" + gap() + root + gap() + "</plist>");
    out += gap();
    if (pick(10) == 0)
      out.insert(pick(out.size()), unless(false, "", std::array{"<", "/", "&"}[pick(3)]));
    return out;
  }
};

TEST(PropertyListTest, PlainReaderAgreesWithTheDocumentReader) {
  PlistWriter writer{std::mt19937(41)};
  int read = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::string text = writer.document();
    const std::optional<Value> plain = foundation_internal::readPlain(text);
    EXPECT_TRUE(plain || !writer.plain) << text;
    if (!plain) continue;
    ++read;
    EXPECT_EQ(*plain, foundation_internal::readDocument(text)) << text;
  }
  EXPECT_GT(read, 1000);
}

// Keeps what it is given, and drops it when reading starts again; of a dictionary only the
// entries under "a".
struct Elements : PropertyList::ElementSink {
  std::vector<Value> all;
  int restarts = 0;
  bool keeps(std::string_view key) const override { return key == "a"; }
  void element(Value&& element) override { all.push_back(std::move(element)); }
  void restart() override {
    all.clear();
    ++restarts;
  }
};

std::optional<Value> readOrNone(const std::function<Value()>& read) {
  try {
    return read();
  } catch (const PropertyListError&) {
    return std::nullopt;
  }
}

// What the sink keeps of an element, from the element read whole.
Value keptAs(const Value& element, const PropertyList::ElementSink& sink) {
  if (element.isArray()) return Value(Value::Array());
  if (!element.isDictionary()) return element;
  Value::Dictionary entries;
  for (const auto& [key, value] : element.dictionary()) {
    if (!sink.keeps(key)) continue;
    entries.emplace_back(key, value.isArray()        ? Value(Value::Array())
                              : value.isDictionary() ? Value(Value::Dictionary())
                                                     : value);
  }
  return Value(std::move(entries));
}

TEST(PropertyListTest, ElementsOfAnArrayComeOneByOne) {
  PlistWriter writer{std::mt19937(43)};
  int streamed = 0, refused = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string text = writer.document();
    const std::optional<Value> whole = readOrNone([&] { return PropertyList::read(text); });
    const bool plain = foundation_internal::readPlain(text).has_value();
    // No document may be built: what the plain reader declines is refused.
    for (const std::size_t documentLimit : {SIZE_MAX, std::size_t{0}}) {
      Elements sink;
      const std::optional<Value> value =
          readOrNone([&] { return PropertyList::read(text, sink, documentLimit); });
      EXPECT_EQ(sink.restarts, plain ? 0 : 1) << text;
      if (!plain && documentLimit == 0) {
        EXPECT_FALSE(value) << text;
        refused += whole.has_value();
        continue;
      }
      ASSERT_EQ(value.has_value(), whole.has_value()) << text;
      if (!whole) continue;
      if (whole->isArray()) {
        std::vector<Value> kept;
        for (const Value& element : whole->array()) kept.push_back(keptAs(element, sink));
        EXPECT_EQ(sink.all, kept) << text;
        EXPECT_EQ(*value, Value(Value::Array())) << text;
        streamed += !sink.all.empty();
      } else {
        EXPECT_EQ(*value, *whole) << text;
        EXPECT_TRUE(sink.all.empty());
      }
    }
  }
  EXPECT_GT(streamed, 300);
  EXPECT_GT(refused, 50);
}

std::atomic<std::size_t> pugixmlBytes{0};

// What pugixml takes for a document never passes the bound the reader checks it against.
TEST(PropertyListTest, DocumentSizeBoundsThePugixmlDocument) {
  const auto allocate = pugi::get_memory_allocation_function();
  const auto deallocate = pugi::get_memory_deallocation_function();
  pugi::set_memory_management_functions(
      [](std::size_t size) {
        pugixmlBytes += size;
        return std::malloc(size);
      },
      std::free);
  const auto repeated = [](std::string_view unit, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += unit;
    return text;
  };
  for (const std::string& text : {"<!-- -->\n<array>" + repeated("<true/>\n", 20'000) + "</array>",
                                  "<!-- -->" + repeated("<a b='1' c=\"2\" d='3'/>", 20'000),
                                  "<?x?><array>" + repeated("x<![CDATA[y]]>z", 20'000) + "</array>",
                                  "<!-- --><string>" + std::string(100'000, 'a') + "</string>"}) {
    pugixmlBytes = 0;
    (void)readOrNone([&] { return foundation_internal::readDocument(text); });
    EXPECT_GT(pugixmlBytes, text.size());
    EXPECT_LE(pugixmlBytes, foundation_internal::documentSize(text)) << text.substr(0, 40);
  }
  pugi::set_memory_management_functions(allocate, deallocate);
}

TEST(JSONOffsetTest, FailuresSayWhereReadingStopped) {
  const std::vector<std::pair<std::string, std::size_t>> cases{
      {"[1, 2,]", 6},
      {"{\"a\": tru}", 9},
      {"[", 1},
      {"", 0},
      {"[1]x", 3},
      {std::string(600, '['), 512},
      // A NUL is no end of the text: what follows it is not taken on trust.
      {std::string("{\"a\":1}\0garbage", 15), 7},
      {std::string("[\"a\0b\"]", 7), 3},
  };
  for (const auto& [text, offset] : cases) EXPECT_EQ(parseFailure(text).offset(), offset) << text;
  EXPECT_FALSE(parseFailure("42").offset());
}

}  // namespace
}  // namespace kelvo
