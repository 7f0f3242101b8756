#include "urlfilter/filter_file_decoder.h"

namespace zelk {
namespace {

constexpr unsigned char kLineFeed = 10;
constexpr unsigned char kCarriageReturn = 13;
constexpr unsigned char kEndOfFile = 26;

// A byte that is a character of the line, whatever comes before or after it.
bool IsPlain(unsigned char b) {
  return b != kLineFeed && b != kCarriageReturn && b != kEndOfFile;
}

}  // namespace

void FilterFileDecoder::Take(char c) {
  current_.push_back(c);
  has_text_ = true;
}

void FilterFileDecoder::EndLine() {
  if (texts_ != nullptr) {
    texts_->AppendBytes(current_);
  } else {
    std::u16string& line = lines_->emplace_back(current_.size(), u'\0');
    for (size_t i = 0; i < current_.size(); ++i) {
      line[i] = static_cast<unsigned char>(current_[i]);
    }
  }
  current_.clear();
  has_text_ = false;
}

void FilterFileDecoder::Feed(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size() && !ended_; ++i) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b == kEndOfFile) {
      ended_ = true;
      return;
    }
    if (pending_cr_) {
      pending_cr_ = false;
      if (b != kLineFeed) {
        Take(static_cast<char>(kCarriageReturn));  // a CR not followed by LF stays in the line
      }
    }
    if (b == kLineFeed) {
      EndLine();
    } else if (b == kCarriageReturn) {
      pending_cr_ = true;
      has_text_ = true;
    } else {
      // The bytes up to the next that ends a line or the file are taken at once.
      size_t end = i + 1;
      while (end < bytes.size() && IsPlain(static_cast<unsigned char>(bytes[end]))) {
        ++end;
      }
      current_.append(bytes.substr(i, end - i));
      has_text_ = true;
      i = end - 1;
    }
  }
}

void FilterFileDecoder::Finish() {
  if (pending_cr_) {
    pending_cr_ = false;
    Take(static_cast<char>(kCarriageReturn));
  }
  if (has_text_) {
    EndLine();
  }
}

}  // namespace zelk
