#include "platform/emulation/reg_file.h"

#include <optional>
#include <vector>

#include "common/text.h"

namespace zelk::platform {
namespace {

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string_view TrimLeft(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  return text;
}

// True when nothing but blanks and perhaps a ";" comment is left.
bool OnlyCommentLeft(std::u16string_view rest) {
  rest = TrimLeft(rest);
  return rest.empty() || rest.front() == u';';
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') {
    return c - u'0';
  }
  if (c >= u'a' && c <= u'f') {
    return c - u'a' + 10;
  }
  if (c >= u'A' && c <= u'F') {
    return c - u'A' + 10;
  }
  return -1;
}

// Reads one to `max_digits` hex digits from the front of `*text`.
std::optional<uint32_t> TakeHexNumber(std::u16string_view* text, size_t max_digits) {
  uint32_t number = 0;
  size_t digits = 0;
  while (digits < text->size() && HexDigit((*text)[digits]) >= 0) {
    number = (number << 4) | static_cast<uint32_t>(HexDigit((*text)[digits]));
    ++digits;
  }
  if (digits == 0 || digits > max_digits) {
    return std::nullopt;
  }
  text->remove_prefix(digits);
  return number;
}

std::u16string DecodeRegBytes(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                           (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    }
    return text;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bytes.remove_prefix(3);
  }
  return FromUtf8(bytes);
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      end = text.size();
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text.substr(end, 2) == u"\r\n" ? 2 : 1);
  }
  return lines;
}

void AppendUtf16Le(std::u16string_view text, std::vector<uint8_t>* bytes) {
  for (char16_t c : text) {
    bytes->push_back(static_cast<uint8_t>(c & 0xFF));
    bytes->push_back(static_cast<uint8_t>(c >> 8));
  }
}

// The text types of a REGEDIT4 file hold narrow text in their hex bytes; regedit stores
// them as UTF-16LE and adds the terminating zero when the bytes lack one.
void WidenNarrowText(std::vector<uint8_t>* data) {
  std::u16string wide = FromUtf8(std::string(data->begin(), data->end()));
  if (!wide.empty() && wide.back() != u'\0') {
    wide.push_back(u'\0');
  }
  data->clear();
  AppendUtf16Le(wide, data);
}

// The text inside quotes, `*text` starting after the opening quote. \\ and \" stand for
// the character after the backslash, \n and \r for LF and CR, and any other backslash is
// dropped before the character it precedes, as regedit reads it; \0 makes the text
// invalid. Moves `*text` past the closing quote; nothing when there is none.
std::optional<std::u16string> TakeQuoted(std::u16string_view* text) {
  std::u16string out;
  for (size_t i = 0; i < text->size(); ++i) {
    char16_t c = (*text)[i];
    if (c == u'"') {
      text->remove_prefix(i + 1);
      return out;
    }
    if (c == u'\\') {
      if (++i == text->size() || (*text)[i] == u'0') {
        return std::nullopt;
      }
      c = (*text)[i] == u'n' ? u'\n' : (*text)[i] == u'r' ? u'\r' : (*text)[i];
    }
    out.push_back(c);
  }
  return std::nullopt;
}

enum class HexResult { kDone, kContinues, kInvalid };

// Appends the comma-separated bytes of one line of a hex list. kContinues when the line
// ends with a backslash after a comma (or in place of the first byte). A byte is written
// with any number of hex digits up to the value FF.
HexResult TakeHexBytes(std::u16string_view text, std::vector<uint8_t>* bytes) {
  for (;;) {
    text = TrimLeft(text);
    if (text.empty() || text.front() == u';') {
      return HexResult::kDone;
    }
    if (text.front() == u'\\') {
      return OnlyCommentLeft(text.substr(1)) ? HexResult::kContinues : HexResult::kInvalid;
    }
    const std::optional<uint32_t> byte = TakeHexNumber(&text, 8);
    if (!byte || *byte > 0xFF) {
      return HexResult::kInvalid;
    }
    bytes->push_back(static_cast<uint8_t>(*byte));
    text = TrimLeft(text);
    if (text.empty() || text.front() == u';') {
      return HexResult::kDone;
    }
    if (text.front() != u',') {
      return HexResult::kInvalid;
    }
    text.remove_prefix(1);
  }
}

