#include "urlfilter/filter_list.h"

#include <string>

#include "common/application_message.h"
#include "platform/platform.h"
#include "urlfilter/compiled_filter_list.h"
#include "urlfilter/filter_file_decoder.h"

namespace zelk {
namespace {

constexpr size_t kReadChunk = size_t{64} * 1024;

void ReportUnopenable(const std::u16string& path) {
  ShowApplicationMessage(u"Error loading filter file: " + path +
                         u"\n\nPlease specify correct path in zelk.ini file.");
}

void ReportReadError(uint32_t error) {
  std::u16string text = platform::SystemErrorText(error);
  if (text.empty()) {
    const std::string code = std::to_string(error);
    text =
        u"Error " + std::u16string(code.begin(), code.end()) + u" while reading the filter file.";
  }
  ShowApplicationMessage(text);
}

// Reads the open file to its end (or its Ctrl-Z) into `lines`. Returns the error of the
// read that failed, or 0.
uint32_t ReadLines(platform::ReadOnlyFile& file, std::vector<std::u16string>* lines) {
  FilterFileDecoder decoder(lines);
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
    decoder.Feed(std::string_view(chunk.data(), read));
  }
  decoder.Finish();
  return platform::kErrorSuccess;
}

}  // namespace

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
  uint32_t error = ReadLines(file, &source.filter_patterns);
  const uint32_t close_error = file.Close();
  if (error == platform::kErrorSuccess) {
    error = close_error;
  }
  if (error != platform::kErrorSuccess) {
    ReportReadError(error);
    return 0;
  }
  source.compiled_filter = CompileFilterList(source.filter_patterns);
  source.filter_list_loaded = 1;
  return 1;
}

}  // namespace zelk
