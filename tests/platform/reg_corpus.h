// .reg files shared by the registry tests and by the comparison with regedit's import on
// Windows. Each text names its keys below the placeholder {ROOT}, so that a test can place
// them where it likes (on Windows, below a key of its own that it deletes afterwards).
#ifndef ZELK_TESTS_PLATFORM_REG_CORPUS_H_
#define ZELK_TESTS_PLATFORM_REG_CORPUS_H_

#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "tests/platform/ini_corpus.h"

namespace zelk::testing {

struct RegCorpusFile {
  const char* name;
  bool utf16;        // written as UTF-16LE with its mark, else as the bytes given
  std::string text;  // UTF-8, with {ROOT} for the root key
};

// The file's bytes, with {ROOT} replaced by `root` (for example
// "HKEY_CURRENT_USER\Software\ZelkTest").
inline std::string RegCorpusBytes(const RegCorpusFile& file, std::string_view root) {
  std::string text = file.text;
  const std::string_view placeholder = "{ROOT}";
  for (size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + root.size())) {
    text.replace(at, placeholder.size(), root);
  }
  return file.utf16 ? Utf16FileBytes(FromUtf8(text)) : text;
}

namespace internal {

inline std::vector<RegCorpusFile> BuildRegCorpus() {
  std::vector<RegCorpusFile> corpus;
  corpus.push_back({"types", true,
                    "Windows Registry Editor Version 5.00\r\n"
                    "\r\n"
                    "[{ROOT}\\Types]\r\n"
                    "\"Sz\"=\"plain text\"\r\n"
                    "\"Escaped\"=\"back\\\\slash \\\"quoted\\\"\"\r\n"
                    "\"Unknown escape\"=\"C:\\Temp\"\r\n"
                    "\"Empty\"=\"\"\r\n"
                    "@=\"default value\"\r\n"
                    "\"Wide\"=\"Gr\xC3\xBC\xC3\x9F"
                    "e \xF0\x9F\x98\x80\"\r\n"
                    "\"Dword\"=dword:0000002a\r\n"
                    "\"ShortDword\"=dword:1A\r\n"
                    "\"Binary\"=hex:01,02,ff\r\n"
                    "\"EmptyBinary\"=hex:\r\n"
                    "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                    "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                    "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                    "\"None\"=hex(0):\r\n"
                    "\"Continued\"=hex:01,02,\\\r\n"
                    "  03,04,\\\r\n"
                    "\r\n"
                    "; a comment inside the list\r\n"
                    "  05\r\n"
                    "\"Commented\"=\"x\" ; a comment\r\n"
                    "\"Spaced\" = dword:00000001\r\n"
                    "   \"Indented\"=hex:7f ; c\r\n"
                    "\"Semicolon\"=\"a;b\"\r\n"
                    "\"Bracket]\"=\"b\"\r\n"
                    "\"\\\\Backslash name\"=\"n\"\r\n"});
  corpus.push_back({"keys", true,
                    "Windows Registry Editor Version 5.00\r\n"
                    "[{ROOT}\\Gone\\Sub]\r\n"
                    "\"v\"=\"1\"\r\n"
                    "[-{ROOT}\\Gone]\r\n"
                    "\"after\"=\"lost\"\r\n"
                    "[{ROOT}\\Kept]\r\n"
                    "\"keep\"=\"1\"\r\n"
                    "\"drop\"=\"1\"\r\n"
                    "\"drop\"=-\r\n"
                    "\"CASE\"=\"first\"\r\n"
                    "\"case\"=\"second\"\r\n"
                    "[{ROOT}\\kept\\Deeper\\]\r\n"
                    "\"trailing\"=\"1\"\r\n"
                    "[{ROOT}\\Doubled\\\\Slash]\r\n"
                    "\"doubled\"=\"1\"\r\n"
                    "[{ROOT}\\Tail] text after the bracket\r\n"
                    "\"tail\"=\"1\"\r\n"
                    "[ {ROOT}\\Blank]\r\n"
                    "\"stays in Tail\"=\"1\"\r\n"
                    "[{ROOT}\\KEPT]\r\n"
                    "\"again\"=\"1\"\r\n"
                    "[HKCU\\Software\\ZelkTest\\Abbreviated]\r\n"
                    "\"nowhere\"=\"1\"\r\n"
                    "[-{ROOT}\\Never]\r\n"
                    "\"nowhere either\"=\"1\"\r\n"});
  corpus.push_back({"rejected", true,
                    "Windows Registry Editor Version 5.00\r\n"
                    "[{ROOT}\\Rejected]\r\n"
                    "\"Good\"=\"1\"\r\n"
                    "\"Trailing\"=\"x\" junk\r\n"
                    "\"Unterminated\"=\"abc\r\n"
                    "\"BadHex\"=hex:01,zz\r\n"
                    "\"TooBig\"=hex:100\r\n"
                    "\"NoComma\"=hex:01 02\r\n"
                    "\"NoCommaBeforeBackslash\"=hex:01\\\r\n"
                    "  02\r\n"
                    "\"LongDword\"=dword:123456789\r\n"
                    "\"EmptyDword\"=dword:\r\n"
                    "\"PrefixedDword\"=dword:0x10\r\n"
                    "\"UpperCase\"=HEX(7):00,00\r\n"
                    "\"BadType\"=hex(zz):00\r\n"
                    "\"HugeType\"=hex(100000001):00\r\n"
                    "\"NoEquals\" \"x\"\r\n"
                    "\"Dangling\"=hex:01,\\ junk\r\n"
                    "\"Word\"=text\r\n"
                    "garbage line\r\n"
                    "\"Last\"=\"1\"\r\n"});
  corpus.push_back({"regedit4", false,
                    "REGEDIT4\r\n"
                    "\r\n"
                    "[{ROOT}\\Four]\r\n"
                    "\"Sz\"=\"four\"\r\n"
                    "\"Expand\"=hex(2):25,41,25,00\r\n"
                    "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                    "\"Unterminated\"=hex(2):25,41,25\r\n"
                    "\"Binary\"=hex:25,41\r\n"
                    "\"Dword\"=dword:00000004\r\n"});
  corpus.push_back({"line_ends", false,
                    "REGEDIT4\n"
                    "[{ROOT}\\LF]\n"
                    "\"s\"=\"lf\"\n"
                    "[{ROOT}\\CR]\r"
                    "\"s\"=\"cr\"\r"
                    "\"b\"=hex:01,\\\r"
                    " 02\r"});
  corpus.push_back({"narrow5", false,
                    "Windows Registry Editor Version 5.00\r\n"
                    "[{ROOT}\\Narrow]\r\n"
                    "\"Sz\"=\"narrow\"\r\n"
                    "\"Binary\"=hex:0a,0b\r\n"});
  corpus.push_back({"not_a_header", true,
                    "Windows Registry Editor Version 5.00 \r\n"
                    "[{ROOT}\\NotImported]\r\n"
                    "\"s\"=\"x\"\r\n"});
  corpus.push_back({"blank_first", false,
                    "\r\nREGEDIT4\r\n"
                    "[{ROOT}\\NotImported]\r\n"
                    "\"s\"=\"x\"\r\n"});
  corpus.push_back({"lower_case_header", false,
                    "regedit4\r\n"
                    "[{ROOT}\\NotImported]\r\n"
                    "\"s\"=\"x\"\r\n"});
  return corpus;
}

}  // namespace internal

// Files that regedit, under wine as under Windows, imports as RegFile reads them.
inline const std::vector<RegCorpusFile>& RegCorpus() {
  static const std::vector<RegCorpusFile> corpus = internal::BuildRegCorpus();
  return corpus;
}

}  // namespace zelk::testing

#endif  // ZELK_TESTS_PLATFORM_REG_CORPUS_H_