// "hklm" or "hkcu", then each part of the path folded to lower case after a backslash.
// Empty parts (doubled or trailing backslashes) are dropped, as regedit drops them.
std::u16string FoldedKeyName(RegistryHive hive, std::u16string_view path) {
  std::u16string name = hive == RegistryHive::kLocalMachine ? u"hklm" : u"hkcu";
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) {
      end = path.size();
    }
    if (end > start) {
      name += u'\\';
      name += FoldAscii(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return name;
}

// Splits "HKEY_CURRENT_USER\path" into its hive and the path below it; nothing for the
// hives the library never reads and for names that are not hives.
std::optional<std::pair<RegistryHive, std::u16string_view>> SplitHive(std::u16string_view name) {
  const size_t slash = name.find(u'\\');
  const std::u16string_view root = name.substr(0, slash);
  const std::u16string_view path =
      slash == std::u16string_view::npos ? std::u16string_view() : name.substr(slash + 1);
  if (EqualsIgnoringAsciiCase(root, u"HKEY_LOCAL_MACHINE")) {
    return std::make_pair(RegistryHive::kLocalMachine, path);
  }
  if (EqualsIgnoringAsciiCase(root, u"HKEY_CURRENT_USER")) {
    return std::make_pair(RegistryHive::kCurrentUser, path);
  }
  return std::nullopt;
}

}  // namespace

// Walks the lines of one file, keeping the current key.
class RegFileParser {
 public:
  explicit RegFileParser(RegFile* registry) : registry_(registry) {}

  void Run(std::u16string_view text) {
    const std::vector<std::u16string_view> lines = SplitLines(text);
    size_t i = 0;
    if (!ReadHeader(lines, &i)) {
      return;
    }
    for (; i < lines.size(); ++i) {
      const std::u16string_view line = TrimLeft(lines[i]);
      if (!line.empty() && line.front() == u'[') {
        KeyLine(line.substr(1));
      } else if (!line.empty() && (line.front() == u'"' || line.front() == u'@')) {
        ValueLine(lines, &i);
      }
    }
  }

 private:
  // The first line holds the header and nothing else but leading blanks.
  bool ReadHeader(const std::vector<std::u16string_view>& lines, size_t* i) {
    if (lines.empty()) {
      return false;
    }
    const std::u16string_view line = TrimLeft(lines[0]);
    if (line != kHeader5 && line != kHeader4) {
      return false;
    }
    narrow_ = line == kHeader4;
    *i = 1;
    return true;
  }

  // `line` follows the "[". Whatever follows the last "]" is not read. A line that is not
  // a key name at all leaves the current key as it is; a key of a hive the library never
  // reads (or no hive) leaves no key current, so its values go nowhere.
  void KeyLine(std::u16string_view line) {
    const size_t close = line.rfind(u']');
    if (close == std::u16string_view::npos || line.empty() || IsBlank(line.front())) {
      return;
    }
    current_ = nullptr;
    line = line.substr(0, close);
    const bool remove = !line.empty() && line.front() == u'-';
    const auto hive_and_path = SplitHive(remove ? line.substr(1) : line);
    if (!hive_and_path) {
      return;
    }
    const std::u16string folded = FoldedKeyName(hive_and_path->first, hive_and_path->second);
    if (remove) {
      if (folded.size() > 4) {  // a hive itself is never deleted
        RemoveKeyTree(folded);
      }
      return;
    }
    RegFileKey& key = registry_->keys_[folded];
    if (key.path.empty()) {
      key.hive = hive_and_path->first;
      key.path = std::u16string(hive_and_path->second);
    }
    current_ = &key;
  }

  void RemoveKeyTree(const std::u16string& folded) {
    auto& keys = registry_->keys_;
    keys.erase(folded);
    const std::u16string below = folded + u'\\';
    auto it = keys.lower_bound(below);
    while (it != keys.end() && it->first.compare(0, below.size(), below) == 0) {
      it = keys.erase(it);
    }
  }

  // Reads the value line at `*i`, and its continuation lines, into the current key.
  void ValueLine(const std::vector<std::u16string_view>& lines, size_t* i) {
    std::u16string_view text = TrimLeft(lines[*i]);
    std::u16string name;
    if (text.front() == u'@') {
      text.remove_prefix(1);
    } else {
      text.remove_prefix(1);
      std::optional<std::u16string> quoted = TakeQuoted(&text);
      if (!quoted) {
        return;
      }
      name = std::move(*quoted);
    }
    text = TrimLeft(text);
    if (text.empty() || text.front() != u'=') {
      return;
    }
    text = TrimLeft(text.substr(1));
    RegistryValue value;
    const DataResult result = ReadData(text, lines, i, &value);
    if (current_ == nullptr || result == DataResult::kInvalid) {
      return;
    }
    const std::u16string folded = FoldAscii(name);
    if (result == DataResult::kRemove) {
      current_->values.erase(folded);
      return;
    }
    // A value written again keeps the name it was first written with, as in the registry.
    const auto inserted = current_->values.try_emplace(folded);
    if (inserted.second) {
      inserted.first->second.name = std::move(name);
    }
    inserted.first->second.value = std::move(value);
  }

