#include "urlfilter/filter_file_decoder.h"

namespace zelk {
namespace {

constexpr unsigned char kLineFeed = 10;
constexpr unsigned char kCarriageReturn = 13;
constexpr unsigned char kEndOfFile = 26;

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

void FilterFileDecoder::Feed(std::string_view bytes) {
  for (const char byte : bytes) {
    if (ended_) {
      return;
    }
    const unsigned char b = static_cast<unsigned char>(byte);
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
      Take(static_cast<char16_t>(b));
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
