// The private-profile (INI) reader on a file's bytes: what GetPrivateProfileStringW
// answers for one key, worked out without the OS. Pure code, compiled into both builds:
// the Linux backend reads INI files with it, and the Windows tests compare it with the
// real GetPrivateProfileStringW on the same files.
//
// The rules, as Windows applies them:
//  - Bytes: UTF-16LE after an FF FE mark, UTF-16BE after FE FF, UTF-8 after EF BB BF, else
//    the narrow encoding, taken here as UTF-8 (each byte that does not decode becomes
//    U+FFFD). The lone last byte of a UTF-16 file of odd length is a character of its own.
//  - Lines end at LF or CR. Blanks (space, tab, VT, FF and the old end-of-file mark 0x1A)
//    around lines, names and values are dropped. A name or value ends at its first U+0000,
//    as the C strings of the Win32 call do.
//  - "[name]" starts a section; the name, without its blanks, runs to the last "]" on the
//    line. A line with "[" and no "]" is not a header. Lines before the first header belong
//    to a section whose name is empty.
//  - "name=value" is a key; the name ends at the first "=". A line without "=" is a key
//    without a value, which answers as if it were missing.
//  - Comments have no rule of their own: a line ";text=1" is a key named ";text", which no
//    one asks for, and "key=a ;b" has the value "a ;b".
//  - Section and key names match without regard to ASCII case (other letters must be
//    equal); the names asked for are trimmed of blanks first. Only the first section of a
//    name is searched, and the first key of a name in it wins, with or without a value.
//  - A value at least two characters long that starts and ends with the same quote (" or ')
//    loses that pair.
//  - The default loses its trailing spaces; when the file was read it also loses a pair of
//    quotes, as a value would. A missing file in a folder that exists counts as read, and
//    empty (the Win32 call takes it for a new file); a folder, or a file whose folder is
//    missing, does not.
//  - The answer is cut to `capacity` - 1 characters; capacity 0 gives the empty text.
#ifndef ZELK_PLATFORM_EMULATION_INI_TEXT_H_
#define ZELK_PLATFORM_EMULATION_INI_TEXT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::platform {

// The text of an INI file's bytes, decoded by the rules above.
std::u16string DecodeIniBytes(std::string_view bytes);

// The answer for `key` in `section` of an INI file whose whole content is `file_bytes`.
std::u16string IniStringFromBytes(std::string_view file_bytes,
                                  std::u16string_view section,
                                  std::u16string_view key,
                                  std::u16string_view default_value,
                                  size_t capacity);

// The same answer from the file's text once decoded by DecodeIniBytes, for a reader that
// decodes a file once and asks it for many keys.
std::u16string IniStringFromText(std::u16string_view file_text,
                                 std::u16string_view section,
                                 std::u16string_view key,
                                 std::u16string_view default_value,
                                 size_t capacity);

// One line of an INI file, sorted into what it declares.
struct IniLine {
  enum class Kind { kEmpty, kSection, kKey } kind = Kind::kEmpty;
  std::u16string_view name;   // section or key name, trimmed
  bool has_value = false;     // the key line holds "="
  std::u16string_view value;  // trimmed, before quotes are stripped
};

// An INI file's text, sorted into lines once, that answers any number of keys by the
// rules above. Holds views into its own text, so it is neither copied nor moved.
class IniDocument {
 public:
  explicit IniDocument(std::u16string text);
  IniDocument(const IniDocument&) = delete;
  IniDocument& operator=(const IniDocument&) = delete;

  // What IniStringFromText answers for this text.
  std::u16string Answer(std::u16string_view section,
                        std::u16string_view key,
                        std::u16string_view default_value,
                        size_t capacity) const;

 private:
  std::optional<std::u16string_view> FindValue(std::u16string_view section,
                                               std::u16string_view key) const;

  std::u16string text_;
  std::vector<IniLine> lines_;
};

// The answer when the INI file cannot be read at all: the default, as above.
std::u16string IniDefaultString(std::u16string_view default_value, size_t capacity);

}  // namespace zelk::platform

#endif  // ZELK_PLATFORM_EMULATION_INI_TEXT_H_
