#include "tools/zelkctl/support/json.h"

#include <cstdio>

namespace zelk::tools {

std::string JsonQuote(std::string_view value) {
  std::string quoted = "\"";
  for (const char c : value) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04x", byte);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!has_members_.empty()) {
    if (has_members_.back()) {
      text_ += ",";
    }
    has_members_.back() = true;
  }
}

JsonWriter& JsonWriter::BeginObject() {
  BeforeValue();
  text_ += "{";
  has_members_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  has_members_.pop_back();
  text_ += "}";
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  BeforeValue();
  text_ += "[";
  has_members_.push_back(false);
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  has_members_.pop_back();
  text_ += "]";
  return *this;
}

JsonWriter& JsonWriter::Key(const std::string& name) {
  BeforeValue();
  text_ += JsonQuote(name) + ":";
  after_key_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(const std::string& value) {
  BeforeValue();
  text_ += JsonQuote(value);
  return *this;
}

JsonWriter& JsonWriter::Number(int64_t value) {
  BeforeValue();
  text_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
  return *this;
}

}  // namespace zelk::tools
