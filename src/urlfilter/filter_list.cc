#include "urlfilter/filter_list.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "messages/application_message.h"
#include "messages/system_error.h"
#include "platform/platform.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_file_decoder.h"

namespace zelk {
namespace {

constexpr size_t kReadChunk = size_t{64} * 1024;

// A filter file beyond these limits is taken as unreadable rather than held in memory. They
// hold twice the largest public block lists (a million entries, a hundred megabytes as
// rules).
constexpr size_t kMaxFileBytes = size_t{256} << 20;
constexpr size_t kMaxLineBytes = size_t{1} << 20;
constexpr size_t kMaxLines = size_t{1} << 21;
constexpr uint32_t kErrorFileTooLarge = 223;  // ERROR_FILE_TOO_LARGE

constexpr char kLineFeed = '\n';
constexpr char kEndOfFile = '\x1A';

// Follows the file's size, line count and current line through the next bytes read;
// false once any passes its limit. Bytes after a Ctrl-Z are never read as text and do not
// count.
class FileLimits {
 public:
  bool Take(std::string_view bytes) {
    if (ended_) {
      return true;
    }
    const size_t end = bytes.find(kEndOfFile);
    ended_ = end != std::string_view::npos;
    bytes = bytes.substr(0, ended_ ? end + 1 : bytes.size());
    bytes_ += bytes.size();
    for (size_t at = 0;;) {
      const size_t feed = bytes.find(kLineFeed, at);
      line_ += (feed == std::string_view::npos ? bytes.size() : feed) - at;
      if (line_ > kMaxLineBytes || lines_ >= kMaxLines) {
        return false;
      }
      if (feed == std::string_view::npos) {
        return bytes_ <= kMaxFileBytes;
      }
      line_ = 0;
      ++lines_;
      at = feed + 1;
    }
  }

 private:
  bool ended_ = false;
  size_t bytes_ = 0;
  size_t line_ = 0;
  size_t lines_ = 0;
};

// How a list read from the file is compiled; tests put in one that runs out of memory.
FilterListCompiler g_compiler = nullptr;

void ReportUnopenable(const std::u16string& path) {
  ShowApplicationMessage(u"Error loading filter file: " + path +
                         u"\n\nPlease specify correct path in zelk.ini file.");
}

void ReportReadError(uint32_t error) {
  ShowApplicationMessage(SystemErrorDescription(error));
}

// Reads the open file to its end (or its Ctrl-Z) into `lines`. Returns the error of the
// read that failed, kErrorFileTooLarge past a limit, or 0.
uint32_t ReadLines(platform::ReadOnlyFile& file, LineTexts* lines) {
  uint64_t size = 0;
  if (file.Size(&size) == platform::kErrorSuccess) {
    lines->Reserve(static_cast<size_t>(std::min<uint64_t>(size, kMaxFileBytes)));
  }
  FilterFileDecoder decoder(lines);
  FileLimits limits;
  std::string chunk(kReadChunk, '\0');
  while (!decoder.ended()) {
    size_t read = 0;
    const uint32_t error = file.Read(chunk.data(), chunk.size(), &read);
    if (error != platform::kErrorSuccess) {
      return error;
    }
    if (read == 0) {
      break;
    }
    if (!limits.Take(std::string_view(chunk.data(), read))) {
      return kErrorFileTooLarge;
    }
    decoder.Feed(std::string_view(chunk.data(), read));
  }
  decoder.Finish();
  return platform::kErrorSuccess;
}

// Reads the open file and compiles its lines into `*list`. Returns the error of the read
// that failed, kErrorFileTooLarge past a limit, kErrorNotEnoughMemory when the list does
// not fit in memory (the file is then treated as one that could not be read: the check
// answers as for such a file and tries again next time), or 0.
uint32_t ReadList(platform::ReadOnlyFile& file, CompiledFilterListPtr* list) {
  try {
    LineTexts lines;
    const uint32_t error = ReadLines(file, &lines);
    if (error != platform::kErrorSuccess) {
      return error;
    }
    lines.ShrinkToFit();
    *list =
        g_compiler != nullptr ? g_compiler(std::move(lines)) : CompileFilterList(std::move(lines));
    return *list != nullptr ? platform::kErrorSuccess : platform::kErrorNotEnoughMemory;
  } catch (const std::bad_alloc&) {
    return platform::kErrorNotEnoughMemory;
  } catch (const std::length_error&) {
    return platform::kErrorNotEnoughMemory;
  }
}

}  // namespace

void SetFilterListCompilerForTesting(FilterListCompiler compiler) {
  g_compiler = compiler;
}

int LoadFilterList(ConfigSource& source) {
  if (source.settings_copy.check_url_access == 0 || source.filter_file_path.empty()) {
    source.filter_list_loaded = 1;
    return 1;
  }
  platform::ReadOnlyFile file;
  if (file.Open(source.filter_file_path) != platform::kErrorSuccess) {
    ReportUnopenable(source.filter_file_path);
    return 0;
  }
  CompiledFilterListPtr list;
  uint32_t error = ReadList(file, &list);
  const uint32_t close_error = file.Close();
  if (error == kErrorFileTooLarge) {
    ReportUnopenable(source.filter_file_path);
    return 0;
  }
  if (error == platform::kErrorSuccess) {
    error = close_error;
  }
  if (error != platform::kErrorSuccess) {
    ReportReadError(error);
    return 0;
  }
  source.filter_list = std::move(list);
  source.filter_list_loaded = 1;
  return 1;
}

}  // namespace zelk
