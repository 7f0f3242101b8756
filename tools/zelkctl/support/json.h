// A small writer of JSON text for the --json forms of zelkctl's commands.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_JSON_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_JSON_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::tools {

// Writes one JSON value. Commas between members and elements are placed by the writer;
// strings are UTF-8 and escaped as JSON requires.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& value);
  JsonWriter& Number(int64_t value);
  JsonWriter& Bool(bool value);

  const std::string& text() const { return text_; }

 private:
  void BeforeValue();

  std::string text_;
  std::vector<bool> has_members_;  // per open object or array
  bool after_key_ = false;
};

// `value` as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view value);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_JSON_H_
