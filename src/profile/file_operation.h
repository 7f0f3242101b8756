// The file-operation engine: copies a file, or a folder with everything below it, into an
// existing destination without replacing anything unless told to.
//
// A taken file name is avoided by writing the copy beside it under a new name ("Copy of
// x", "Copy (1) of x", ...). Any failure, at any depth, abandons the whole operation:
// what was created before it stays, and the engine's fields describe the failure. One
// engine serves one copy; it shows nothing and logs nothing.
#ifndef ZELK_PROFILE_FILE_OPERATION_H_
#define ZELK_PROFILE_FILE_OPERATION_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "messages/system_error.h"

namespace zelk {

// What a path names, as the engine tells it from the path's attributes.
enum PathKind : int32_t {
  PathMissing = 0,        // neither the path nor (for 3) its folder exists
  PathFile = 1,           // anything without the directory attribute
  PathFolder = 2,         // a folder, or a link that stands for one
  PathUndetermined = -1,  // the attributes cannot be had for another reason
};

// The failure that abandons a copy: a text and a platform error code (0 for the engine's
// own failures). Thrown by value inside the engine, caught only by FileOperation::Copy.
class CFExeption {
 public:
  // The system's text for a platform error code.
  explicit CFExeption(uint32_t code);
  // An engine failure with its own text and code 0.
  explicit CFExeption(std::u16string text);

  const std::u16string& text() const { return text_; }
  uint32_t code() const { return code_; }

 private:
  std::u16string text_;
  uint32_t code_ = 0;
};

// At most this many names are tried for one copy before it fails.
inline constexpr int kMaxCopyNameAttempts = 10000;

class FileOperation {
 public:
  // Copies `source` (a file or a folder) into `destination` (an existing folder, or an
  // existing file when the source is a file). A folder lands as a folder of the same name
  // inside the destination; a source whose parent folder is the destination is left alone.
  // Returns 1 when the copy completed or there was nothing to do, 0 when it stopped on a
  // failure, described by errorText and errorCode. Never throws.
  int Copy(const std::u16string& source, const std::u16string& destination);

  // Description of the failure that stopped the last copy.
  std::u16string errorText = u"No error";
  // Platform error code of that failure; 0 for the engine's own failures.
  uint32_t errorCode = 0;
  // True: each file is copied onto its target name, replacing a file that is there.
  int32_t overwrite = 0;
  // Subfolder descents the running copy may still make: -1 no limit, 0 none, n > 0 n more
  // in the whole operation. It keeps a copy of a folder into its own subfolder finite.
  int32_t subfolderBudget = -1;

  // The steps of a copy, public so that tests can drive each one.

  // True when `source` is a folder and the text before its last backslash names
  // `destination`, ignoring the case of A to Z.
  bool IsParentFolder(std::u16string_view source, std::u16string_view destination) const;
  // The whole copy; throws CFExeption on failure.
  void RunOperation(const std::u16string& source, const std::u16string& destination);
  // When `destination` lies inside `source` (a case-sensitive substring test), allows as
  // many descents as `destination` has more backslashes than `source`.
  void SetSubfolderBudget(std::u16string_view source, std::u16string_view destination);
  static PathKind GetPathKind(std::u16string_view path);
  // Copies every entry the listing `pattern` finds into `destination`, which ends in a
  // backslash, folders before the entries after them.
  void CopyFolderContents(const std::u16string& pattern, const std::u16string& destination);
  // Copies one file to `target`, or beside it under a free name without `overwrite`.
  void CopyFileToFreeName(const std::u16string& source, const std::u16string& target);

 private:
  void CopyFolderIntoFolder(const std::u16string& source, const std::u16string& destination);
  void CopySubfolder(const std::u16string& folder,
                     const std::u16string& name,
                     const std::u16string& destination);
};

}  // namespace zelk

#endif  // ZELK_PROFILE_FILE_OPERATION_H_
