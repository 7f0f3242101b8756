// Opening the files an administrator names on zelkctl's command line, the same way for
// every command: by their UTF-8 names, in binary, never a folder.
#ifndef ZELK_TOOLS_ZELKCTL_SUPPORT_INPUT_FILE_H_
#define ZELK_TOOLS_ZELKCTL_SUPPORT_INPUT_FILE_H_

#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

#include "urlfilter/line_texts.h"

namespace zelk::tools {

// Opens the file for reading its bytes; false for a folder or a file that cannot be opened.
bool OpenInputFile(const std::string& path, std::ifstream* in);

// Reads at most `limit` bytes from the start of the file into `bytes`. False when the file
// cannot be opened or read.
bool ReadInputFile(const std::string& path, size_t limit, std::string* bytes);

// Reads a filter file's bytes into lines exactly as the library does. False when the file
// cannot be opened or read.
bool ReadFilterFile(const std::string& path, std::vector<std::u16string>* lines);
// The same into one text, with no block of memory per line. False also when the file is
// larger than the text or memory can hold.
bool ReadFilterFile(const std::string& path, LineTexts* lines);

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_SUPPORT_INPUT_FILE_H_
