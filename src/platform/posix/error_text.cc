// The English texts Windows gives for the error codes the library can meet, each ending
// with CR LF as FormatMessageW's texts do; one case per line.
#include <string>

#include "common/text.h"
#include "platform/platform.h"

namespace zelk::platform {
namespace {

const char16_t* KnownText(uint32_t code) {
  // clang-format off
  switch (code) {
    case 0: return u"The operation completed successfully.";
    case 1: return u"Incorrect function.";
    case 2: return u"The system cannot find the file specified.";
    case 3: return u"The system cannot find the path specified.";
    case 4: return u"The system cannot open the file.";
    case 5: return u"Access is denied.";
    case 6: return u"The handle is invalid.";
    case 8: return u"Not enough memory resources are available to process this command.";
    case 13: return u"The data is invalid.";
    case 17: return u"The system cannot move the file to a different disk drive.";
    case 18: return u"There are no more files.";
    case 31: return u"A device attached to the system is not functioning.";
    case 32: return u"The process cannot access the file because it is being used by another process.";
    case 39: return u"The disk is full.";
    case 80: return u"The file exists.";
    case 87: return u"The parameter is incorrect.";
    case 112: return u"There is not enough space on the disk.";
    case 122: return u"The data area passed to a system call is too small.";
    case 123: return u"The filename, directory name, or volume label syntax is incorrect.";
    case 145: return u"The directory is not empty.";
    case 161: return u"The specified path is invalid.";
    case 183: return u"Cannot create a file when that file already exists.";
    case 193: return u"%1 is not a valid Win32 application.";
    case 206: return u"The filename or extension is too long.";
    case 223: return u"The file size exceeds the limit allowed and cannot be saved.";
    case 234: return u"More data is available.";
    case 267: return u"The directory name is invalid.";
    case 1117: return u"The request could not be performed because of an I/O device error.";
    case 1921: return u"The name of the file cannot be resolved by the system.";
    default: return nullptr;
  }
  // clang-format on
}

}  // namespace

std::u16string SystemErrorText(uint32_t code) {
  const char16_t* known = KnownText(code);
  return known != nullptr ? std::u16string(known) + u"\r\n" : UnknownErrorText(code);
}

}  // namespace zelk::platform
