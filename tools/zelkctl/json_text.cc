#include "tools/zelkctl/json_text.h"

#include <cstdio>

namespace zelk::tools {

std::string JsonQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof(escape), "\\u%04x", static_cast<unsigned char>(c));
          quoted += escape;
        } else {
          quoted.push_back(c);
        }
    }
  }
  return quoted + "\"";
}

}  // namespace zelk::tools