  enum class DataResult { kValue, kRemove, kInvalid };

  DataResult ReadData(std::u16string_view text,
                      const std::vector<std::u16string_view>& lines,
                      size_t* i,
                      RegistryValue* value) {
    if (!text.empty() && text.front() == u'-') {
      return OnlyCommentLeft(text.substr(1)) ? DataResult::kRemove : DataResult::kInvalid;
    }
    if (!text.empty() && text.front() == u'"') {
      text.remove_prefix(1);
      std::optional<std::u16string> quoted = TakeQuoted(&text);
      if (!quoted || !OnlyCommentLeft(text)) {
        return DataResult::kInvalid;
      }
      value->type = kRegSz;
      AppendUtf16Le(*quoted, &value->data);
      AppendUtf16Le(std::u16string_view(u"\0", 1), &value->data);
      return DataResult::kValue;
    }
    if (StartsWith(text, u"dword:")) {
      return ReadDword(text.substr(6), value);
    }
    if (StartsWith(text, u"hex:")) {
      value->type = kRegBinary;
      return ReadHexList(text.substr(4), lines, i, value);
    }
    if (StartsWith(text, u"hex(")) {
      text = TrimLeft(text.substr(4));
      const std::optional<uint32_t> type = TakeHexNumber(&text, 8);
      if (!type || text.substr(0, 2) != u"):") {
        return DataResult::kInvalid;
      }
      value->type = *type;
      return ReadHexList(text.substr(2), lines, i, value);
    }
    return DataResult::kInvalid;
  }

  static DataResult ReadDword(std::u16string_view text, RegistryValue* value) {
    text = TrimLeft(text);
    const std::optional<uint32_t> number = TakeHexNumber(&text, 8);
    if (!number || !OnlyCommentLeft(text)) {
      return DataResult::kInvalid;
    }
    value->type = kRegDword;
    for (int shift = 0; shift < 32; shift += 8) {
      value->data.push_back(static_cast<uint8_t>(*number >> shift));
    }
    return DataResult::kValue;
  }

  // A hex list that ends the file while it still continues is dropped. Blank and comment
  // lines inside a continued list are passed over, as regedit passes them over.
  DataResult ReadHexList(std::u16string_view text,
                         const std::vector<std::u16string_view>& lines,
                         size_t* i,
                         RegistryValue* value) {
    for (;;) {
      const HexResult result = TakeHexBytes(text, &value->data);
      if (result == HexResult::kInvalid) {
        return DataResult::kInvalid;
      }
      if (result == HexResult::kDone) {
        break;
      }
      do {
        if (++*i == lines.size()) {
          return DataResult::kInvalid;
        }
        text = TrimLeft(lines[*i]);
      } while (text.empty() || text.front() == u';');
    }
    if (narrow_ &&
        (value->type == kRegSz || value->type == kRegExpandSz || value->type == kRegMultiSz)) {
      WidenNarrowText(&value->data);
    }
    return DataResult::kValue;
  }

  RegFile* registry_;
  RegFileKey* current_ = nullptr;
  bool narrow_ = false;
};

RegFile RegFile::Parse(std::string_view bytes) {
  RegFile registry;
  RegFileParser(&registry).Run(DecodeRegBytes(bytes));
  return registry;
}

bool RegFile::HasKey(RegistryHive hive, std::u16string_view subkey) const {
  const std::u16string folded = FoldedKeyName(hive, subkey);
  if (folded.size() == 4 || keys_.count(folded) != 0) {
    return true;
  }
  const std::u16string below = folded + u'\\';
  const auto it = keys_.lower_bound(below);
  return it != keys_.end() && it->first.compare(0, below.size(), below) == 0;
}

const RegistryValue* RegFile::FindValue(RegistryHive hive,
                                        std::u16string_view subkey,
                                        std::u16string_view name) const {
  const auto key = keys_.find(FoldedKeyName(hive, subkey));
  if (key == keys_.end()) {
    return nullptr;
  }
  const auto value = key->second.values.find(FoldAscii(name));
  return value == key->second.values.end() ? nullptr : &value->second.value;
}

}  // namespace zelk::platform
