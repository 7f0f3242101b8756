#include "tools/zelkctl/import/punycode.h"

#include <cstdint>

namespace zelk::tools {
namespace {

constexpr uint32_t kBase = 36;
constexpr uint32_t kTMin = 1;
constexpr uint32_t kTMax = 26;
constexpr uint32_t kSkew = 38;
constexpr uint32_t kDamp = 700;
constexpr uint32_t kInitialBias = 72;
constexpr uint32_t kInitialN = 128;
constexpr uint32_t kMaxDelta = 0x7FFFFFFF;

char Digit(uint32_t value) {
  return static_cast<char>(value < 26 ? 'a' + value : '0' + (value - 26));
}

uint32_t Adapt(uint32_t delta, uint32_t points, bool first) {
  delta = first ? delta / kDamp : delta / 2;
  delta += delta / points;
  uint32_t k = 0;
  while (delta > ((kBase - kTMin) * kTMax) / 2) {
    delta /= kBase - kTMin;
    k += kBase;
  }
  return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

// Writes `delta` as a variable-length number under the current bias.
void WriteNumber(uint32_t delta, uint32_t bias, std::string* out) {
  uint32_t q = delta;
  for (uint32_t k = kBase;; k += kBase) {
    const uint32_t t = k <= bias ? kTMin : (k >= bias + kTMax ? kTMax : k - bias);
    if (q < t) {
      break;
    }
    out->push_back(Digit(t + (q - t) % (kBase - t)));
    q = (q - t) / (kBase - t);
  }
  out->push_back(Digit(q));
}

// Copies the label's ASCII characters, which stand first as they are; returns how many.
uint32_t CopyBasic(std::u32string_view label, std::string* encoded) {
  encoded->clear();
  for (char32_t c : label) {
    if (c < 0x80) {
      encoded->push_back(static_cast<char>(c));
    }
  }
  return static_cast<uint32_t>(encoded->size());
}

// The smallest code point of the label that is at least `n`.
uint32_t NextCodePoint(std::u32string_view label, uint32_t n) {
  uint32_t next = 0x110000;
  for (char32_t c : label) {
    if (c >= n && c < next) {
      next = c;
    }
  }
  return next;
}

}  // namespace

bool EncodePunycode(std::u32string_view label, std::string* encoded) {
  const auto basic = CopyBasic(label, encoded);
  if (basic > 0) {
    encoded->push_back('-');
  }
  uint32_t n = kInitialN;
  uint32_t delta = 0;
  uint32_t bias = kInitialBias;
  for (uint32_t handled = basic; handled < label.size();) {
    const uint32_t next = NextCodePoint(label, n);
    if ((next - n) > (kMaxDelta - delta) / (handled + 1)) {
      return false;
    }
    delta += (next - n) * (handled + 1);
    n = next;
    for (char32_t c : label) {
      if (c < n && ++delta > kMaxDelta) {
        return false;
      }
      if (c == n) {
        WriteNumber(delta, bias, encoded);
        bias = Adapt(delta, handled + 1, handled == basic);
        delta = 0;
        ++handled;
      }
    }
    ++delta;
    ++n;
  }
  return true;
}

}  // namespace zelk::tools
