#include "urlfilter/line_texts.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace zelk {
namespace {

// Room left over from growing that is not worth copying the text to give back.
constexpr size_t kKeptSlackShare = 16;  // a sixteenth of the text

size_t EncodedLength(char16_t c) {
  return c < 0x80 ? 1 : (c < 0x800 ? 2 : 3);
}

// Writes the bytes of `c` at `*at`, moving `*at` past them.
void Encode(char16_t c, char* out, size_t* at) {
  const auto put = [&](unsigned byte) { out[(*at)++] = static_cast<char>(byte); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

// The code unit whose bytes start at `*at`, moving `*at` past them. The bytes were written
// by Encode, so the lead byte tells their number.
char16_t Decode(const std::string& bytes, size_t* at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned lead = byte((*at)++);
  if (lead < 0x80) {
    return static_cast<char16_t>(lead);
  }
  if (lead < 0xE0) {
    return static_cast<char16_t>(((lead & 0x1F) << 6) | (byte((*at)++) & 0x3F));
  }
  const unsigned middle = byte((*at)++) & 0x3F;
  return static_cast<char16_t>(((lead & 0x0F) << 12) | (middle << 6) | (byte((*at)++) & 0x3F));
}

}  // namespace

// The size is counted first, so the block is allocated once and holds no spare room.
LineTexts::LineTexts(const std::vector<std::u16string>& lines) {
  size_t total = 0;
  for (const std::u16string& line : lines) {
    for (const char16_t c : line) {
      total += EncodedLength(c);
    }
  }
  if (total > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("filter text too long");
  }
  bytes_.reserve(total);
  ends_.reserve(lines.size());
  for (const std::u16string& line : lines) {
    Append(line);
  }
}

void LineTexts::Reserve(size_t bytes) {
  bytes_.reserve(std::min<size_t>(bytes, std::numeric_limits<uint32_t>::max()));
}

void LineTexts::CheckRoom(size_t more) const {
  if (bytes_.size() + more > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("filter text too long");
  }
}

// The line's bytes are counted first, so that the block grows once per line, by doubling.
void LineTexts::Append(std::u16string_view line) {
  size_t length = 0;
  for (const char16_t c : line) {
    length += EncodedLength(c);
  }
  CheckRoom(length);
  size_t at = bytes_.size();
  bytes_.resize(at + length);
  for (const char16_t c : line) {
    Encode(c, &bytes_[0], &at);
  }
  ends_.push_back(static_cast<uint32_t>(bytes_.size()));
}

// Most lines are plain ASCII, whose bytes are their own encoding: copied at once.
void LineTexts::AppendBytes(std::string_view line) {
  size_t high = 0;
  for (const char c : line) {
    high += static_cast<unsigned char>(c) >> 7;
  }
  CheckRoom(line.size() + high);
  size_t at = bytes_.size();
  if (high == 0) {
    bytes_.append(line);
  } else {
    bytes_.resize(at + line.size() + high);
    for (const char c : line) {
      Encode(static_cast<unsigned char>(c), &bytes_[0], &at);
    }
  }
  ends_.push_back(static_cast<uint32_t>(bytes_.size()));
}

void LineTexts::ShrinkToFit() {
  if (bytes_.capacity() - bytes_.size() > bytes_.size() / kKeptSlackShare) {
    bytes_.shrink_to_fit();
  }
  if (ends_.capacity() - ends_.size() > ends_.size() / kKeptSlackShare) {
    ends_.shrink_to_fit();
  }
}

std::u16string LineTexts::Line(size_t index) const {
  std::u16string line;
  LineInto(index, &line);
  return line;
}

// A run of ASCII bytes, most lines whole, is widened in one pass into room sized at once;
// the bytes of other characters are decoded one character at a time.
void LineTexts::LineInto(size_t index, std::u16string* line) const {
  line->clear();
  if (index >= ends_.size()) {
    return;
  }
  size_t at = index == 0 ? 0 : ends_[index - 1];
  const size_t end = ends_[index];
  line->resize(end - at);  // no more characters than bytes
  size_t length = 0;
  while (at < end) {
    const auto byte = static_cast<unsigned char>(bytes_[at]);
    if (byte < 0x80) {
      (*line)[length++] = static_cast<char16_t>(byte);
      ++at;
    } else {
      (*line)[length++] = Decode(bytes_, &at);
    }
  }
  line->resize(length);
}

}  // namespace zelk
