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

void FilterFileDecoder::Take(char16_t c) {
  current_.push_back(c);
  has_text_ = true;
}

void FilterFileDecoder::EndLine() {
  if (texts_ != nullptr) {
    texts_->Append(current_);
  } else {
    lines_->push_back(current_);
  }
  current_.clear();
  has_text_ = false;
}

void FilterFileDecoder::TakeRun(std::string_view bytes) {
  const size_t start = current_.size();
  current_.resize(start + bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    current_[start + i] = static_cast<unsigned char>(bytes[i]);
  }
  has_text_ = true;
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
        Take(kCarriageReturn);  // a CR not followed by LF stays in the line
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
      TakeRun(bytes.substr(i, end - i));
      i = end - 1;
    }
  }
}

void FilterFileDecoder::Finish() {
  if (pending_cr_) {
    pending_cr_ = false;
    Take(kCarriageReturn);
  }
  if (has_text_) {
    EndLine();
  }
}

}  // namespace zelk
