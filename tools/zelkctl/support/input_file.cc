#include "tools/zelkctl/support/input_file.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

#include "urlfilter/filter_file_decoder.h"

namespace zelk::tools {
namespace {

constexpr size_t kChunkBytes = size_t{64} * 1024;

bool Decode(std::ifstream& in, FilterFileDecoder* decoder) {
  char chunk[kChunkBytes];
  while (!decoder->ended() && in) {
    in.read(chunk, sizeof(chunk));
    decoder->Feed(std::string_view(chunk, static_cast<size_t>(in.gcount())));
  }
  if (in.bad()) {
    return false;
  }
  decoder->Finish();
  return true;
}

}  // namespace

bool OpenInputFile(const std::string& path, std::ifstream* in) {
  const std::filesystem::path file = std::filesystem::u8path(path);
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    return false;
  }
  in->open(file, std::ios::binary);
  return static_cast<bool>(*in);
}

bool ReadInputFile(const std::string& path, size_t limit, std::string* bytes) {
  std::ifstream in;
  if (!OpenInputFile(path, &in)) {
    return false;
  }
  bytes->clear();
  char chunk[kChunkBytes];
  while (bytes->size() < limit && in) {
    in.read(chunk, static_cast<std::streamsize>(std::min(sizeof(chunk), limit - bytes->size())));
    bytes->append(chunk, static_cast<size_t>(in.gcount()));
  }
  return !in.bad();
}

bool ReadFilterFile(const std::string& path, std::vector<std::u16string>* lines) {
  std::ifstream in;
  if (!OpenInputFile(path, &in)) {
    return false;
  }
  FilterFileDecoder decoder(lines);
  return Decode(in, &decoder);
}

bool ReadFilterFile(const std::string& path, LineTexts* lines) {
  std::ifstream in;
  if (!OpenInputFile(path, &in)) {
    return false;
  }
  try {
    std::error_code error;
    const auto size = std::filesystem::file_size(std::filesystem::u8path(path), error);
    lines->Reserve(error ? 0 : static_cast<size_t>(size));
    FilterFileDecoder decoder(lines);
    return Decode(in, &decoder);
  } catch (const std::exception&) {
    return false;  // larger than the text can hold, or than memory
  }
}

}  // namespace zelk::tools
