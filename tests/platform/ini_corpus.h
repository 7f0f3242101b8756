// A corpus of awkward INI files, shared by the reader's tests and by the comparison with
// the real GetPrivateProfileStringW on Windows.
#ifndef ZELK_TESTS_PLATFORM_INI_CORPUS_H_
#define ZELK_TESTS_PLATFORM_INI_CORPUS_H_

#include <string>
#include <string_view>
#include <vector>

namespace zelk::testing {

struct IniCorpusFile {
  const char* name;
  std::string bytes;
  // Names to ask for in every combination when comparing with the real reader.
  std::vector<std::u16string> sections;
  std::vector<std::u16string> keys;
};

// UTF-16 text as file bytes with its byte order mark: little-endian, as Windows writes it,
// unless `big_endian`.
inline std::string Utf16FileBytes(std::u16string_view text, bool big_endian = false) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char low = static_cast<char>(c & 0xFF);
    const char high = static_cast<char>(c >> 8);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

namespace internal {

inline std::vector<IniCorpusFile> BuildIniCorpus() {
  using namespace std::string_literals;
  std::vector<IniCorpusFile> corpus;
  corpus.push_back({"layout.ini",
                    "glob=before any section\r\n"
                    "=nameless\r\n"
                    "[Browser]\r\n"
                    "Title=  Kiosk  \r\n"
                    "  Spaced Key   =   spaced value   \r\n"
                    "NoEquals\r\n"
                    "Empty=\r\n"
                    "EqualsInside=a=b=c\r\n"
                    "Tabbed=\t tab value \t\r\n"
                    "Inline=value ;not a comment\r\n"
                    "\r\n"
                    "   \r\n"
                    "[ Padded ]\r\n"
                    "Inside=padded\r\n"
                    "[Closed]trailing\r\n"
                    "After=1\r\n"
                    "[Unclosed\r\n"
                    "Orphan=in Closed\r\n"
                    "[Last]]\r\n"
                    "Key=last",
                    {u"Browser", u"bROWSER", u" Browser ", u"Padded", u"Closed", u"Unclosed",
                     u"Last]", u"Last", u"", u"Missing"},
                    {u"Title", u"TITLE", u"Spaced Key", u"NoEquals", u"Empty", u"EqualsInside",
                     u"Tabbed", u"Inline", u"Inside", u"After", u"Orphan", u"Key", u"glob", u"",
                     u"[Unclosed", u"Missing"}});
  corpus.push_back({"quotes.ini",
                    "[Q]\n"
                    "Double=\"quoted value\"\n"
                    "Single='single'\n"
                    "Spaces=\" inner blanks \"\n"
                    "Empty=\"\"\n"
                    "Lone=\"\n"
                    "Mismatched=\"abc'\n"
                    "OpenOnly=\"abc\n"
                    "Inner=a \"b\" c\n"
                    "Nested=\"\"x\"\"\n",
                    {u"Q"},
                    {u"Double", u"Single", u"Spaces", u"Lone", u"Mismatched", u"OpenOnly", u"Inner",
                     u"Nested"}});
  corpus.push_back({"duplicates.ini",
                    "[Dup]\n"
                    "Key=first\n"
                    "key=second\n"
                    "[Other]\n"
                    "Key=other\n"
                    "[DUP]\n"
                    "Key=third\n"
                    "Late=only in the second\n"
                    "[Dup2]\n"
                    "Flag\n"
                    "Flag=later\n"
                    "[Empty]\n"
                    "[Empty]\n"
                    "Key=behind an empty twin\n",
                    {u"Dup", u"DUP", u"Other", u"Dup2", u"Empty"},
                    {u"Key", u"KEY", u"Late", u"Flag"}});
  corpus.push_back({"comments.ini",
                    "; leading comment\n"
                    "[C]\n"
                    ";Commented=yes\n"
                    "# Hashed=yes\n"
                    "Value=1 ; trailing\n"
                    ";[Fake]\n"
                    "Real=2\n",
                    {u"C", u"Fake"},
                    {u"Commented", u";Commented", u"Hashed", u"# Hashed", u"Value", u"Real"}});
  corpus.push_back({"utf16le.ini",
                    Utf16FileBytes(u"[Sektion]\r\nGr\u00FC\u00DFe=Hallo W\u00E9lt\r\n"
                                   u"Emoji= \U0001F600 \r\nQuoted=\"x y\"\r\n"),
                    {u"Sektion", u"SEKTION"},
                    {u"Gr\u00FC\u00DFe", u"GR\u00FC\u00DFE", u"Emoji", u"Quoted"}});
  corpus.push_back(
      {"utf16be.ini", Utf16FileBytes(u"[Be]\nKey=big \u00E9ndian\n", true), {u"Be"}, {u"Key"}});
  corpus.push_back({"utf8bom.ini",
                    "\xEF\xBB\xBF[S\xC3\xA9]\nName=\xC3\x9Cn\xC3\xAF"
                    "code\n",
                    {u"S\u00E9", u"s\u00E9", u"S\u00C9"},
                    {u"Name"}});
  corpus.push_back({"line_ends.ini",
                    "[LF]\na=1\nb=2\n[CR]\rc=3\rd=4\r[Mixed]\r\ne=5\n\rf=6",
                    {u"LF", u"CR", u"Mixed"},
                    {u"a", u"b", u"c", u"d", u"e", u"f"}});
  corpus.push_back({"blanks.ini",
                    "  [B]  \r\n\x1A"
                    "a\x1A=\x1A"
                    "1\x1A\r\n\v"
                    "b=\f"
                    "2\f\r\n",
                    {u"B"},
                    {u"a", u"b"}});
  // "nul" is a device name on Windows, so these files are named differently.
  corpus.push_back({"nulchar.ini", "[N]\nA=x\0y\nB=z\n"s, {u"N"}, {u"A", u"B"}});
  corpus.push_back({"nulchar16.ini", Utf16FileBytes(u"[N]\nA=x\0y\nB=z\n"s), {u"N"}, {u"A", u"B"}});
  corpus.push_back({"long.ini",
                    "[L]\nLong=" + std::string(3000, 'v') + "\nExact=abcdef\nQuoted=\"abcd\"\n",
                    {u"L"},
                    {u"Long", u"Exact"}});
  corpus.push_back({"empty.ini", "", {u"S"}, {u"a"}});
  corpus.push_back({"bom_only.ini", "\xFF\xFE", {u"S"}, {u"a"}});
  // Garbage that starts with printable text: wine guesses the encoding of a file without
  // a mark from its bytes, and control characters at its start make it guess UTF-16.
  corpus.push_back({"garbage.ini",
                    "x[\x7F]]]==\n=\n[\n]\n\x1A\x1A\n;;\x01\x02\n"s,
                    {u"", u"\x7F]]", u"S"},
                    {u"", u"a"}});
  return corpus;
}

}  // namespace internal

// Every file of the corpus. Text outside ASCII appears only in files with a byte order
// mark, so that the narrow code page never matters.
inline const std::vector<IniCorpusFile>& IniCorpus() {
  static const std::vector<IniCorpusFile> corpus = internal::BuildIniCorpus();
  return corpus;
}

}  // namespace zelk::testing

#endif  // ZELK_TESTS_PLATFORM_INI_CORPUS_H_
