#pragma once

// A small JSON reader for checking the tool's output: enough of the grammar
// to tell a well-formed document and to walk it. Numbers are doubles.

#include <cctype>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace horaz::test {

struct Json {
  enum class Kind { Null, Boolean, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string string;
  std::vector<Json> items;                            // arrays
  std::vector<std::pair<std::string, Json>> members;  // objects, in order

  const Json* find(std::string_view key) const {
    for (const auto& [name, value] : members)
      if (name == key) return &value;
    return nullptr;
  }
  const Json& operator[](std::string_view key) const {
    if (const Json* value = find(key)) return *value;
    throw std::out_of_range("no key " + std::string(key));
  }
};

class JsonReader {
 public:
  // Throws std::runtime_error at the first thing that is not JSON.
  static Json parse(std::string_view text) {
    JsonReader reader(text);
    Json value = reader.value();
    reader.skipSpace();
    if (reader.at_ != text.size()) reader.fail("text after the document");
    return value;
  }

 private:
  explicit JsonReader(std::string_view text) : text_(text) {}

  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(what + " at offset " + std::to_string(at_));
  }
  void skipSpace() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  char peek() {
    skipSpace();
    if (at_ >= text_.size()) fail("unexpected end");
    return text_[at_];
  }
  void expect(char c) {
    if (peek() != c) fail(std::string("expected '") + c + "'");
    ++at_;
  }
  bool literal(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  Json value() {
    Json json;
    const char c = peek();
    if (c == '{') {
      json.kind = Json::Kind::Object;
      ++at_;
      if (peek() == '}') return ++at_, json;
      do {
        std::string key = string();
        expect(':');
        json.members.emplace_back(std::move(key), value());
      } while (peek() == ',' && ++at_);
      expect('}');
    } else if (c == '[') {
      json.kind = Json::Kind::Array;
      ++at_;
      if (peek() == ']') return ++at_, json;
      do json.items.push_back(value());
      while (peek() == ',' && ++at_);
      expect(']');
    } else if (c == '"') {
      json.kind = Json::Kind::String;
      json.string = string();
    } else if (literal("true") || literal("false")) {
      json.kind = Json::Kind::Boolean;
      json.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
    } else if (literal("null")) {
      json.kind = Json::Kind::Null;
    } else {
      json.kind = Json::Kind::Number;
      const std::string rest(text_.substr(at_, 40));
      char* end = nullptr;
      json.number = std::strtod(rest.c_str(), &end);
      if (end == rest.c_str()) fail("not a value");
      at_ += end - rest.c_str();
    }
    return json;
  }

  std::string string() {
    expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      char c = text_[at_++];
      if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string");
      if (c == '\\') {
        if (at_ >= text_.size()) fail("unexpected end");
        c = text_[at_++];
        switch (c) {
          case 'n': out += '\n'; break;
          case 't': out += '\t'; break;
          case 'r': out += '\r'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'u':
            out += '?';
            at_ += 4;
            break;  // only escapes of control characters appear
          case '"':
          case '\\':
          case '/': out += c; break;
          default: fail("bad escape");
        }
      } else {
        out += c;
      }
    }
    expect('"');
    return out;
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace horaz::test
