// zelk.ini's lines with their numbers, sorted as the library's INI reader sorts them, for
// the checks that need the raw text (line numbers, duplicates, comments). Pure code.
#ifndef ZELK_TOOLS_ZELKCTL_DOCTOR_INI_SCAN_H_
#define ZELK_TOOLS_ZELKCTL_DOCTOR_INI_SCAN_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::tools::doctor {

struct IniScanLine {
  enum class Kind {
    kBlank,
    kComment,   // starts with ";" or "#": a key no one asks for, or no key at all
    kSection,   // "[name]"
    kKey,       // "name=value"
    kNoEquals,  // text without "=": a key without a value, which reads as missing
  };
  size_t number = 0;  // from 1, counting a CR LF pair as one line end
  Kind kind = Kind::kBlank;
  std::u16string name;   // without its blanks
  std::u16string value;  // without its blanks, quotes kept
};

// Why the bytes are not text the INI reader can use (zero bytes of a UTF-16 file without
// its byte-order mark, or of a binary file), or empty when they are.
std::string IniEncodingProblem(std::string_view bytes);

// The lines of an INI file's bytes, decoded as the library's reader decodes them.
std::vector<IniScanLine> ScanIniBytes(std::string_view bytes);

// The blanks the reader drops around lines, names and values.
bool IsIniBlank(char16_t c);
std::u16string_view TrimIniBlanks(std::u16string_view text);

}  // namespace zelk::tools::doctor

#endif  // ZELK_TOOLS_ZELKCTL_DOCTOR_INI_SCAN_H_
