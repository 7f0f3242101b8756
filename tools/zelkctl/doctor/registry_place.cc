#include "tools/zelkctl/doctor/registry_place.h"

#include <cstdlib>
#include <optional>

#include "common/text.h"
#include "config/readers.h"
#include "platform/emulation/ini_text.h"
#include "tools/zelkctl/doctor/bounded_file.h"
#include "tools/zelkctl/doctor/ini_scan.h"
#include "tools/zelkctl/doctor/installation.h"

namespace zelk::tools::doctor {
namespace {

// More than any registry export of one product holds.
constexpr size_t kRegistryFileLimit = size_t{8} << 20;

struct HiveWord {
  std::u16string_view name;
  platform::RegistryHive hive;
};
constexpr HiveWord kHiveWords[] = {
    {u"hkey_local_machine", platform::RegistryHive::kLocalMachine},
    {u"hkey_current_user", platform::RegistryHive::kCurrentUser},
};

// The product's key below either hive, folded, with the separator after it.
std::u16string ProductPrefix() {
  return FoldAscii(RegistryKeyOfSection(u""));
}

// The key path with empty parts dropped, as the .reg reader stores it.
std::u16string NormalizedPath(std::u16string_view path) {
  std::u16string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    end = end == std::u16string_view::npos ? path.size() : end;
    if (end > start) {
      out += (out.empty() ? u"" : u"\\") + std::u16string(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return out;
}

// The key path inside a "[HKEY_...\path]" header: the hive and the section below the
// product's key. A deleting header ("[-HKEY_...]") or another key makes no key current.
std::optional<RegistryLine> ParseHeader(std::u16string_view inside, size_t number) {
  const std::u16string path = NormalizedPath(inside);
  const std::u16string folded = FoldAscii(path);
  for (const HiveWord& word : kHiveWords) {
    const std::u16string prefix = std::u16string(word.name) + u"\\" + ProductPrefix();
    if (folded.size() > prefix.size() && folded.rfind(prefix, 0) == 0) {
      return RegistryLine{word.hive, path.substr(prefix.size()), u"", number};
    }
  }
  return std::nullopt;
}

// The name of a '"name"=data' line, with the text escapes undone.
std::optional<std::u16string> ParseValueName(std::u16string_view text) {
  std::u16string name;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == u'"') {
      return name;
    }
    if (text[i] == u'\\' && i + 1 < text.size()) {
      ++i;
    }
    name.push_back(text[i]);
  }
  return std::nullopt;
}

}  // namespace

std::vector<RegistryLine> ScanRegistryBytes(std::string_view bytes) {
  std::vector<RegistryLine> lines;
  std::optional<RegistryLine> key;  // the current key, when it lies below the product's
  // The INI scan numbers and trims the lines, and sorts out the headers as regedit does.
  for (const IniScanLine& line : ScanIniBytes(bytes)) {
    if (line.kind == IniScanLine::Kind::kSection) {
      key = ParseHeader(line.name, line.number);
      if (key) {
        lines.push_back(*key);
      }
    } else if (key && line.kind == IniScanLine::Kind::kKey && !line.name.empty() &&
               line.name[0] == u'"') {
      if (const std::optional<std::u16string> name =
              ParseValueName(line.name + u"=" + line.value)) {
        lines.push_back({key->hive, key->section, *name, line.number});
      }
    }
  }
  return lines;
}

const char* HiveName(platform::RegistryHive hive) {
  return hive == platform::RegistryHive::kLocalMachine ? "HKLM" : "HKCU";
}

std::string RegistryPlaces::Load() {
#ifdef _WIN32
  return "";
#else
  const char* path = std::getenv("ZELK_REGISTRY");
  if (path == nullptr || *path == '\0') {
    return "";
  }
  file_ = path;
  const BoundedFile read = ReadBoundedFile(FromUtf8(path), kRegistryFileLimit);
  if (read.status == BoundedFile::Status::kMissing) {
    return "";  // an empty registry, as the library sees it
  }
  if (read.status != BoundedFile::Status::kRead) {
    return DescribeFileProblem(read, kRegistryFileLimit);
  }
  lines_ = ScanRegistryBytes(read.bytes);
  parsed_ = platform::RegFile::Parse(read.bytes);
  return "";
#endif
}

std::string RegistryPlaces::FileOf(platform::RegistryHive hive, std::u16string_view section) const {
  if (!file_.empty()) {
    return file_;
  }
  return std::string(HiveName(hive)) + "\\" + ToUtf8(RegistryKeyOfSection(section));
}

size_t RegistryPlaces::LineOf(platform::RegistryHive hive,
                              std::u16string_view section,
                              std::u16string_view name) const {
  size_t found = 0;  // a value written again keeps its place but takes the later data
  for (const RegistryLine& line : lines_) {
    if (line.hive == hive && EqualsIgnoringAsciiCase(line.section, section) &&
        EqualsIgnoringAsciiCase(line.name, name) && (!name.empty() || line.name.empty())) {
      found = line.line;
    }
  }
  return found;
}

}  // namespace zelk::tools::doctor
