#include "tools/zelkctl/doctor/ini_scan.h"

#include "platform/emulation/ini_text.h"
#include "tools/zelkctl/support/blank_text.h"

namespace zelk::tools::doctor {
namespace {

// Only the start of the file is looked at: a text file does not turn binary later.
constexpr size_t kEncodingProbeBytes = 4096;

bool HasByteOrderMark(std::string_view bytes) {
  return bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0 ||
         bytes.rfind("\xEF\xBB\xBF", 0) == 0;
}

IniScanLine SortLine(std::u16string_view raw, size_t number) {
  IniScanLine line;
  line.number = number;
  const std::u16string_view text = TrimIniBlanks(raw);
  const size_t close = text.rfind(u']');
  const size_t equals = text.find(u'=');
  if (text.empty()) {
    line.kind = IniScanLine::Kind::kBlank;
  } else if (text[0] == u';' || text[0] == u'#') {
    line.kind = IniScanLine::Kind::kComment;
  } else if (text[0] == u'[' && close != std::u16string_view::npos) {
    line.kind = IniScanLine::Kind::kSection;
    line.name = TrimIniBlanks(text.substr(1, close - 1));
  } else if (equals == std::u16string_view::npos) {
    line.kind = IniScanLine::Kind::kNoEquals;
    line.name = text;
  } else {
    line.kind = IniScanLine::Kind::kKey;
    line.name = TrimIniBlanks(text.substr(0, equals));
    line.value = TrimIniBlanks(text.substr(equals + 1));
  }
  return line;
}

}  // namespace

bool IsIniBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\x1A';
}

std::u16string_view TrimIniBlanks(std::u16string_view text) {
  return TrimEnds(text, IsIniBlank);
}

std::string IniEncodingProblem(std::string_view bytes) {
  if (HasByteOrderMark(bytes)) {
    return "";
  }
  const std::string_view probe = bytes.substr(0, kEncodingProbeBytes);
  size_t odd_zeros = 0;
  size_t even_zeros = 0;
  for (size_t i = 0; i < probe.size(); ++i) {
    if (probe[i] == '\0') {
      (i % 2 == 0 ? even_zeros : odd_zeros) += 1;
    }
  }
  if (odd_zeros + even_zeros == 0) {
    return "";
  }
  // ASCII text in UTF-16LE: every second byte is zero.
  if (odd_zeros * 4 >= probe.size() && even_zeros * 16 <= probe.size()) {
    return "zelk.ini is UTF-16 without its byte-order mark: the reader takes it as narrow text, "
           "where the zero byte after each letter ends every name, so no key is found; save it "
           "as UTF-16 with its mark, or as ANSI/UTF-8";
  }
  return "zelk.ini holds zero bytes: it is not a text file, and the reader finds no key in it";
}

std::vector<IniScanLine> ScanIniBytes(std::string_view bytes) {
  const std::u16string text = platform::DecodeIniBytes(bytes);
  std::vector<IniScanLine> lines;
  size_t start = 0;
  size_t number = 1;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r') {
      ++end;
    }
    lines.push_back(SortLine(std::u16string_view(text).substr(start, end - start), number++));
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace zelk::tools::doctor
