#include "cli/support/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace horaz::cli {

JsonWriter::~JsonWriter() {
  if (wroteAnything_) out_ << '\n';
}

void JsonWriter::newline() {
  out_ << '\n';
  for (size_t i = 0; i < levels_.size(); ++i) out_ << "  ";
}

void JsonWriter::beforeValue() {
  wroteAnything_ = true;
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  if (levels_.back().count++ > 0) out_ << ',';
  newline();
}

JsonWriter& JsonWriter::beginObject() {
  beforeValue();
  out_ << '{';
  levels_.push_back({true});
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  const bool empty = levels_.back().count == 0;
  levels_.pop_back();
  if (!empty) newline();
  out_ << '}';
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  beforeValue();
  out_ << '[';
  levels_.push_back({false});
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  const bool empty = levels_.back().count == 0;
  levels_.pop_back();
  if (!empty) newline();
  out_ << ']';
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  beforeValue();
  writeString(name);
  out_ << ": ";
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
  beforeValue();
  writeString(text);
  return *this;
}

JsonWriter& JsonWriter::value(double number) {
  beforeValue();
  // JSON has no infinities or NaN.
  if (!std::isfinite(number)) {
    out_ << "null";
    return *this;
  }
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, number);
  out_ << (error == std::errc() ? std::string_view(text, end - text) : std::string_view("null"));
  return *this;
}

JsonWriter& JsonWriter::value(int64_t number) {
  beforeValue();
  out_ << number;
  return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
  beforeValue();
  out_ << (flag ? "true" : "false");
  return *this;
}

JsonWriter& JsonWriter::null() {
  beforeValue();
  out_ << "null";
  return *this;
}

void JsonWriter::writeString(std::string_view text) {
  out_ << '"';
  for (const char c : text) {
    switch (c) {
      case '"': out_ << "\\\""; break;
      case '\\': out_ << "\\\\"; break;
      case '\n': out_ << "\\n"; break;
      case '\r': out_ << "\\r"; break;
      case '\t': out_ << "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
          out_ << escaped;
        } else {
          out_ << c;
        }
    }
  }
  out_ << '"';
}

}  // namespace horaz::cli
