// errno to the Win32 code Windows gives for the same failure, one case per line.
#include <cerrno>

#include "platform/platform.h"
#include "platform/posix/posix_path.h"

namespace zelk::platform::posix {

uint32_t Win32ErrorFromErrno(int error) {
  // clang-format off
  switch (error) {
    case 0: return kErrorSuccess;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES: return kErrorAccessDenied;
    case EPERM: return kErrorAccessDenied;
    case EROFS: return kErrorAccessDenied;
    case EISDIR: return kErrorAccessDenied;
    case ETXTBSY: return kErrorAccessDenied;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EEXIST: return kErrorAlreadyExists;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case ENOSPC: return kErrorDiskFull;
    case EDQUOT: return kErrorDiskFull;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case EINVAL: return kErrorInvalidParameter;
    case EMFILE: return 4;     // ERROR_TOO_MANY_OPEN_FILES
    case ENFILE: return 4;     // ERROR_TOO_MANY_OPEN_FILES
    case EBADF: return 6;      // ERROR_INVALID_HANDLE
    case EIO: return 1117;     // ERROR_IO_DEVICE
    case EBUSY: return 32;     // ERROR_SHARING_VIOLATION
    case EXDEV: return 17;     // ERROR_NOT_SAME_DEVICE
    case ELOOP: return 1921;   // ERROR_CANT_RESOLVE_FILENAME
    case EFBIG: return 223;    // ERROR_FILE_TOO_LARGE
    default: return 31;        // ERROR_GEN_FAILURE
  }
  // clang-format on
}

}  // namespace zelk::platform::posix
