#include "tools/zelkctl/import/host_pattern.h"

#include <cstdio>
#include <vector>

#include "common/text.h"
#include "tools/zelkctl/import/punycode.h"
#include "urlfilter/pattern/escape.h"

namespace zelk::tools {
namespace {

constexpr size_t kMaxLabel = 63;
constexpr size_t kMaxHost = 253;

// Capital letters outside A-Z whose small letter lies at a fixed distance, so that an
// international name is encoded as the browser, which folds it first, encodes it.
struct CaseRange {
  char32_t first;
  char32_t last;
  char32_t distance;
  char32_t step;  // 2: only every other code point from `first` is a capital
};
constexpr CaseRange kCapitals[] = {
    {0x00C0, 0x00D6, 0x20, 1}, {0x00D8, 0x00DE, 0x20, 1}, {0x0100, 0x012F, 1, 2},
    {0x0132, 0x0137, 1, 2},    {0x0139, 0x0148, 1, 2},    {0x014A, 0x0177, 1, 2},
    {0x0179, 0x017E, 1, 2},    {0x0391, 0x03A1, 0x20, 1}, {0x03A3, 0x03AB, 0x20, 1},
    {0x0400, 0x040F, 0x50, 1}, {0x0410, 0x042F, 0x20, 1},
};

// Code points that never stand in a host name as the browser sends it.
struct ForbiddenRange {
  char32_t first;
  char32_t last;
};
constexpr ForbiddenRange kForbidden[] = {
    {0x0080, 0x00BF}, {0x00D7, 0x00D7}, {0x00F7, 0x00F7}, {0x0130, 0x0130},
    {0x2000, 0x206F}, {0x3000, 0x3000}, {0xFE00, 0xFE0F}, {0xFF00, 0xFFFF},
};

// Full stops of other scripts that the browser reads as ".".
constexpr char32_t kOtherDots[] = {0x3002, 0xFF0E, 0xFF61};

char32_t FoldCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') {
    return c - U'A' + U'a';
  }
  for (const CaseRange& range : kCapitals) {
    if (c >= range.first && c <= range.last && (c - range.first) % range.step == 0) {
      return c + range.distance;
    }
  }
  return c;
}

std::string Shown(char32_t c) {
  char text[32];
  if (c > 0x20 && c < 0x7F) {
    std::snprintf(text, sizeof(text), "'%c'", static_cast<char>(c));
  } else {
    std::snprintf(text, sizeof(text), "U+%04X", static_cast<unsigned>(c));
  }
  return text;
}

bool IsHostAscii(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9') || c == U'-' || c == U'_';
}

// The label in the browser's form, or false with the reason.
bool EncodeLabel(const std::u32string& label, std::string* out, std::string* why) {
  if (label.empty()) {
    *why = "an empty label (two dots in a row, or a dot at the start)";
    return false;
  }
  bool ascii = true;
  for (char32_t c : label) {
    bool forbidden = c < 0x80 ? !IsHostAscii(c) : false;
    for (const ForbiddenRange& range : kForbidden) {
      forbidden = forbidden || (c >= range.first && c <= range.last);
    }
    if (forbidden) {
      *why = "the character " + Shown(c) + " cannot occur in a host name";
      return false;
    }
    ascii = ascii && c < 0x80;
  }
  if (ascii) {
    out->assign(label.begin(), label.end());
  } else if (!EncodePunycode(label, out)) {
    *why = "the international label cannot be encoded";
    return false;
  } else {
    *out = "xn--" + *out;
  }
  if (out->size() > kMaxLabel) {
    *why = "a label longer than 63 characters";
    return false;
  }
  return true;
}

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return !text.empty();
}

// Four decimal numbers of 0 to 255 without leading zeros, which the browser keeps as
// they are.
bool IsPlainIpv4(const std::vector<std::string>& labels) {
  if (labels.size() != 4) {
    return false;
  }
  for (const std::string& label : labels) {
    if (!AllDigits(label) || label.size() > 3 || (label.size() > 1 && label[0] == '0') ||
        std::stoi(label) > 255) {
      return false;
    }
  }
  return true;
}

// The labels of the name, folded, split at every kind of dot the browser reads as one.
std::vector<std::u32string> FoldedLabels(const std::u32string& points) {
  std::vector<std::u32string> labels(1);
  for (char32_t c : points) {
    const char32_t folded = FoldCodePoint(c);
    bool dot = folded == U'.';
    for (char32_t other : kOtherDots) {
      dot = dot || folded == other;
    }
    if (dot) {
      labels.emplace_back();
    } else {
      labels.back().push_back(folded);
    }
  }
  if (labels.size() > 1 && labels.back().empty()) {
    labels.pop_back();  // the final dot of a fully qualified name
  }
  return labels;
}

bool EncodeLabels(const std::vector<std::u32string>& labels,
                  std::vector<std::string>* encoded,
                  std::string* why) {
  encoded->resize(labels.size());
  for (size_t i = 0; i < labels.size(); ++i) {
    if (!EncodeLabel(labels[i], &(*encoded)[i], why)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool NormalizeHostName(std::string_view text, HostName* host, std::string* why) {
  std::u32string points;
  if (!DecodeUtf8(text, &points)) {
    *why = "the host name is not UTF-8 text";
    return false;
  }
  if (!points.empty() && (points.front() == U'[' || points.find(U':') != std::u32string::npos)) {
    *why = "an IPv6 address: write its rule by hand, in the form the browser shows";
    return false;
  }
  std::vector<std::string> encoded;
  if (!EncodeLabels(FoldedLabels(points), &encoded, why)) {
    return false;
  }
  host->ascii.clear();
  for (size_t i = 0; i < encoded.size(); ++i) {
    host->ascii += (i == 0 ? "" : ".") + encoded[i];
  }
  if (host->ascii.size() > kMaxHost) {
    *why = "a host name longer than 253 characters";
    return false;
  }
  const std::string& last = encoded.back();
  host->is_address = IsPlainIpv4(encoded);
  if (!host->is_address && (AllDigits(last) || last.rfind("0x", 0) == 0)) {
    *why =
        "a number that the browser reads as an IPv4 address in another form; write it as "
        "four decimal numbers";
    return false;
  }
  return true;
}

std::string EscapeLiteral(std::string_view text) {
  std::string encoded;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F) {
      char hex[4];
      std::snprintf(hex, sizeof(hex), "%%%02x", byte);
      encoded += hex;
    } else {
      encoded.push_back(c);
    }
  }
  return ToUtf8(EscapeForPattern(FromUtf8(encoded)));
}

bool IsSchemeName(std::string_view text) {
  if (text.empty() || text[0] < 'a' || text[0] > 'z') {
    return false;
  }
  for (char c : text) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')) {
      return false;
    }
  }
  return true;
}

std::string_view DefaultPort(std::string_view scheme) {
  struct SchemePort {
    std::string_view scheme;
    std::string_view port;
  };
  static constexpr SchemePort kPorts[] = {
      {"http", "80"}, {"https", "443"}, {"ws", "80"}, {"wss", "443"}, {"ftp", "21"},
  };
  for (const SchemePort& entry : kPorts) {
    if (entry.scheme == scheme) {
      return entry.port;
    }
  }
  return {};
}

}  // namespace zelk::tools
