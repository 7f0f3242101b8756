// A registry held in memory, read from a file in the format that Windows' "reg export"
// and regedit write. Pure code, compiled into both builds: the Linux backend answers
// registry queries from it, and the Windows tests compare it with what regedit imports.
//
// The format, as regedit reads it:
//  - Bytes: UTF-16LE after an FF FE mark, UTF-8 after EF BB BF, else UTF-8 (ASCII).
//  - The first line is the header "Windows Registry Editor Version 5.00" or "REGEDIT4",
//    perhaps after blanks and with nothing after it. Without it the registry is empty.
//  - Lines end at CR LF, LF or CR. Lines that start (after blanks) with anything but "[",
//    '"' or "@" say nothing; ";" starts a comment line.
//  - "[HKEY_LOCAL_MACHINE\path]" or "[HKEY_CURRENT_USER\path]" (the hive's name in any
//    case) makes the key current, creating it; text after the last "]" is not read. Empty
//    parts of the path (doubled or trailing backslashes) are dropped. A key of another
//    hive, or of no hive, leaves no key current, so its values go nowhere; a "[" line
//    without "]", or with a blank after "[", leaves the current key as it is.
//    "[-HKEY_...\path]" deletes the key with everything below it (never a hive).
//  - Value lines in the current key: "name"=data, or @=data for the key's default value,
//    with blanks allowed around "=". Names take the same escapes as text data. Data is
//      "text"          REG_SZ: the text and a terminating zero, as UTF-16LE. \\ and \"
//                      stand for \ and ", \n and \r for LF and CR; before any other
//                      character the backslash is dropped; \0 makes the line invalid.
//      dword:1a2b      REG_DWORD: one to eight hex digits, stored little-endian
//      hex:01,02       REG_BINARY: comma-separated bytes, each hex digits up to FF
//      hex(N):01,02    type N (hex): hex(2) is REG_EXPAND_SZ, hex(7) REG_MULTI_SZ
//      -               deletes the value
//    The type words are lower case. A hex list continues on the next line (blank and
//    comment lines passed over) after a comma and a backslash; a list the file ends while
//    it continues is dropped. Blanks and a ";" comment may follow the data. A line that
//    does not parse is passed over.
//  - Hex bytes are stored as written, except that in a REGEDIT4 file the text types
//    (hex(1), hex(2), hex(7)) hold narrow text, which is stored as UTF-16LE with a
//    terminating zero added when it lacks one.
//  - Key and value names match without regard to ASCII case; a value written again
//    replaces the data but keeps the name as first written.
#ifndef ZELK_PLATFORM_EMULATION_REG_FILE_H_
#define ZELK_PLATFORM_EMULATION_REG_FILE_H_

#include <map>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelk::platform {

struct RegFileValue {
  std::u16string name;  // as written; empty for the default value
  RegistryValue value;
};

struct RegFileKey {
  RegistryHive hive = RegistryHive::kCurrentUser;
  std::u16string path;                            // below the hive, as first written
  std::map<std::u16string, RegFileValue> values;  // by name folded to lower case
};

class RegFile {
 public:
  // Reads the bytes of a .reg file. A file that is not one gives an empty registry.
  static RegFile Parse(std::string_view bytes);

  // True when `subkey` of `hive` exists: written in the file or below a key written there.
  // The empty subkey is the hive itself, which always exists.
  bool HasKey(RegistryHive hive, std::u16string_view subkey) const;

  // The value `name` of `subkey`; null when the key or the value does not exist.
  const RegistryValue* FindValue(RegistryHive hive,
                                 std::u16string_view subkey,
                                 std::u16string_view name) const;

  // Every key, by hive and path folded to lower case ("hkcu\software\x").
  const std::map<std::u16string, RegFileKey>& keys() const { return keys_; }

 private:
  friend class RegFileParser;
  std::map<std::u16string, RegFileKey> keys_;
};

}  // namespace zelk::platform

#endif  // ZELK_PLATFORM_EMULATION_REG_FILE_H_
