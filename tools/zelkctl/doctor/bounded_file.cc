#include "tools/zelkctl/doctor/bounded_file.h"

#include <vector>

#include "common/text.h"
#include "platform/platform.h"

namespace zelk::tools::doctor {
namespace {

constexpr size_t kChunkBytes = 64 * 1024;

bool IsMissingError(uint32_t error) {
  return error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound;
}

// Reads the open file up to one byte past the bound, so that a file of exactly `limit`
// bytes still counts as whole.
void ReadUpTo(platform::ReadOnlyFile& in, size_t limit, BoundedFile* out) {
  std::vector<char> chunk(kChunkBytes);
  while (out->bytes.size() <= limit) {
    size_t read = 0;
    const uint32_t error = in.Read(chunk.data(), chunk.size(), &read);
    if (error != platform::kErrorSuccess) {
      out->status = BoundedFile::Status::kReadFailed;
      out->error = error;
      return;
    }
    if (read == 0) {
      out->status = BoundedFile::Status::kRead;
      return;
    }
    out->bytes.append(chunk.data(), read);
  }
  out->bytes.resize(limit);
  out->status = BoundedFile::Status::kTooLarge;
}

}  // namespace

bool PathIsFolder(std::u16string_view path, bool* exists) {
  uint32_t attributes = 0;
  *exists = platform::GetPathAttributes(path, &attributes) == platform::kErrorSuccess;
  return *exists && (attributes & platform::kAttributeDirectory) != 0;
}

std::u16string ParentFolder(std::u16string_view path) {
  const size_t end = path.find_last_not_of(u"\\/");
  if (end == std::u16string_view::npos) {
    return u"";
  }
  const size_t cut = path.find_last_of(u"\\/", end);
  return cut == std::u16string_view::npos || cut == 0 ? u"" : std::u16string(path.substr(0, cut));
}

BoundedFile ReadBoundedFile(std::u16string_view path, size_t limit) {
  BoundedFile out;
  bool exists = false;
  if (PathIsFolder(path, &exists)) {
    out.status = BoundedFile::Status::kFolder;
    return out;
  }
  platform::ReadOnlyFile in;
  const uint32_t error = in.Open(path);
  if (error != platform::kErrorSuccess) {
    out.status =
        IsMissingError(error) ? BoundedFile::Status::kMissing : BoundedFile::Status::kUnopenable;
    out.error = error;
    return out;
  }
  ReadUpTo(in, limit, &out);
  in.Close();
  return out;
}

std::string DescribeFileProblem(const BoundedFile& file, size_t limit) {
  switch (file.status) {
    case BoundedFile::Status::kRead:
      return "";
    case BoundedFile::Status::kMissing:
      return "does not exist";
    case BoundedFile::Status::kFolder:
      return "is a folder, not a file";
    case BoundedFile::Status::kUnopenable:
      return "cannot be opened for reading (access denied, or not a regular file such as a pipe)";
    case BoundedFile::Status::kTooLarge:
      return "is larger than " + std::to_string(limit / (1024 * 1024)) +
             " MB, more than a file of this kind ever needs; doctor checks no further";
    case BoundedFile::Status::kReadFailed: {
      std::string text = ToUtf8(platform::SystemErrorText(file.error));
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
      }
      return "cannot be read (error " + std::to_string(file.error) + ": " + text + ")";
    }
  }
  return "";
}

}  // namespace zelk::tools::doctor
