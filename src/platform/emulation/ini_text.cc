#include "platform/emulation/ini_text.h"

#include <optional>

#include "common/text.h"

namespace zelk::platform {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' ||
         c == 0x1A;
}

std::u16string_view TrimLeft(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  return text;
}

std::u16string_view TrimRight(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::u16string_view Trim(std::u16string_view text) {
  return TrimLeft(TrimRight(text));
}

// The Win32 call keeps names and values as C strings, so each ends at its first U+0000.
std::u16string_view CutAtNul(std::u16string_view text) {
  return text.substr(0, text.find(u'\0'));
}

// A lone last byte becomes the character of its value.
std::u16string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u16string text;
  text.reserve(bytes.size() / 2 + 1);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<uint8_t>(bytes[i]);
    const auto second = static_cast<uint8_t>(bytes[i + 1]);
    text.push_back(
        static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first));
  }
  if (bytes.size() % 2 != 0) {
    text.push_back(static_cast<uint8_t>(bytes.back()));
  }
  return text;
}

// A value that starts and ends with the same quote loses that pair.
std::u16string_view StripQuotes(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::u16string_view StripTrailingSpaces(std::u16string_view text) {
  while (!text.empty() && text.back() == u' ') {
    text.remove_suffix(1);
  }
  return text;
}

std::u16string CutToCapacity(std::u16string_view text, size_t capacity) {
  if (capacity == 0) {
    return std::u16string();
  }
  return std::u16string(text.substr(0, capacity - 1));
}

IniLine ClassifyLine(std::u16string_view raw) {
  IniLine line;
  const std::u16string_view text = Trim(raw);
  if (text.empty()) {
    return line;
  }
  const size_t close = text.rfind(u']');
  if (text.front() == u'[' && close != std::u16string_view::npos) {
    line.kind = IniLine::Kind::kSection;
    line.name = CutAtNul(Trim(text.substr(1, close - 1)));
    return line;
  }
  line.kind = IniLine::Kind::kKey;
  const size_t equals = text.find(u'=');
  line.name = CutAtNul(TrimRight(text.substr(0, equals)));
  if (equals != std::u16string_view::npos) {
    line.has_value = true;
    line.value = CutAtNul(TrimLeft(text.substr(equals + 1)));
  }
  return line;
}

// Sorts each line of `text` into what it declares, dropping blank ones. Lines end at LF
// or CR.
std::vector<IniLine> ClassifyLines(std::u16string_view text) {
  std::vector<IniLine> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      end = text.size();
    }
    const IniLine line = ClassifyLine(text.substr(start, end - start));
    start = end + 1;
    if (line.kind != IniLine::Kind::kEmpty) {
      lines.push_back(line);
    }
  }
  return lines;
}

}  // namespace

std::u16string DecodeIniBytes(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    return DecodeUtf16(bytes.substr(2), false);
  }
  if (bytes.substr(0, 2) == "\xFE\xFF") {
    return DecodeUtf16(bytes.substr(2), true);
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    return FromUtf8(bytes.substr(3));
  }
  return FromUtf8(bytes);
}

std::u16string IniStringFromBytes(std::string_view file_bytes,
                                  std::u16string_view section,
                                  std::u16string_view key,
                                  std::u16string_view default_value,
                                  size_t capacity) {
  return IniStringFromText(DecodeIniBytes(file_bytes), section, key, default_value, capacity);
}

std::u16string IniStringFromText(std::u16string_view file_text,
                                 std::u16string_view section,
                                 std::u16string_view key,
                                 std::u16string_view default_value,
                                 size_t capacity) {
  return IniDocument(std::u16string(file_text)).Answer(section, key, default_value, capacity);
}

IniDocument::IniDocument(std::u16string text) : text_(std::move(text)) {
  lines_ = ClassifyLines(text_);
}

// The raw value of the first `key` in the first `section`; nothing when the section or
// key is missing or the key line has no "=".
std::optional<std::u16string_view> IniDocument::FindValue(std::u16string_view section,
                                                          std::u16string_view key) const {
  bool in_section = section.empty();  // lines before any header have no section name
  for (const IniLine& line : lines_) {
    if (line.kind == IniLine::Kind::kSection) {
      if (in_section) {
        return std::nullopt;  // only the first section of a name is searched
      }
      in_section = EqualsIgnoringAsciiCase(line.name, section);
    } else if (in_section && EqualsIgnoringAsciiCase(line.name, key)) {
      if (!line.has_value) {
        return std::nullopt;
      }
      return line.value;
    }
  }
  return std::nullopt;
}

std::u16string IniDocument::Answer(std::u16string_view section,
                                   std::u16string_view key,
                                   std::u16string_view default_value,
                                   size_t capacity) const {
  const std::optional<std::u16string_view> value =
      FindValue(Trim(CutAtNul(section)), Trim(CutAtNul(key)));
  if (value) {
    return CutToCapacity(StripQuotes(*value), capacity);
  }
  // Once the file has been read, the default goes through the same quote rule as a value.
  return CutToCapacity(StripQuotes(StripTrailingSpaces(CutAtNul(default_value))), capacity);
}

std::u16string IniDefaultString(std::u16string_view default_value, size_t capacity) {
  return CutToCapacity(StripTrailingSpaces(CutAtNul(default_value)), capacity);
}

}  // namespace zelk::platform
