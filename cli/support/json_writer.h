#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

namespace horaz::cli {

// Writes one JSON document to a stream, indented by two spaces per level.
// Calls nest as the document does: key() inside objects before each value,
// bare values inside arrays. Strings are UTF-8 and escaped as JSON requires.
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  ~JsonWriter();  // ends the document with a newline

  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  JsonWriter& key(std::string_view name);

  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(double number);
  JsonWriter& value(int64_t number);
  JsonWriter& value(int32_t number) { return value(static_cast<int64_t>(number)); }
  JsonWriter& value(bool flag);
  JsonWriter& null();

 private:
  void beforeValue();
  void newline();
  void writeString(std::string_view text);

  struct Level {
    bool object;
    int count = 0;
  };
  std::ostream& out_;
  std::vector<Level> levels_;
  bool afterKey_ = false;
  bool wroteAnything_ = false;
};

}  // namespace horaz::cli
